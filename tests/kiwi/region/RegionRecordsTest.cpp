// Decoding of single region and route planning records from byte literals: scaled costs, bit layouts,
// spans too short for their record.
#include <gtest/gtest.h>

#include <vector>

#include "kiwi/region/RegionRecords.h"
#include "kiwi/region/RouteRecords.h"

namespace {
BeCursor span(const std::vector<uint8_t>& bytes) {
    return BeCursor(bytes.data(), bytes.size());
}
} // namespace

TEST(RegionRecords, ScaledLinkCostValues) {
    struct Case {
        uint16_t word;
        int32_t value;
    };
    // bits 11-0 × 4^(bits 14-12); bit 15 is not part of the value.
    const Case cases[] = {{0x3005, 320},   {0x1064, 400},      {0x0000, 0}, {0x0FFF, 4095},
                          {0x7001, 16384}, {0x7FFF, 67092480}, {0x8003, 3}, {0x4005, 1280}};
    for (const Case& c : cases)
        EXPECT_EQ(ScaledLinkCostValue(c.word), c.value) << std::hex << c.word;
}

TEST(RegionRecords, LinkCostRecordFromBytes) {
    const std::vector<uint8_t> bytes = {0x00, 0x01, 0x00, 0x01, 0x01, 0x02, 0xA6, 0x00, 0xEE, 0xB7,
                                        0x30, 0x05, 0x00, 0x01, 0x10, 0x64, 0x80, 0x50, 0xA8, 0x00};
    TLN_RP_Link_Cost_Record c;
    ASSERT_TRUE(DecodeRPLinkCostRecord(span(bytes), 1000, true, c));
    EXPECT_EQ(c.Position, 1000);
    EXPECT_EQ(c.AbsoluteLinkID, 0x00010001u);
    EXPECT_EQ(c.DestinationSide, 0x0102);
    EXPECT_EQ(c.UppermostLevel, 5);
    EXPECT_TRUE(c.Toll);
    EXPECT_TRUE(c.Bypass);
    EXPECT_TRUE(c.ForwardPassage && c.ReversePassage && c.CenterLine && c.SameCostApplied &&
                c.StatisticsCost);
    EXPECT_EQ(c.LanesAndWidth, 5);
    EXPECT_EQ(c.LinkClass, 3);
    EXPECT_EQ(c.RoadClass, 7);
    EXPECT_EQ(c.LinkLength, 320); // 5 × 64 m
    EXPECT_EQ(c.ConnectedNode, 1);
    EXPECT_EQ(c.AverageTravelingTime, 40); // 100 × 4 div 10
    EXPECT_EQ(c.RoadStatus, 2);
    EXPECT_EQ(c.SpeedLimits, 5);
    EXPECT_EQ(c.SublinkType, 21);

    // Without the rank's average traveling time flag there is no time.
    ASSERT_TRUE(DecodeRPLinkCostRecord(span(bytes), 1000, false, c));
    EXPECT_EQ(c.AverageTravelingTime, -1);
    EXPECT_EQ(c.LinkLength, 320);

    const std::vector<uint8_t> shortBytes(bytes.begin(), bytes.end() - 1);
    EXPECT_FALSE(DecodeRPLinkCostRecord(span(shortBytes), 0, true, c));
}

