// Typed input of the hex dialogs: hex patterns and offsets in every form, bad characters, blanks, odd
// lengths and values beyond 64 bits.
#include <gtest/gtest.h>

#include "hexview/dialogs/model/HexInputText.h"

TEST(HexPattern, PairsOfDigitsBecomeBytes) {
    EXPECT_EQ(ParseHexPattern("0ABC"), QByteArray("\x0A\xBC", 2));
    EXPECT_EQ(ParseHexPattern("00FF10"), QByteArray("\x00\xFF\x10", 3));
    EXPECT_EQ(ParseHexPattern("abcd"), QByteArray("\xAB\xCD", 2));
}

TEST(HexPattern, AnOddCountGetsALeadingZero) {
    EXPECT_EQ(ParseHexPattern("ABC"), QByteArray("\x0A\xBC", 2));
    EXPECT_EQ(ParseHexPattern("7"), QByteArray("\x07", 1));
}

TEST(HexPattern, AnythingButDigitsGivesNothing) {
    for (const char* bad : {"", "AB CD", " AB", "AB ", "GG", "0x12", "-1", "+1", "$12", "1G", "\t1"})
        EXPECT_TRUE(ParseHexPattern(QString::fromUtf8(bad)).isEmpty()) << bad;
    // Digits of other scripts are not hex digits.
    EXPECT_TRUE(ParseHexPattern(QStringLiteral("１２")).isEmpty());
    EXPECT_TRUE(ParseHexPattern(QStringLiteral("АВ")).isEmpty()); // Cyrillic letters that look like A and B
}

TEST(HexOffset, HexDigitsGiveTheirValue) {
    EXPECT_EQ(ParseHexOffset("63"), 99);
    EXPECT_EQ(ParseHexOffset("0"), 0);
    EXPECT_EQ(ParseHexOffset("0100"), 256);
    EXPECT_EQ(ParseHexOffset("ff"), 255);
    EXPECT_EQ(ParseHexOffset("FFFFFFFFFFFF"), int64_t(0xFFFFFFFFFFFF));
    EXPECT_EQ(ParseHexOffset("17FFFFFFF"), int64_t(0x17FFFFFFF));
    EXPECT_EQ(ParseHexOffset("7FFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(ParseHexOffset("00000000000000000001"), 1);
}

TEST(HexOffset, UnreadableTextIsMinusOne) {
    for (const char* bad : {"", "-1", "+1", "$10", "0x10", "1 2", " 1", "G", "1.5"})
        EXPECT_EQ(ParseHexOffset(QString::fromUtf8(bad)), -1) << bad;
    // Beyond the signed 64-bit range, never wrapped to a negative or small value.
    EXPECT_EQ(ParseHexOffset("8000000000000000"), -1);
    EXPECT_EQ(ParseHexOffset("FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(ParseHexOffset("10000000000000000"), -1);
}

TEST(HexOffset, TypedTextIsAcceptableOnlyBelowTheSize) {
    EXPECT_TRUE(OffsetTextAcceptable("63", 100));
    EXPECT_TRUE(OffsetTextAcceptable("0", 100));
    EXPECT_FALSE(OffsetTextAcceptable("64", 100));
    EXPECT_FALSE(OffsetTextAcceptable("FFFF", 100));
    EXPECT_FALSE(OffsetTextAcceptable("6G", 100));
    EXPECT_FALSE(OffsetTextAcceptable("6 3", 100));
    // Input arrives upper-cased; lower case is a character the box does not take.
    EXPECT_FALSE(OffsetTextAcceptable("ab", 1000));
    EXPECT_FALSE(OffsetTextAcceptable("0", 0));
    EXPECT_FALSE(OffsetTextAcceptable("8000000000000000", INT64_MAX));
    // An emptied box is not an error while typing.
    EXPECT_TRUE(OffsetTextAcceptable("", 100));
    EXPECT_TRUE(OffsetTextAcceptable("17FFFFFFF", int64_t(6) << 30));
}

TEST(HexOffset, HistoriesListSignificantDigits) {
    EXPECT_EQ(OffsetDigits(99), "63");
    EXPECT_EQ(OffsetDigits(0x100), "0100");
    EXPECT_EQ(OffsetDigits(0), "00");
    EXPECT_EQ(OffsetDigits(0xFFFFFFFFFFFF), "FFFFFFFFFFFF");
}
