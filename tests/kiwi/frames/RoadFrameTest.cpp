// Road data frame readers: display classes, multilinks and their optional words, nodes, additional node
// information, street addresses, and counts and offsets that do not fit the frame.
#include <gtest/gtest.h>

#include "FrameTestSupport.h"
#include "kiwi/frames/RoadFrame.h"
#include "support/fixtures/FrameFixture.h"

using fixture::ByteWriter;
using frametest::kFramePosition;
using frametest::span;

namespace {

// A road header with the given class records (offset words, count words).
ByteWriter roadHeader(uint8_t classCount, const std::vector<std::pair<uint16_t, uint16_t>>& classes) {
    ByteWriter w;
    w.u16(uint32_t(4 + 2 * classes.size())).u16(0).u8(classCount).u8(0).u16(0);
    for (const auto& [offset, count] : classes)
        w.u16(offset).u16(count);
    return w;
}

// A minimal multilink: header of 26 bytes, nodes without points, node records of 8 bytes.
void multiLink(ByteWriter& w, uint16_t nodes, uint32_t sizeWords = 0, uint16_t flags = 0) {
    const size_t at = w.size();
    w.u32(0).u16(nodes).u16(uint32_t(3 * nodes)).u16(0).u16(0).u16(0).u16(flags);
    w.u32(0).u16(0).u16(0).u16(0x1234);
    for (uint16_t k = 0; k < nodes; ++k)
        w.u16(0).u16(k).u16(k);
    for (uint16_t k = 0; k < nodes; ++k)
        w.u32(0).u16(0).u16(0xFFFF);
    const uint32_t words = sizeWords ? sizeWords : uint32_t((w.size() - at) / 2);
    w.patchU32(at, (words & 0xFFF) << 16 | 13);
}

} // namespace

TEST(RoadFrame, ClassOffsetsOfEightWordsOrLessAreEmpty) {
    for (const uint16_t offset : std::initializer_list<uint16_t>{0, 1, 8, 9}) {
        ByteWriter w = roadHeader(1, {{offset, 1}});
        w.padTo(18);
        w.u16(0xF800);
        multiLink(w, 1);
        TLN_Road_Display_Class roadClass;
        ASSERT_TRUE(ReadRoadDisplayClass(span(w), 0, roadClass));
        if (offset <= 8) {
            EXPECT_EQ(roadClass.Position, -1) << offset;
        } else {
            EXPECT_EQ(roadClass.Position, kFramePosition + 20);
            EXPECT_EQ(roadClass.RoadType, 31);
            EXPECT_EQ(roadClass.PolylineCount, 1);
        }
    }
}

TEST(RoadFrame, TwentyClassesGiveSixteenRecords) {
    ByteWriter w = roadHeader(0xE0 | 20, std::vector<std::pair<uint16_t, uint16_t>>(20, {0, 0}));
    TLN_Road_Data_Frame frame;
    ASSERT_TRUE(ReadRoadDataFrame(span(w), frame));
    EXPECT_EQ(frame.DisplayClassCount, 20);
    EXPECT_EQ(frame.Classes.size(), 16u);
}

TEST(RoadFrame, RouteNumberStaysAtTwentyFourWithoutLinkId) {
    struct Case {
        uint16_t flags;
        bool street;
        uint16_t guidanceOffset;
        uint32_t streetSize;
    };
    // Route-type guidance flag (bit 1) and the street address flag move the words after +24.
    for (const Case& c : {Case{0x0002, false, 0x4444, 0}, Case{0x0000, true, 0, 2 * 0x555},
                          Case{0x0002, true, 0x4444, 2 * 0x555}}) {
        ByteWriter w;
        w.u32((c.street ? 1u << 15 : 0u) | 20u << 16 | 15).u16(0).u16(0).u16(0).u16(0).u16(0).u16(c.flags);
        w.u32(0xAAAAAAAAu).u16(0xBBBB).u16(0).u16(0x0777);
        if (c.flags & 2) w.u16(0x4444);
        if (c.street) w.u16(0xF555);
        w.padTo(40);
        TLN_MultiLink_Data_Record m;
        ASSERT_TRUE(ReadMultiLinkHeader(span(w), m, kFramePosition));
        EXPECT_FALSE(m.LinkIdFlag);
        EXPECT_EQ(m.StartLinkId, 0u);
        EXPECT_EQ(m.RouteNumber, 0x0777);
        EXPECT_EQ(m.RouteGuidanceDataOffset, c.guidanceOffset);
        EXPECT_EQ(m.StreetAddressInfoSize, c.streetSize);
    }
}