TEST(RegionRecords, NodeWordReadsOverlappingFieldsAsStored) {
    struct Case {
        uint32_t word;
        bool upper;
        int uppermost;
        bool aggregated, boundary;
        int links;
        bool parcel, light, rotary;
        uint32_t table;
    };
    const Case cases[] = {
        {0x00000000, false, 0, false, false, 1, false, false, false, 0},
        {0x20000000, true, 4, false, false, 1, false, false, false, 0}, // bit 29 is in both fields
        {0x18000000, false, 3, false, false, 1, false, false, false, 0},
        {0x04000000, false, 0, true, false, 1, false, false, false, 0},
        {0x02000000, false, 0, false, true, 1, false, false, false, 0},
        {0x01E00000, false, 0, false, false, 16, false, false, false, 0},
        {0x001C0000, false, 0, false, false, 1, true, true, true, 0},
        {0x0003FFFF, false, 0, false, false, 1, false, false, false, 0x3FFFF},
        {0xC0000000, false, 0, false, false, 1, false, false, false, 0}, // bits 31-30 belong to nothing
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = {
            uint8_t(c.word >> 24), uint8_t(c.word >> 16), uint8_t(c.word >> 8), uint8_t(c.word), 7, 9};
        TLN_RP_Node_Record n;
        ASSERT_TRUE(DecodeRPNodeRecord(span(bytes), 0, n));
        SCOPED_TRACE(testing::Message() << std::hex << c.word);
        EXPECT_EQ(n.UpperTableExists, c.upper);
        EXPECT_EQ(n.UppermostLevel, c.uppermost);
        EXPECT_EQ(n.AggregatedIntersection, c.aggregated);
        EXPECT_EQ(n.Boundary, c.boundary);
        EXPECT_EQ(n.LinkCount, c.links);
        EXPECT_EQ(n.ParcelBoundary, c.parcel);
        EXPECT_EQ(n.TrafficLight, c.light);
        EXPECT_EQ(n.Rotary, c.rotary);
        EXPECT_EQ(n.LinkTableOffset, c.table);
        EXPECT_EQ(n.RegulationCount, 7);
        EXPECT_EQ(n.BetweenLinksCount, 9);
    }
}

TEST(RegionRecords, LinkRegulationAndBetweenLinksRecords) {
    const std::vector<uint8_t> link = {0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x12, 0x34};
    TLN_RP_Link_Record l;
    ASSERT_TRUE(DecodeRPLinkRecord(span(link), 0, true, l));
    EXPECT_EQ(l.AdjacentNode, 0x1FFF);
    EXPECT_EQ(l.LinkCostNumber, 0x7FFF);
    EXPECT_TRUE(l.CitySuburbs && l.SemiUrbanHighway && l.ForwardReverse);
    EXPECT_EQ(l.FollowingSameRoad, 15);
    EXPECT_TRUE(l.HasRegionNumber);
    EXPECT_EQ(l.RegionNumber, 0x1234);
    // A plain node's link is six bytes and carries no region number.
    const std::vector<uint8_t> plain(link.begin(), link.begin() + 6);
    ASSERT_TRUE(DecodeRPLinkRecord(span(plain), 0, false, l));
    EXPECT_FALSE(l.HasRegionNumber);
    EXPECT_EQ(l.RegionNumber, 0);
    EXPECT_FALSE(DecodeRPLinkRecord(span(plain), 0, true, l));

    TLN_RP_Regulation_Record r;
    ASSERT_TRUE(DecodeRPRegulationRecord(span({0x32, 0x0D}), 0, r));
    EXPECT_EQ(r.InNumber, 3);
    EXPECT_EQ(r.OutNumber, 2);
    EXPECT_TRUE(r.RegulationID);
    EXPECT_EQ(r.PassageCode, 5);

    // Bit 3 is both the aggregated intersection flag and the high bit of the length multiplier.
    TLN_RP_Between_Links_Record b;
    ASSERT_TRUE(DecodeRPBetweenLinksRecord(span({0x12, 0x6E, 0x20, 0x05}), 0, b));
    EXPECT_EQ(b.InNumber, 1);
    EXPECT_EQ(b.OutNumber, 2);
    EXPECT_EQ(b.NonFollowingNodes, 3);
    EXPECT_TRUE(b.AggregatedIntersection);
    EXPECT_EQ(b.LengthMultiplier, 3);
    EXPECT_EQ(b.TimeMultiplier, 2);
    EXPECT_EQ(b.LinkLength, 0x20);
    EXPECT_EQ(b.AverageTravelingTime, 5);
    EXPECT_FALSE(DecodeRPBetweenLinksRecord(span({0x12, 0x6E, 0x20}), 0, b));
}

