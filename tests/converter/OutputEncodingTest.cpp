// Tests of the output writers: the byte examples of the format, alignment, even texts, code pages.
#include <gtest/gtest.h>

#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"

namespace {

std::vector<uint8_t> bytesOf(TLN_MemoryStream& stream) {
    return stream.Bytes();
}

} // namespace

TEST(OutputEncoding, AddressAndSizeGoldenBytes) {
    TLN_MemoryStream out;
    WriteAddressAndSize(out, 100, 4096);
    EXPECT_EQ(bytesOf(out), (std::vector<uint8_t>{0x00, 0x00, 0x02, 0x00, 0x00, 0x32}));
    WriteEmptyReference(out);
    EXPECT_EQ(bytesOf(out),
              (std::vector<uint8_t>{0x00, 0x00, 0x02, 0x00, 0x00, 0x32, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(out.Position(), 12);
}

TEST(OutputEncoding, KiwiAddressCountsSectorsAndLogicalSectors) {
    TLN_MemoryStream out;
    WriteKiwiAddress(out, 2048 * 3 + 32 * 5);
    WriteAddressAndStoredSize(out, 8192, 0x1234);
    EXPECT_EQ(bytesOf(out),
              (std::vector<uint8_t>{0x00, 0x00, 0x03, 0x05, 0x00, 0x00, 0x04, 0x00, 0x12, 0x34}));
}

TEST(OutputEncoding, OffsetsPast32GiBAreRefused) {
    TLN_MemoryStream out;
    EXPECT_NO_THROW(WriteKiwiAddress(out, kMaxKiwiOffset - 31));
    EXPECT_THROW(WriteKiwiAddress(out, kMaxKiwiOffset + 1), EConvertError);
    EXPECT_THROW(WriteAddressAndStoredSize(out, int64_t(1) << 36, 1), EConvertError);
}

TEST(OutputEncoding, WordOffsetWriters) {
    TLN_MemoryStream out;
    WriteWordOffsetAndSize(out, 0x20, 0x0A);
    WriteWordOffsetSize16(out, 0x20, 0x0A);
    WriteDWordOffsetAndSize(out, 0x20000, 0x0A);
    EXPECT_EQ(bytesOf(out),
              (std::vector<uint8_t>{0, 0, 0, 0x10, 0, 5, 0, 0x10, 0, 5, 0, 1, 0, 0, 0, 0, 0, 5}));
}

TEST(OutputEncoding, CountBytesMinusOne) {
    TLN_MemoryStream out;
    out.SetSize(6);
    WriteCountBytesMinusOne(out, 0x0102, 0);
    WriteCountBytesMinusOne(out, 0x0000, 2);
    WriteCountBytesMinusOne(out, 0x0100, 4);
    EXPECT_EQ(bytesOf(out), (std::vector<uint8_t>{0x00, 0x01, 0xFF, 0xFF, 0x00, 0xFF}));
}

TEST(OutputEncoding, AlignUp32BothWidths) {
    EXPECT_EQ(AlignUp32(uint32_t(0)), 0u);
    EXPECT_EQ(AlignUp32(uint32_t(1)), 32u);
    EXPECT_EQ(AlignUp32(uint32_t(64)), 64u);
    EXPECT_EQ(AlignUp32(int64_t(0)), 0);
    EXPECT_EQ(AlignUp32(int64_t(33)), 64);
    EXPECT_EQ(AlignUp32((int64_t(1) << 34) + 1), (int64_t(1) << 34) + 32);
}

TEST(OutputEncoding, MakeEvenLength) {
    std::string two = "ab";
    MakeEvenLength(two);
    EXPECT_EQ(two, "ab");
    std::string letters = "abc";
    MakeEvenLength(letters);
    EXPECT_EQ(letters, std::string("abc\0", 4));
    std::string endsInNul("ab\0", 3);
    MakeEvenLength(endsInNul);
    EXPECT_EQ(endsInNul, "ab");
    std::string one = "a";
    MakeEvenLength(one);
    EXPECT_EQ(one, std::string("a\0", 2));
    std::string empty;
    MakeEvenLength(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(OutputEncoding, ConvertToCodePagePadsToEvenLength) {
    EXPECT_EQ(ConvertToCodePage("abc", 1252), std::string("abc\0", 4));
    EXPECT_EQ(ConvertToCodePage("abcd", 1252), "abcd");
    EXPECT_EQ(ConvertToCodePage("", 1252), "");
    // Cyrillic "Да" in 1251 becomes four bytes of UTF-8: the buffer is sized by the result, not the input.
    EXPECT_EQ(ConvertToCodePage("\xC4\xE0", 65001), "\xD0\x94\xD0\xB0");
    // A character the target page lacks becomes "?".
    EXPECT_EQ(ConvertToCodePage("\xC4", 1252), std::string("?\0", 2));
}

TEST(OutputEncoding, ShiftStreamBlockOverlapsBothWays) {
    TLN_MemoryStream stream(std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0, 0});
    stream.Seek(0);
    ShiftStreamBlock(stream, 6, 2);
    EXPECT_EQ(stream.Position(), 8);
    EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 2, 1, 2, 3, 4, 5, 6}));
    stream.Seek(2);
    ShiftStreamBlock(stream, 6, -2);
    EXPECT_EQ(stream.Bytes(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 5, 6}));
}
