// Rows as the grid draws them: characters in the display code page (UTF-8 pairs across a row's end),
// dots below 17, nothing decoded from bytes the stream does not have, bounded page reads.
#include <gtest/gtest.h>

#include "HexTestSupport.h"
#include "hexview/model/HexCharTable.h"
#include "hexview/model/HexRowCache.h"

namespace {

using hextest::memoryStream;

TEST(HexRowCharacters, Utf8PairAcrossTheRowEndShowsAtItsFirstByte) {
    HexGridModel model;
    model.SetDisplayCodePage(65001);
    std::vector<uint8_t> bytes(32, 'a');
    bytes[15] = 0xD0;
    bytes[16] = 0x9F;
    model.SetStream(memoryStream(bytes), 0);
    EXPECT_EQ(model.Row(0).chars[15], u'П');
    EXPECT_EQ(model.Row(0).chars[14], u'a');
    EXPECT_EQ(model.Row(1).chars[0], 0);
    EXPECT_EQ(model.Row(1).chars[1], u'a');
}

TEST(HexRowCharacters, Utf8PairsInsideARowAndInvalidSequences) {
    const HexCharTable table(65001);
    // "Ж" (D0 96), a lone continuation byte, a three-byte sequence (only two bytes are ever read), ASCII.
    const uint8_t bytes[16] = {0xD0, 0x96, 0x96, 0xE2, 0x82, 0xAC, 'z', 16, 17, 0, 0, 0, 0, 0, 0, 0};
    char16_t out[16];
    table.DecodeRow(bytes, 16, 16, out);
    EXPECT_EQ(out[0], u'Ж');
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[6], u'z');
    EXPECT_EQ(out[7], 16);
    EXPECT_EQ(out[8], 17);
}

TEST(HexRowCharacters, ByteValuesSixteenAndSeventeenInASingleBytePage) {
    // The painter draws values below 17 as "."; 17 is drawn as its character.
    const HexCharTable table(1251);
    const uint8_t bytes[4] = {16, 17, 0xC0, 'A'};
    char16_t out[16];
    table.DecodeRow(bytes, 4, 4, out);
    EXPECT_EQ(out[0], 16);
    EXPECT_EQ(out[1], 17);
    EXPECT_EQ(out[2], u'А');
    EXPECT_EQ(out[3], u'A');
    EXPECT_EQ(out[4], 0);
}

TEST(HexRowCharacters, UpperCaseTablesOfTheDisplayCodePage) {
    EXPECT_EQ(HexCharTable(1251).UpperCase()[0xE0], 0xC0); // а -> А
    EXPECT_EQ(HexCharTable(1251).UpperCase()[0xB8], 0xA8); // ё -> Ё
    EXPECT_EQ(HexCharTable(1252).UpperCase()[0xE9], 0xC9); // é -> É
    EXPECT_EQ(HexCharTable(1252).UpperCase()[0xFF], 0x9F); // ÿ -> Ÿ
    EXPECT_EQ(HexCharTable(1252).UpperCase()[0xDF], 0xDF); // ß has no one-byte upper case
    for (int page : {65001, 1251, 1252, 932})
        EXPECT_EQ(HexCharTable(page).UpperCase()['q'], 'Q') << page;
    // In UTF-8 and double-byte pages the bytes above 0x7F are parts of sequences and stay as they are.
    EXPECT_EQ(HexCharTable(65001).UpperCase()[0xE0], 0xE0);
    EXPECT_EQ(HexCharTable(932).UpperCase()[0xE0], 0xE0);
}

TEST(HexRowCache, BytesPastTheEndAreNeverDecoded) {
    HexGridModel model;
    model.SetDisplayCodePage(65001);
    // A longer stream first fills the cache with 'a' bytes past where the next one ends.
    model.SetStream(memoryStream(std::vector<uint8_t>(64, 'a')), 0);
    EXPECT_EQ(model.Row(1).chars[1], u'a');
    std::vector<uint8_t> shorter(17, 'b');
    shorter[15] = 0xD0; // a lead byte whose second byte lies in the next row
    shorter[16] = 0xD0; // a lead byte at the very end: nothing follows it
    model.SetStream(memoryStream(shorter), 0);
    const HexRow& last = model.Row(1);
    EXPECT_EQ(last.count, 1);
    EXPECT_EQ(last.chars[0], 0);
    for (int i = 1; i < 16; ++i) {
        EXPECT_EQ(last.bytes[i], 0) << i;
        EXPECT_EQ(last.chars[i], 0) << i;
    }
    EXPECT_EQ(model.Row(0).chars[15], 0);
    EXPECT_EQ(model.Row(2).count, 0);
}

TEST(HexRowCache, ShortReadsAndReadErrorsShowNoBytes) {
    HexGridModel model;
    model.SetStream(std::make_shared<hextest::ShortReadStream>(hextest::counting(20), 100), 0);
    EXPECT_EQ(model.Row(0).count, 16);
    EXPECT_EQ(model.Row(1).count, 4);
    EXPECT_EQ(model.Row(2).count, 0);
    hextest::EventLog log(model);
    model.GotoOffset(50);
    EXPECT_EQ(model.Cursor(), 50);
    EXPECT_TRUE(log.take().empty()); // no byte to report

    model.SetStream(std::make_shared<hextest::FailingStream>(4096), 0);
    EXPECT_EQ(model.Row(0).count, 0);
    uint8_t byte = 0;
    EXPECT_FALSE(model.ByteAt(0, &byte));
}

TEST(HexRowCache, OneReadPerPageAndBoundedMemory) {
    HexRowCache cache(4);
    cache.Reset(memoryStream(hextest::counting(1 << 20)), 1 << 20);
    for (int pass = 0; pass < 3; ++pass)
        for (int64_t row = 1000; row < 1050; ++row)
            EXPECT_EQ(cache.Row(row).bytes[3], uint8_t(row * 16 + 3));
    EXPECT_EQ(cache.Reads(), 2u); // rows 960..1023 and 1024..1087
    for (int64_t row = 0; row < 64 * 10; row += 64)
        cache.Row(row);
    EXPECT_EQ(cache.Reads(), 12u);
    EXPECT_EQ(cache.PageCapacity(), 4);
    EXPECT_EQ(cache.Row(0).offset, 0);
    EXPECT_EQ(cache.Reads(), 13u); // page 0 had been replaced
}

} // namespace