TEST(RegionRecords, NodeHeaderRanksAreCutToTheBytes) {
    // 0xFFFF ranks announced, two present.
    std::vector<uint8_t> bytes = {0x00, 0x0E, 0x00, 0x04, 0x00, 0x06, 0xFF, 0xFF};
    for (uint8_t last : std::initializer_list<uint8_t>{0x03, 0x04}) {
        const std::vector<uint8_t> rank = {0x00, 0x03, 0x00, 0x01, 0x00, 0x05, 0x00, 0xF0, 0xEE, last};
        bytes.insert(bytes.end(), rank.begin(), rank.end());
    }
    bytes.push_back(0); // part of a third rank
    TLN_RP_Node_Header h;
    ASSERT_TRUE(DecodeRPNodeHeader(span(bytes), 64, h));
    EXPECT_EQ(h.RankCount, 0xFFFF);
    ASSERT_EQ(h.Ranks.size(), 2u);
    EXPECT_EQ(h.Ranks[0].CorrespondingLevel, 1);
    EXPECT_TRUE(h.Ranks[0].AverageTimeFlag);
    EXPECT_EQ(h.Ranks[1].CorrespondingLevel, 2);
    EXPECT_FALSE(h.Ranks[1].AverageTimeFlag);
    EXPECT_EQ(h.Ranks[0].RoadClass, 0x00F0);
}

TEST(RegionRecords, RegionRecordEdgesAreSignMagnitude) {
    std::vector<uint8_t> bytes = {0x3C, 0x45, 0xB0, 0x80, 0x00, 0x00, 0x80, 0xC3, 0x50, 0x7F, 0xFF, 0xFF,
                                  0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x01, 0x02, 0x00, 0x0A};
    const std::string name = "RPDATA.KWI";
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.resize(36, 0);
    TLN_Region_Manag_Record r;
    ASSERT_TRUE(DecodeRegionRecord(span(bytes), 500, true, r));
    EXPECT_EQ(r.Top, 3950000);
    EXPECT_EQ(r.Bottom, 0); // negative zero
    EXPECT_EQ(r.Left, -50000);
    EXPECT_EQ(r.Right, 0x7FFFFF);
    EXPECT_EQ(r.HigherRegion, 1);
    EXPECT_EQ(r.LowerRegionFirst, 2);
    EXPECT_EQ(r.LowerRegionCount, 3);
    EXPECT_EQ(r.FrameAddress, 0x00000102u);
    EXPECT_EQ(r.FrameSize, 320u); // 10 sectors
    EXPECT_EQ(r.FileName, name);
    // Without type 100 the name is not part of the record.
    ASSERT_TRUE(DecodeRegionRecord(BeCursor(bytes.data(), 24), 500, false, r));
    EXPECT_EQ(r.FileName, "");
    EXPECT_FALSE(DecodeRegionRecord(BeCursor(bytes.data(), 24), 500, true, r));
}

TEST(RegionRecords, DistributionHeaderFramesAndExtendedRecords) {
    std::vector<uint8_t> bytes(62 + 12, 0);
    bytes[1] = 37;
    // Node frame at word offset 0x22, size 0x1E words; link frame all ones (none).
    bytes[8 + 3] = 0x22;
    bytes[12 + 1] = 0x1E;
    for (int i = 0; i < 4; ++i)
        bytes[14 + i] = 0xFF;
    bytes[62 + 3] = 0x40; // extended 0 at word 0x40
    bytes[62 + 5] = 2;
    TLN_RP_Distribution_Header h;
    ASSERT_TRUE(DecodeRPDistributionHeader(span(bytes), 0x1000, 2, h));
    EXPECT_EQ(h.Frames[RP_NodeFrame].Position, 0x1000 + 0x44);
    EXPECT_EQ(h.Frames[RP_NodeFrame].ByteSize(), 0x3C);
    EXPECT_EQ(h.Frames[RP_LinkFrame].Position, -1);
    ASSERT_EQ(h.Extended.size(), 2u);
    EXPECT_EQ(h.Extended[0].Position, 0x1080);
    EXPECT_EQ(h.Extended[0].ByteSize(), 4);
    // Extended records the bytes do not hold are left out.
    ASSERT_TRUE(DecodeRPDistributionHeader(BeCursor(bytes.data(), 70), 0x1000, 15, h));
    EXPECT_EQ(h.Extended.size(), 1u);
    EXPECT_FALSE(DecodeRPDistributionHeader(BeCursor(bytes.data(), 61), 0x1000, 0, h));
}
