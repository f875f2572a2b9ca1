// Guidance data frame readers: table references by presence flag, the toward name count of bits 13-11,
// direction indicators and road structures, and records cut by the frame.
#include <gtest/gtest.h>

#include "FrameTestSupport.h"
#include "kiwi/frames/GuidanceFrame.h"
#include "support/fixtures/FrameFixture.h"

using fixture::ByteWriter;
using frametest::kFramePosition;
using frametest::span;

TEST(GuidanceFrame, TablesOfTheFixture) {
    fixture::FrameOptions options;
    const TLN_FrameSpan frame = span(fixture::guidanceFrame(options));
    TLN_Guidance_Data_Frame g;
    ASSERT_TRUE(ReadGuidanceDataFrame(frame, g));
    EXPECT_TRUE(g.Flag13());
    EXPECT_EQ(g.IntersectionClass(), 6);
    EXPECT_EQ(g.IntersectionNumber(), 0x0ABC);
    EXPECT_EQ(g.IntersectionNode(), 7);
    const bool present[kGuidanceTableCount] = {true, false, true, false, true, true, false, true};
    for (int t = 0; t < kGuidanceTableCount; ++t)
        EXPECT_EQ(g.Tables[size_t(t)].Present, present[t]) << t;
    EXPECT_EQ(g.Tables[2].Count, 2);
    EXPECT_EQ(g.Tables[1].Position, -1);
    EXPECT_GT(g.ExtendedPosition, g.Tables[5].Position);
    // The caution point table has no records and starts at the frame's end: empty, not absent.
    EXPECT_EQ(g.Tables[7].Position, frame.End());
    EXPECT_EQ(g.Tables[7].Count, 0);
    EXPECT_EQ(GuidanceRecordPositions(frame, g, TLN_Guidance_Table::TowardNames).size(), 2u);
    EXPECT_EQ(GuidanceRecordPositions(frame, g, TLN_Guidance_Table::DirectionGuides).size(), 1u);
    const auto structures = GuidanceRecordPositions(frame, g, TLN_Guidance_Table::RoadStructures);
    ASSERT_EQ(structures.size(), 2u);
    TLN_Road_Structure_Data_Rec s;
    ASSERT_TRUE(ReadRoadStructure(frame, s, structures[0]));
    EXPECT_EQ(s.OffsetDistance, 901);
    EXPECT_EQ(s.StringPosition, structures[0] + 2 * 0x11);
    EXPECT_EQ(s.Size, 12);
    ASSERT_TRUE(ReadRoadStructure(frame, s, structures[1]));
    EXPECT_EQ(s.OffsetDistance, 0x0A01); // bit 7 alone gives the offset distance
    EXPECT_EQ(s.IntersectionInformation, 0x0A02);
    EXPECT_EQ(s.StringPosition, -1);
}

TEST(GuidanceFrame, TowardNameCountIsBitsThirteenToEleven) {
    // Attribute 0x0C00: bits 13-11 give 1 (the shift by 10 would give 2 and read past the record).
    ByteWriter w;
    w.u16(0x0C00).u16(500).u16(0x0001).u16(1u << 8).u16(0x0010).u32(0x11112222u).u16(3);
    TLN_Toward_Name_Data_Rec r;
    ASSERT_TRUE(ReadTowardName(span(w), r, kFramePosition));
    EXPECT_EQ(r.PointCount(), 1);
    ASSERT_EQ(r.Points.size(), 1u);
    EXPECT_FALSE(r.Truncated);
    EXPECT_EQ(r.Size, int64_t(w.size()));
    EXPECT_EQ(r.Points[0].StringPosition, kFramePosition + 0x20);
    ASSERT_EQ(r.Points[0].Nodes.size(), 1u);
    EXPECT_EQ(r.Points[0].Nodes[0].DirectionInformation, 3);
    // Bits 13-11 all set: seven points announced, one present.
    std::vector<uint8_t> bytes = w.bytes();
    bytes[0] = 0x38;
    ASSERT_TRUE(ReadTowardName(span(bytes), r, kFramePosition));
    EXPECT_EQ(r.PointCount(), 7);
    EXPECT_EQ(r.Points.size(), 1u);
    EXPECT_TRUE(r.Truncated);
}

