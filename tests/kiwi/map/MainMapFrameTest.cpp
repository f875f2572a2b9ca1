// Distribution headers and frame references, from hand-written header bytes.
#include <gtest/gtest.h>

#include "MapTestSupport.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"

using maptest::openMap;

namespace {

struct HeaderBytes {
    uint16_t flags = 0;
    std::vector<std::pair<uint16_t, uint16_t>> regions;
    // Word offsets and word sizes.
    std::vector<std::pair<uint32_t, uint16_t>> references;
    std::vector<std::pair<uint32_t, uint16_t>> adjacent;
    uint16_t headerWords = 0;
};

// A main map distribution header at position 64 of a stream of positionByte filler.
std::shared_ptr<TLN_Stream> headerStream(const HeaderBytes& h, size_t tail = 64) {
    fixture::ByteWriter w;
    for (uint64_t p = 0; p < 64; ++p)
        w.u8(fixture::positionByte(p));
    w.u16(h.headerWords).coordinate(-1400000).coordinate(503000).u8(7).u8(9).u16(h.flags);
    w.u32(0x21000005).u16(0x4005).u16(0x8003).u16(0x0003).u16(480).u16(70);
    w.u32(fixture::kiwiAddress(4096)).u16(2).u16(uint32_t(h.regions.size()));
    for (const auto& [code, number] : h.regions)
        w.u16(code).u16(number);
    for (const auto& [offset, size] : h.references)
        w.u32(offset).u16(size);
    for (const auto& [address, size] : h.adjacent)
        w.u32(address).u16(size);
    for (size_t i = 0; i < tail; ++i)
        w.u8(0xA5);
    return std::make_shared<TLN_MemoryStream>(w.take(), "FRAME");
}

} // namespace

TEST(MainMapFrame, ScaleAndLengthWords) {
    EXPECT_EQ(DataSourceScale(0x4005), 50000u);
    EXPECT_EQ(DataSourceScale(0x0005), 500u);
    EXPECT_EQ(DataSourceScale(0xFFFF), 0x3FFFu * 10000u);
    EXPECT_EQ(RealLengthMetres(0x8003), 300u);
    EXPECT_EQ(RealLengthMetres(0x0003), 3u);
}

TEST(MainMapFrame, FixedFieldsAndParcelKinds) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    struct Case {
        uint16_t flags;
        uint8_t identifier, type, latitudinal, longitudinal;
    };
    // An integrated parcel stores its counts minus 1; a divided one keeps its location as stored.
    for (const Case& c : {Case{0x8011, 2, 0, 2, 2}, Case{0x4112, 1, 1, 1, 2}, Case{0x0000, 0, 0, 0, 0},
                          Case{0x83F0, 2, 3, 16, 1}}) {
        SCOPED_TRACE(c.flags);
        HeaderBytes bytes;
        bytes.flags = c.flags;
        bytes.headerWords = 18;
        TLN_MM_Distribution_Header h;
        ASSERT_TRUE(map->ReadMainMapHeader(headerStream(bytes), 0, h, false, 64));
        EXPECT_EQ(h.Identifier, c.identifier);
        EXPECT_EQ(h.TypeNumber, c.type);
        EXPECT_EQ(h.LatitudinalNumber, c.latitudinal);
        EXPECT_EQ(h.LongitudinalNumber, c.longitudinal);
        EXPECT_EQ(h.HeaderSize, 36u);
        EXPECT_EQ(h.ReferenceY, -1400000);
        EXPECT_EQ(h.ReferenceX, 503000);
        EXPECT_EQ(h.LocationCodeY, 7);
        EXPECT_EQ(h.LocationCodeX, 9);
        EXPECT_EQ(h.AreaCodeWord, 0x21000005u);
        EXPECT_EQ(h.Scale, 50000u);
        EXPECT_EQ(h.RealLengthX, 300u);
        EXPECT_EQ(h.RealLengthY, 3u);
        EXPECT_EQ(h.RouteGuidancePosition, 4096);
        EXPECT_EQ(h.RouteGuidanceSize, 64u);
        EXPECT_FALSE(h.AdjacentFlag);
        EXPECT_TRUE(h.Basic.empty()); // without tables only the fixed bytes
    }
}

