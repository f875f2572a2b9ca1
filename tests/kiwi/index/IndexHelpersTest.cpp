// Character codes, zone names, record headers and record keys of the index data.
#include <gtest/gtest.h>

#include "kiwi/core/MapCodePage.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

// Sets the map text code page for one test and puts the start-up value back.
class CharacterCodes : public ::testing::Test {
protected:
    void TearDown() override { MapTextCodePage = 65001; }
};

TLN_Definition_Column column(const std::string& type) {
    TLN_Definition_Column c;
    c.Name = "KEY" + type.substr(0, 1);
    c.TypeCode = type;
    return c;
}

} // namespace

TEST_F(CharacterCodes, SmallCodesAreNumbersLargeOnesCharacters) {
    EXPECT_EQ(CharCodeToText(0), "0");
    EXPECT_EQ(CharCodeToText(0x41), "65");
    EXPECT_EQ(CharCodeToText(0x2FFF), "12287");
    MapTextCodePage = 1200;
    EXPECT_EQ(CharCodeToText(0x3042), QString::fromUtf8("\xE3\x81\x82")); // big-endian UTF-16 あ
    EXPECT_EQ(CharCodeToText(0x2FFF), "12287");
    MapTextCodePage = 932;
    EXPECT_EQ(CharCodeToText(0x82A0), QString::fromUtf8("\xE3\x81\x82")); // Shift-JIS あ
    MapTextCodePage = 65001;
    EXPECT_EQ(CharCodeToText(0x3042), "0B"); // the two bytes as UTF-8 text
    // Only the low 16 bits make the character.
    EXPECT_EQ(CharCodeToText(0x12343042), "0B");
}

TEST(IndexZones, NamesFromTheZoneListElseNumbers) {
    TLN_IndexManager index(std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(96, 0)), 0);
    EXPECT_EQ(index.GetZoneName(7), "Zone 7");
    index.AddZoneName(7, "Tokyo");
    index.AddZoneName(4000000000u, "Far");
    EXPECT_EQ(index.GetZoneName(7), "Zone Tokyo");
    EXPECT_EQ(index.GetZoneName(4000000000u), "Zone Far");
    EXPECT_EQ(index.GetZoneName(8), "Zone 8");
    index.ClearZoneNames();
    EXPECT_EQ(index.GetZoneName(7), "Zone 7");
}

TEST(IndexRecordHeader, FoundOnlyWhenAllThirteenBytesAreInside) {
    fixture::ByteWriter w;
    w.fill(3).u32(0x11223344).u32(0x55667788).u32(0x99AABBCC).u8(0xDD);
    TLN_MemoryStream stream(w.take());
    TLN_Index_Record_Header header;
    ASSERT_TRUE(TLN_IndexManager::ReadRecordHeader(stream, header, 3));
    EXPECT_EQ(header.Values[0], 0x11223344u);
    EXPECT_EQ(header.Values[2], 0x99AABBCCu);
    EXPECT_EQ(header.Flag, 0xDD);
    EXPECT_FALSE(TLN_IndexManager::ReadRecordHeader(stream, header, 4));
    EXPECT_EQ(header.Values[0], 0u); // cleared
    EXPECT_FALSE(TLN_IndexManager::ReadRecordHeader(stream, header, -1));
    EXPECT_FALSE(TLN_IndexManager::ReadRecordHeader(stream, header, INT64_MAX));
}

TEST(IndexKeyText, HexDigitsByColumnType) {
    fixture::ByteWriter w;
    w.u8(0xAB).u16(0x0C0D).u32(0x1234ABCD).u16(0xFFFF);
    TLN_MemoryStream stream(w.take());
    struct Case {
        std::vector<std::string> types;
        int64_t position;
        int width;
        std::string text;
    };
    const Case cases[] = {
        {{"UB"}, 0, 1, "AB"},
        {{"UB", "UW", "UL"}, 0, 7, "AB0C0D1234ABCD"},
        {{"WD", "LG"}, 1, 6, "0C0D1234ABCD"},
        {{"UB", "CH", "UW"}, 0, 1, "AB"}, // a column of another type ends the key
        {{"CH"}, 0, 0, "----"},
        {{}, 0, 0, "----"},
        {{"UL", "UL"}, 5, 8, "ABCDFFFF00000000"}, // bytes past the end read as 0
        {{"UW"}, -4, 2, "0000"},
    };
    for (const Case& c : cases) {
        std::vector<TLN_Definition_Column> columns;
        for (const std::string& type : c.types)
            columns.push_back(column(type));
        int width = -1;
        std::string text = "old";
        TLN_IndexManager::ReadKeyText(stream, c.position, columns, width, text);
        EXPECT_EQ(width, c.width) << c.text;
        EXPECT_EQ(text, c.text);
    }
}