TEST(GuidanceFrame, DirectionIndicatorCountsFitTheFrame) {
    ByteWriter w;
    w.u16(0x0101).u16(0xFFFF);
    w.u32(1u << 9).u16(2u << 8 | 0x21).u16(0x0F0F).u16(0x0004).u32(1).u16(1).u32(2).u16(2);
    w.u32(0).u16(255u << 8).u16(0); // 255 nodes announced, none there
    TLN_Direction_Indicator_Data_Rec r;
    ASSERT_TRUE(ReadDirectionIndicator(span(w), r, kFramePosition));
    EXPECT_EQ(r.StoredPointCount, 0xFFFF);
    ASSERT_EQ(r.Points.size(), 1u);
    EXPECT_TRUE(r.Truncated);
    EXPECT_EQ(r.Points[0].GuidanceCode(), 0x21);
    EXPECT_EQ(r.Points[0].StringPosition, kFramePosition + 8);
    EXPECT_EQ(r.Points[0].Nodes.size(), 2u);
    // A truncated record ends its table.
    ByteWriter g;
    g.u16(6).u16(1u << 7).u32(0).u16(6).u16(5);
    g.raw(w.bytes());
    TLN_Guidance_Data_Frame frame;
    ASSERT_TRUE(ReadGuidanceDataFrame(span(g), frame));
    EXPECT_EQ(frame.Tables[4].Position, kFramePosition + 12);
    EXPECT_TRUE(GuidanceRecordPositions(span(g), frame, TLN_Guidance_Table::DirectionGuides).empty());
    // Table offsets past the frame are not found.
    ByteWriter far;
    far.u16(6).u16(1u << 11).u32(0).u16(0x7000).u16(3).u32(0x7FFFFFFFu);
    ASSERT_TRUE(ReadGuidanceDataFrame(span(far), frame));
    EXPECT_EQ(frame.Tables[0].Position, -1);
    EXPECT_EQ(frame.ExtendedPosition, -1);
}

TEST(GuidanceFrame, AllOnesStringOffsetsAreNoneEvenInALargeFrame) {
    // Each record kind with its string flag set and the offset all ones, in a frame long enough that
    // 2 × 0xFFFF bytes further on would still lie inside it.
    ByteWriter w;
    w.u16(1u << 11 | 1u << 10).u16(500);
    w.u16(0x0001).u16(0).u16(0xFFFF);
    const size_t direction = w.size();
    w.u16(0x0101).u16(1).u32(1u << 9).u16(0x21).u16(0).u16(0xFFFF);
    const size_t structure = w.size();
    w.u16(0x0010).u16(0xFFFF);
    w.fill(2 * 0xFFFF + 64, 0);
    const TLN_FrameSpan frame = span(w);
    TLN_Toward_Name_Data_Rec toward;
    ASSERT_TRUE(ReadTowardName(frame, toward, kFramePosition));
    ASSERT_EQ(toward.Points.size(), 1u);
    EXPECT_EQ(toward.Points[0].StringOffset, 0xFFFF);
    EXPECT_EQ(toward.Points[0].StringPosition, -1);
    EXPECT_EQ(toward.Size, 10);
    TLN_Direction_Indicator_Data_Rec indicator;
    ASSERT_TRUE(ReadDirectionIndicator(frame, indicator, kFramePosition + int64_t(direction)));
    ASSERT_EQ(indicator.Points.size(), 1u);
    EXPECT_EQ(indicator.Points[0].StringPosition, -1);
    TLN_Road_Structure_Data_Rec road;
    ASSERT_TRUE(ReadRoadStructure(frame, road, kFramePosition + int64_t(structure)));
    EXPECT_TRUE(road.StringFlag());
    EXPECT_EQ(road.StringPosition, -1);
    // One word short of all ones is a real offset.
    std::vector<uint8_t> bytes = w.bytes();
    bytes[9] = 0xFE;
    ASSERT_TRUE(ReadTowardName(span(bytes), toward, kFramePosition));
    EXPECT_EQ(toward.Points[0].StringPosition, kFramePosition + 2 * 0xFFFE);
}

TEST(GuidanceFrame, EmptyTableAtTheFrameEndIsThereAndAllOnesIsNot) {
    // Toward names: count 0 at the frame's end; direction guides: all ones; road structures: past the end.
    ByteWriter w;
    w.u16(0).u16(1u << 9 | 1u << 7 | 1u << 6).u32(0);
    w.u16(0).u16(0).u16(0xFFFF).u16(0).u16(0).u16(0).u32(0xFFFFFFFFu);
    const uint16_t end = uint16_t(w.size() / 2);
    w.patchU16(8, end);
    w.patchU16(16, uint32_t(end + 1));
    TLN_Guidance_Data_Frame g;
    ASSERT_TRUE(ReadGuidanceDataFrame(span(w), g));
    EXPECT_EQ(g.Tables[2].Position, kFramePosition + int64_t(w.size()));
    EXPECT_EQ(g.Tables[2].Count, 0);
    EXPECT_TRUE(GuidanceRecordPositions(span(w), g, TLN_Guidance_Table::TowardNames).empty());
    EXPECT_TRUE(g.Tables[4].Present);
    EXPECT_EQ(g.Tables[4].Position, -1);
    EXPECT_EQ(g.Tables[5].Position, -1);
    EXPECT_EQ(g.ExtendedPosition, -1);
}