TEST(MainMapFrame, TablesFollowTheLevelCounts) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    // Level 0: 3 basic and 2 extended references; the adjacent flag is clear, so no adjacent entries.
    HeaderBytes bytes;
    bytes.regions = {{0x0401, 17}, {0x0800, 18}};
    bytes.references = {{30, 8}, {38, 8}, {0xFFFFFFFFu, 0}, {46, 4}, {50, 4}};
    bytes.headerWords = uint16_t((36 + 8 + 30 + 4) / 2);
    TLN_MM_Distribution_Header h;
    ASSERT_TRUE(map->ReadMainMapHeader(headerStream(bytes), 0, h, true, 64));
    ASSERT_EQ(h.Regions.size(), 2u);
    EXPECT_EQ(h.Regions[0], (TLN_Route_Region{1, 17}));
    EXPECT_EQ(h.Regions[1], (TLN_Route_Region{2, 18}));
    ASSERT_EQ(h.Basic.size(), 3u);
    EXPECT_EQ(h.Basic[0], (TLN_Frame_Reference{64 + 60, 16}));
    EXPECT_EQ(h.Basic[2], (TLN_Frame_Reference{-1, 0}));
    ASSERT_EQ(h.Extended.size(), 2u);
    EXPECT_EQ(h.Extended[1], (TLN_Frame_Reference{64 + 100, 8}));
    EXPECT_TRUE(h.TablesInsideHeader); // 4 bytes of extension after the tables
    for (const TLN_Adjacent_Parcel& adjacent : h.Adjacent) {
        EXPECT_EQ(adjacent.Address, -1);
        EXPECT_EQ(adjacent.Size, 0u);
        EXPECT_TRUE(adjacent.List.empty());
    }
    // Level 1 has 1 extended reference: the second one in the bytes is not a reference of this level.
    ASSERT_TRUE(map->ReadMainMapHeader(headerStream(bytes), 1, h, true, 64));
    EXPECT_EQ(h.Extended.size(), 1u);
}

TEST(MainMapFrame, AdjacentParcelsWithADividedNeighbourFarAway) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    HeaderBytes bytes;
    bytes.flags = 0x2000;
    bytes.references = {{30, 8}, {38, 8}, {42, 8}, {46, 4}, {50, 4}};
    // The divided neighbour's list lies 400 words after the frame start: beyond the first read.
    const uint32_t divided = 400u << 16 | 0x1200 | 2; // divisions 2 and 3, three entries
    bytes.adjacent = {{fixture::kiwiAddress(8192), 5}, {0xFFFFFFFFu, 0}, {divided, 0}, {0, 1},
                      {fixture::kiwiAddress(2048), 2}, {0, 0},           {0, 0},       {0, 0}};
    bytes.headerWords = uint16_t((36 + 30 + 48) / 2);
    fixture::ByteWriter w;
    const auto base = headerStream(bytes, 0);
    std::vector<uint8_t> all(size_t(base->Size()));
    base->ReadAt(0, all.data(), base->Size());
    w.raw(all).padTo(64 + 800);
    w.u32(fixture::kiwiAddress(32 * 100))
        .u16(1)
        .u32(fixture::kiwiAddress(32 * 200))
        .u16(2)
        .u32(0xFFFFFFFFu)
        .u16(0);
    const auto stream = std::make_shared<TLN_MemoryStream>(w.take(), "FRAME");
    TLN_MM_Distribution_Header h;
    ASSERT_TRUE(map->ReadMainMapHeader(stream, 0, h, true, 64));
    ASSERT_TRUE(h.AdjacentFlag);
    EXPECT_EQ(h.Adjacent[0].Address, 8192);
    EXPECT_EQ(h.Adjacent[0].Size, 160u);
    EXPECT_FALSE(h.Adjacent[1].Divided); // all ones: no neighbour
    ASSERT_TRUE(h.Adjacent[2].Divided);
    EXPECT_EQ(h.Adjacent[2].DivisionCount1, 2);
    EXPECT_EQ(h.Adjacent[2].DivisionCount2, 3);
    EXPECT_EQ(h.Adjacent[2].ListCount, 3);
    EXPECT_EQ(h.Adjacent[2].ListPosition, 64 + 800);
    ASSERT_EQ(h.Adjacent[2].List.size(), 3u);
    EXPECT_EQ(h.Adjacent[2].List[1], (TLN_Frame_Reference{6400, 64}));
    EXPECT_EQ(h.Adjacent[2].List[2], (TLN_Frame_Reference{-1, 0}));
    EXPECT_TRUE(h.Adjacent[5].Divided); // address 0 with size 0: a divided neighbour with its list at +0
    EXPECT_FALSE(h.TablesInsideHeader);
    EXPECT_FALSE(h.Truncated);
}

