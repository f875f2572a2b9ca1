// Map text decoding through the map text and display code pages, with the globals set.
#include <gtest/gtest.h>

#include "kiwi/core/KiwiText.h"
#include "kiwi/core/MapCodePage.h"

namespace {

QByteArray bytes(std::initializer_list<unsigned> values) {
    QByteArray result;
    for (unsigned v : values)
        result.append(char(v));
    return result;
}

// Sets the two globals for one test and puts the start-up values back.
class MapCodePages : public ::testing::Test {
protected:
    void TearDown() override {
        MapTextCodePage = 65001;
        MapAnsiCodePage = 0;
    }
    static void set(int text, int ansi) {
        MapTextCodePage = text;
        MapAnsiCodePage = ansi;
    }
};

} // namespace

TEST_F(MapCodePages, StartUpValuesReadUtf8) {
    EXPECT_EQ(MapTextCodePage.load(), 65001);
    EXPECT_EQ(MapAnsiCodePage.load(), 0);
    EXPECT_EQ(DecodeMapText(QByteArray("Tokyo \xE6\x9D\xB1")), QString::fromUtf8("Tokyo 東"));
}

TEST_F(MapCodePages, Utf16IsBigEndianAndSkipsTheDisplayPage) {
    set(1200, 1251);
    EXPECT_EQ(DecodeMapText(bytes({0x00, 0x41, 0x00, 0x42})), "AB");
    // Big-endian, so 41 00 is U+4100, not "A".
    EXPECT_EQ(DecodeMapText(bytes({0x41, 0x00})), QString(QChar(0x4100)));
    EXPECT_EQ(DecodeMapText(bytes({0x6C, 0x37, 0x00})), QString::fromUtf8("氷\uFFFD"));
    // Nothing goes through 1251 here, so what it cannot hold survives.
    EXPECT_EQ(DecodeMapText(bytes({0xD8, 0x3D, 0xDE, 0x00})), QString::fromUtf8("😀"));
}

TEST_F(MapCodePages, DisplayPageRoundTrip) {
    const QByteArray utf8 = QString::fromUtf8("Москва €😀").toUtf8();
    set(65001, 0);
    EXPECT_EQ(DecodeMapText(utf8), QString::fromUtf8("Москва €😀"));
    set(65001, 1251);
    EXPECT_EQ(DecodeMapText(utf8), QString::fromUtf8("Москва €?"));
    set(65001, 1252);
    EXPECT_EQ(DecodeMapText(utf8), QString::fromUtf8("?????? €?"));
    set(65001, 65001);
    EXPECT_EQ(DecodeMapText(utf8), QString::fromUtf8("Москва €😀"));
    set(65001, 4242); // a display page the system lacks adds no step
    EXPECT_EQ(DecodeMapText(utf8), QString::fromUtf8("Москва €😀"));
}

TEST_F(MapCodePages, EightBitMapTextAndBadBytes) {
    set(1251, 0);
    EXPECT_EQ(DecodeMapText(bytes({0xCC, 0xEE, 0xF1, 0xEA, 0xE2, 0xE0})), QString::fromUtf8("Москва"));
    EXPECT_EQ(DecodeMapText(bytes({'a', 0x98, 'b'})), QString::fromUtf8("a\uFFFDb"));
    set(932, 932);
    EXPECT_EQ(DecodeMapText(bytes({0x93, 0x8C, 0x8B, 0x9E})), QString::fromUtf8("東京"));
    // Through the display page the replacement character itself becomes "?".
    EXPECT_EQ(DecodeMapText(bytes({0x93, 0x8C, 0x82})), QString::fromUtf8("東?"));
}

TEST_F(MapCodePages, ExplicitPagesIgnoreTheGlobals) {
    set(65001, 1252);
    EXPECT_EQ(DecodeMapText(bytes({0xC4, 0xE0}), 1251, 0), QString::fromUtf8("Да"));
    EXPECT_EQ(DecodeMapText(bytes({0x00, 0x44}), 1200, 1252), "D");
}

TEST_F(MapCodePages, KiwiTextKeepsTheStoredBytes) {
    set(65001, 1252);
    const QByteArray raw = bytes({0xC0, 'A', 0x00});
    const KiwiText text = KiwiText::fromRaw(raw);
    EXPECT_EQ(text.raw, raw);
    EXPECT_EQ(text.text, QString::fromUtf8("?A\0", 3));
    const KiwiText utf16 = KiwiText::fromRaw(bytes({0x30, 0x42}), 1200, 0);
    EXPECT_EQ(utf16.raw, bytes({0x30, 0x42}));
    EXPECT_EQ(utf16.text, QString::fromUtf8("あ"));
}