TEST(RoadFrame, CountsAreAcceptedAsFarAsTheirRecordsFit) {
    // 4095 polylines announced, room for two multilinks of 40 bytes.
    ByteWriter w = roadHeader(1, {{10, 0xFFFF}});
    w.padTo(20);
    w.u16(0x0800);
    multiLink(w, 2);
    multiLink(w, 2);
    TLN_Road_Display_Class roadClass;
    ASSERT_TRUE(ReadRoadDisplayClass(span(w), 0, roadClass));
    EXPECT_EQ(roadClass.StoredPolylineCount, 0xFFF);
    EXPECT_LT(roadClass.PolylineCount, 10);
    EXPECT_EQ(MultiLinkPositions(span(w), roadClass).size(), 2u);

    // 2047 nodes, 1023 points in the last: the shapes end at the frame's end.
    ByteWriter m;
    m.u32(0x0FFF0000u | 13).u16(0x7FF).u16(0xFFF).u16(0).u16(0).u16(0).u16(0);
    m.u32(0).u32(0).u16(0);
    m.u16(2).u16(1).u16(1).u16(0x0101).u16(0x0202);
    m.u16(0x3FF).u16(3).u16(3).u16(0x0303);
    TLN_MultiLink_Data_Record record;
    ASSERT_TRUE(ReadMultiLink(span(m), record, kFramePosition));
    EXPECT_EQ(record.NodeCount, 0x7FF);
    ASSERT_EQ(record.Links.size(), 2u);
    EXPECT_EQ(record.Links[0].Points, (std::vector<uint16_t>{0x0101, 0x0202}));
    EXPECT_EQ(record.Links[1].StoredPointCount, 0x3FF);
    EXPECT_EQ(record.Links[1].Points.size(), 1u);
    EXPECT_TRUE(record.Truncated);
    TLN_Link_Node_Connection connection;
    EXPECT_FALSE(ReadLinkNodeConnection(span(m), 5, connection, frametest::level(), kFramePosition));
}

TEST(RoadFrame, MultiLinkSizeZeroNeverLoops) {
    ByteWriter w = roadHeader(1, {{10, 100}});
    w.padTo(20);
    w.u16(0);
    multiLink(w, 1, 0xFFF000); // stored size 0
    TLN_Road_Display_Class roadClass;
    ReadRoadDisplayClass(span(w), 0, roadClass);
    EXPECT_TRUE(MultiLinkPositions(span(w), roadClass).empty());
    EXPECT_EQ(ReadMultiLinkSize(span(w), kFramePosition + 22), 0u);
    // The multilink itself still reads, bounded by the frame.
    TLN_MultiLink_Data_Record record;
    ASSERT_TRUE(ReadMultiLink(span(w), record, kFramePosition + 22));
    EXPECT_EQ(record.Links.size(), 1u);
}

TEST(RoadFrame, OffsetsOutsideTheFrameAreNotFound) {
    ByteWriter w = roadHeader(2, {{0x7FFF, 1}, {12, 1}});
    w.padTo(24);
    w.u16(0);
    multiLink(w, 1);
    TLN_Road_Data_Frame frame;
    ASSERT_TRUE(ReadRoadDataFrame(span(w), frame));
    EXPECT_EQ(frame.Classes[0].Position, -1);
    EXPECT_EQ(frame.Classes[1].Position, kFramePosition + 26);
    TLN_MultiLink_Data_Record m;
    EXPECT_FALSE(ReadMultiLinkHeader(span(w), m, kFramePosition + int64_t(w.size()) - 4));
    EXPECT_FALSE(ReadMultiLinkHeader(span(w), m, kFramePosition - 2));
    // A node whose additional record lies past the frame: the node reads, the additional record does not.
    std::vector<uint8_t> bytes = w.bytes();
    bytes[bytes.size() - 2] = 0x7F;
    TLN_Link_Node_Connection connection;
    ASSERT_TRUE(ReadLinkNodeConnection(span(bytes), 0, connection, frametest::level(), kFramePosition + 26));
    EXPECT_EQ(connection.Node.AdditionalOffset, 0x7FFF);
    EXPECT_FALSE(connection.Additional.Found);
}