TEST(MainMapFrame, TablesCutByTheEndOfTheStream) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    HeaderBytes bytes;
    bytes.regions = {{0x0401, 1}};
    auto stream = headerStream(bytes, 0);
    // Claim 60000 regions: the header is found, the tables stop where the stream ends.
    stream->WriteAt(64 + 34, "\xEA\x60", 2);
    TLN_MM_Distribution_Header h;
    ASSERT_TRUE(map->ReadMainMapHeader(stream, 0, h, true, 64));
    EXPECT_EQ(h.RegionCount, 60000);
    EXPECT_EQ(h.Regions.size(), 1u);
    EXPECT_TRUE(h.Truncated);
    EXPECT_TRUE(h.Basic.empty());
    TLN_MM_Frame_Table table;
    ASSERT_TRUE(map->ReadMainMapFrameTable(stream, 0, table, 64));
    EXPECT_EQ(table.RegionCount, 60000);
    for (const TLN_Frame_Reference& reference : table.References)
        EXPECT_EQ(reference.Position, -1);
    // Fewer than the 36 fixed bytes: not found.
    EXPECT_FALSE(map->ReadMainMapHeader(stream, 0, h, false, stream->Size() - 35));
    EXPECT_FALSE(map->ReadMainMapHeader(stream, 0, h, false, -1));
    EXPECT_FALSE(map->ReadMainMapHeader(nullptr, 0, h, false, 64));
    EXPECT_FALSE(map->ReadMainMapHeader(stream, 5, h, true, 64)); // no such level
}

TEST(MainMapFrame, FrameTableHoldsOnlyTheLevelsReferences) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    HeaderBytes bytes;
    bytes.flags = 0x4123;
    for (uint16_t i = 0; i < 7; ++i)
        bytes.regions.push_back({uint16_t(0x0400 * (i + 1)), uint16_t(10 + i)});
    bytes.references = {{30, 8}, {38, 8}, {0xFFFFFFFFu, 0}, {46, 4}, {50, 4}};
    // What follows the level's five references is not a reference.
    bytes.adjacent = {{60, 8}, {70, 9}};
    TLN_MM_Frame_Table table;
    ASSERT_TRUE(map->ReadMainMapFrameTable(headerStream(bytes), 0, table, 64));
    EXPECT_EQ(table.LocationCodeY, 7);
    EXPECT_EQ(table.LocationCodeX, 9);
    EXPECT_EQ(table.Flags, 0x4123);
    EXPECT_EQ(table.Identifier(), 1);
    EXPECT_EQ(table.RegionCount, 7);
    ASSERT_EQ(table.Regions.size(), 5u);
    EXPECT_EQ(table.Regions[4], (TLN_Route_Region{5, 14}));
    EXPECT_EQ(table.ReferenceCount, 5);
    EXPECT_EQ(table.References[0], (TLN_Frame_Reference{64 + 60, 16}));
    EXPECT_EQ(table.References[2], (TLN_Frame_Reference{-1, 0}));
    EXPECT_EQ(table.References[4], (TLN_Frame_Reference{64 + 100, 8}));
    for (int i = 5; i < kFrameTableReferenceCount; ++i)
        EXPECT_EQ(table.References[size_t(i)], TLN_Frame_Reference{});
}

TEST(MainMapFrame, RouteGuidanceHeader) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    for (const uint16_t flags : std::initializer_list<uint16_t>{0x0000, 0x2000}) {
        fixture::ByteWriter w;
        w.fill(32, 0xEE);
        w.u16(13).coordinate(1).coordinate(-2).u8(3).u8(4).u16(flags).u32(0x00C0FFEE).u16(0x4123);
        w.u32(13).u16(2).fill(16, 0);
        const auto stream = std::make_shared<TLN_MemoryStream>(w.take(), "RG");
        TLN_RG_Distribution_Header h;
        ASSERT_TRUE(map->ReadRouteGuidanceHeader(stream, 0, h, 32));
        EXPECT_EQ(h.AdjacentFlag, flags == 0) << "bit 13 reads inverted";
        EXPECT_EQ(h.HeaderSize, 26u);
        EXPECT_EQ(h.ReferenceY, 1);
        EXPECT_EQ(h.ReferenceX, -2);
        EXPECT_EQ(h.PracticalManagementCode, 0x00C0FFEEu);
        EXPECT_FALSE(h.HeightInformation);
        EXPECT_TRUE(h.BaseMapScaleStandard);
        EXPECT_EQ(h.BaseMapIdentifier, 0x123);
        ASSERT_EQ(h.Basic.size(), 1u); // level 0: one basic route guidance reference
        EXPECT_EQ(h.Basic[0], (TLN_Frame_Reference{32 + 26, 4}));
        EXPECT_FALSE(map->ReadRouteGuidanceHeader(stream, 0, h, 0));
        EXPECT_FALSE(map->ReadRouteGuidanceHeader(stream, 0, h, -1));
    }
}

TEST(MainMapFrame, ReferencePointAndAreaCode) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    const auto stream = headerStream(HeaderBytes{});
    TLN_Point point;
    ASSERT_TRUE(map->ReadReferencePoint(stream, point, 64));
    EXPECT_EQ(point, (TLN_Point{503000, -1400000}));
    EXPECT_FALSE(map->ReadReferencePoint(stream, point, -1));
    EXPECT_EQ(map->ReadAreaCodeByte(stream, 64), 0x21);
    EXPECT_EQ(map->ReadAreaCodeByte(stream, -1), 0);
}