TEST(RoadFrame, FixtureRoadFrameReadsAsWritten) {
    fixture::FrameOptions options;
    options.counter = 7;
    options.nodeRecordBytes = 10;
    std::vector<int64_t> multiLinks;
    const TLN_FrameSpan frame = span(fixture::roadFrame(options, &multiLinks));
    TLN_Road_Data_Frame road;
    ASSERT_TRUE(ReadRoadDataFrame(frame, road));
    EXPECT_EQ(road.DisplayClassCount, 3);
    EXPECT_EQ(road.IntersectionCount, 17);
    EXPECT_TRUE(road.ExpansionFlag());
    ASSERT_EQ(road.Classes.size(), 3u);
    EXPECT_EQ(MultiLinkPositions(frame, road.Classes[0]),
              (std::vector<int64_t>{kFramePosition + multiLinks[0], kFramePosition + multiLinks[1]}));
    EXPECT_EQ(road.Classes[1].Position, -1);
    EXPECT_EQ(road.Classes[2].RoadType, 4);

    TLN_MultiLink_Data_Record m;
    ASSERT_TRUE(ReadMultiLink(frame, m, kFramePosition + multiLinks[0]));
    EXPECT_EQ(m.StartLinkId, 0x00100007u);
    EXPECT_EQ(m.EndLinkId, 0x0010000Bu);
    EXPECT_EQ(m.RouteNumber, 307);
    EXPECT_EQ(m.RoadTypeCode, 3);
    ASSERT_EQ(m.Links.size(), 3u);
    EXPECT_EQ(m.Links[0].X, 107);
    EXPECT_EQ(m.Links[0].RelativeX, 1);
    EXPECT_EQ(m.Links[1].RelativeY, 2);
    EXPECT_EQ(m.Links[2].OneWayCode, 3);
    EXPECT_FALSE(m.Links[2].OneWayValid);

    const auto level = frametest::level(10);
    TLN_Link_Node_Connection node0;
    ASSERT_TRUE(ReadLinkNodeConnection(frame, 0, node0, level, m.Position));
    EXPECT_EQ(node0.Node.TargetNodeType, 1);
    EXPECT_TRUE(node0.Node.OnBoundary);
    EXPECT_EQ(node0.Node.CrossingNumber, 17);
    EXPECT_EQ(node0.Node.LinkTypeCode, 21);
    ASSERT_TRUE(node0.Additional.Found);
    EXPECT_EQ(node0.Additional.DifferentialLinkId, 7);
    EXPECT_EQ(node0.Additional.WidthDirection(), 3);
    EXPECT_EQ(node0.Additional.ForwardLanes(), 2);
    EXPECT_EQ(node0.Additional.BackwardWidth(), 5);
    EXPECT_EQ(node0.Additional.LinkLength, 0x0123);
    EXPECT_EQ(node0.Additional.BoundaryWord, 0xB0B0);
    TLN_Street_Address_Record street;
    ASSERT_TRUE(ReadStreetAddressInfo(frame, 0, street, level, m.Position, frame.Position()));
    EXPECT_EQ(street.AddressType, 3);
    EXPECT_EQ(street.AdministrativeLeft, 0x80);
    EXPECT_EQ(street.StreetRight, street.StreetLeft);
    EXPECT_EQ(street.LeftStart, 10u);
    EXPECT_EQ(street.RightEnd, 0x8000u | 31);
    // Node 1 has no additional record; node 2's words follow flags 13, 12, 10 and 9.
    TLN_Link_Node_Connection node1, node2;
    ASSERT_TRUE(ReadLinkNodeConnection(frame, 1, node1, level, m.Position));
    EXPECT_FALSE(node1.Additional.Found);
    EXPECT_FALSE(ReadStreetAddressInfo(frame, 1, street, level, m.Position, frame.Position()));
    ASSERT_TRUE(ReadLinkNodeConnection(frame, 2, node2, level, m.Position));
    EXPECT_EQ(node2.Additional.IntersectionGuidanceOffset, 0x0A0A);
    EXPECT_EQ(node2.Additional.PassageRegulationOffset, 0x0C0C);
    EXPECT_EQ(node2.Additional.RegionNumber, 47);
    EXPECT_FALSE(ReadLinkNodeConnection(frame, 3, node2, level, m.Position));
}

TEST(RoadFrame, StreetAddressHouseNumbersByType) {
    struct Case {
        uint16_t details;
        std::vector<uint16_t> words;
        int64_t right;
        uint32_t house, leftStart, leftEnd, rightStart, rightEnd;
    };
    const Case cases[] = {
        // Type 1: one u16; right = left (bit 15).
        {0x8000 | 1u << 5, {0x0010, 0x0099}, 0x20, 0x99, 0, 0, 0, 0},
        // Type 2: one u32.
        {2u << 5, {0x0010, 0x0011, 0x0001, 0x0002}, 0x22, 0x10002, 0, 0, 0, 0},
        // Type 4 with the left side only: u32 start and end.
        {1u << 10 | 4u << 5, {0x0010, 0x0011, 0, 5, 0, 9}, 0x22, 0, 5, 9, 0, 0},
        // Type 3 with the right side only.
        {2u << 8 | 3u << 5, {0x0010, 0x0011, 3, 4}, 0x22, 0, 0, 0, 3, 4},
        // Type 6: no house numbers.
        {6u << 5, {0x0010, 0x0011}, 0x22, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ByteWriter w;
        w.u16(8).u16(c.details);
        for (uint16_t word : c.words)
            w.u16(word);
        TLN_Street_Address_Record r;
        ASSERT_TRUE(ReadStreetAddressRecord(span(w), r, kFramePosition));
        EXPECT_EQ(r.AdministrativeRight, c.right);
        EXPECT_EQ(r.StreetLeft, -1);
        EXPECT_EQ(r.HouseNumber, c.house);
        EXPECT_EQ(r.LeftStart, c.leftStart);
        EXPECT_EQ(r.LeftEnd, c.leftEnd);
        EXPECT_EQ(r.RightStart, c.rightStart);
        EXPECT_EQ(r.RightEnd, c.rightEnd);
    }
    // A record cut by the frame's end is not found.
    ByteWriter cut;
    cut.u16(8).u16(4u << 5 | 1u << 10).u16(1).u16(2).u16(0);
    TLN_Street_Address_Record r;
    EXPECT_FALSE(ReadStreetAddressRecord(span(cut), r, kFramePosition));
}
