// Infrastructure link frame readers: the identification test, mesh counts, link records and their
// distances, records located across meshes, and offsets outside the frame.
#include <gtest/gtest.h>

#include "FrameTestSupport.h"
#include "kiwi/frames/InfraLinkFrame.h"
#include "support/fixtures/FrameFixture.h"

using fixture::ByteWriter;
using frametest::kFramePosition;
using frametest::span;

namespace {
ByteWriter infraHeader(uint32_t code, uint16_t meshes, uint16_t meshWords) {
    ByteWriter w;
    w.coordinate(100).coordinate(-200).u8(4).u8(0).u16(0x0102).u32(code);
    w.u16(9).u16(meshes).u16(0).u16(meshWords).u16(6).u16(6).u32(0xFFFFFFFFu).u16(0);
    return w;
}
} // namespace

TEST(InfraLinkFrame, IdentificationBytes) {
    struct Case {
        uint32_t code;
        bool accepted;
    };
    for (const Case c : {Case{0x00310100u, true}, Case{0x003101FFu, true}, Case{0x00310200u, false},
                         Case{0x01310100u, false}}) {
        ByteWriter w = infraHeader(c.code, 0, 2);
        w.fill(18, 0);
        TLN_Infra_Link_Frame frame;
        EXPECT_EQ(ReadInfraLinkFrame(span(w), frame), c.accepted) << std::hex << c.code;
        EXPECT_EQ(frame.Office.X, -200);
        EXPECT_EQ(frame.Office.Y, 100);
        EXPECT_EQ(frame.RoadLinkTablePosition, -1);
    }
}

TEST(InfraLinkFrame, MeshRecordOfFortyBytesKeepsSixteenCounts) {
    ByteWriter w = infraHeader(0x00310100u, 1, 20);
    w.u32(0).u16(0).u16(0x1234);
    for (int k = 0; k < 19; ++k)
        w.u16(uint32_t(k + 1));
    w.fill(2 * (6 + 40), 0);
    TLN_TmcMeshInfoRec mesh;
    ASSERT_TRUE(ReadMeshInfo(span(w), 0, mesh, 0));
    EXPECT_EQ(mesh.MeshCode, 0x1234);
    EXPECT_EQ(mesh.StoredCountWords, 19);
    ASSERT_EQ(mesh.Counts.size(), 16u);
    EXPECT_EQ(mesh.Counts[15], 16);
    EXPECT_FALSE(ReadMeshInfo(span(w), 0, mesh, 1));
    // A frame that is not accepted has no meshes.
    std::vector<uint8_t> bytes = w.bytes();
    bytes[14] = 0x02;
    EXPECT_FALSE(ReadMeshInfo(span(bytes), 0, mesh, 0));
}

TEST(InfraLinkFrame, LinkRecordsOfTheFixture) {
    fixture::FrameOptions options;
    options.counter = 3;
    std::vector<int64_t> multiLinks;
    fixture::roadFrame(options, &multiLinks);
    const TLN_FrameSpan frame = span(fixture::infraLinkFrame(options, multiLinks));
    TLN_Infra_Link_Frame header;
    ASSERT_TRUE(ReadInfraLinkFrame(frame, header));
    EXPECT_EQ(header.MeshCount, 2);
    EXPECT_EQ(header.LinkRecordSize, 16u);
    EXPECT_EQ(header.RoadLinkRecordSize, 12u);
    // Area 2 has no links; its data offset names the frame's end.
    EXPECT_EQ(header.Areas[2].DataPosition, frame.End());

    // Mesh 1 of area 0 follows the two links of mesh 0.
    TLN_Infra_Link_Data data;
    ASSERT_TRUE(ReadInfraLinkData(frame, 0, 1, 0, data));
    EXPECT_EQ(data.Record.Position, header.Areas[0].DataPosition + 2 * 16);
    EXPECT_EQ(data.Record.Attribute, 3);
    EXPECT_EQ(data.Record.OriginDistance, -1); // all ones
    EXPECT_EQ(data.Record.EndDistance, 120);
    EXPECT_EQ(data.Record.Length, 120u);
    EXPECT_EQ(data.RoadLinkPosition, -1); // a midpoint link names no road link
    EXPECT_FALSE(ReadInfraLinkData(frame, 0, 1, 1, data));

    ASSERT_TRUE(ReadInfraLinkData(frame, 0, 0, 0, data));
    EXPECT_EQ(data.Record.Attribute, 0);
    EXPECT_EQ(data.Record.LinkNumber, 103);
    EXPECT_EQ(data.Record.LongNumber, 0x01000003u);
    EXPECT_EQ(data.RoadLinkCount, 2);
    EXPECT_EQ(data.RoadLinkPosition, header.RoadLinkTablePosition);
    TLN_Road_Link_Corresponding_Rec link;
    ASSERT_TRUE(ReadRoadLinkCorrespondence(frame, link, data.RoadLinkPosition + 12));
    EXPECT_EQ(link.RoadOffset, multiLinks[1] / 2);
    EXPECT_TRUE(link.Backward());
    EXPECT_EQ(link.StartNode(), 2);
    EXPECT_EQ(link.StartLinkId, 0x00200001u);

    ASSERT_TRUE(ReadInfraLinkData(frame, 1, 0, 0, data));
    EXPECT_EQ(data.Record.Exceptional, 2);
    EXPECT_EQ(data.Record.EndDistance, 40);
    EXPECT_FALSE(ReadInfraLinkData(frame, 2, 0, 0, data));
}

TEST(InfraLinkFrame, MeshCountsAndRecordsBeyondTheFrame) {
    // 65535 meshes announced: as many as the frame holds.
    ByteWriter w = infraHeader(0x00310100u, 0xFFFF, 3);
    w.u32(0).u16(0).u16(1).u16(5).u16(6);
    TLN_Infra_Link_Frame header;
    ASSERT_TRUE(ReadInfraLinkFrame(span(w), header));
    EXPECT_EQ(InfraLinkMeshCount(span(w), header, 0), 1);
    EXPECT_EQ(InfraLinkMeshCount(span(w), header, 1), 0);
    // Area 0's data offset points inside the frame, but the 11 records its mesh counts are not there.
    TLN_Infra_Link_Data data;
    EXPECT_FALSE(ReadInfraLinkData(span(w), 0, 0, 10, data));
    TLN_Infra_Link_Record record;
    EXPECT_FALSE(ReadInfraLinkRecord(span(w), 12, record, kFramePosition + int64_t(w.size()) - 4));
}

TEST(InfraLinkFrame, EmptyAreaAndTableAtTheFrameEnd) {
    // No meshes; area 0's data and the road link table name the frame's end, area 1 is all ones, area 2
    // lies one word past the end.
    ByteWriter w = infraHeader(0x00310100u, 0, 2);
    const size_t areas = w.size();
    w.u32(0).u16(0).u32(0xFFFFFFFFu).u16(0).u32(0).u16(0);
    const uint32_t end = uint32_t((w.size() - 16) / 2);
    w.patchU32(areas, end);
    w.patchU32(areas + 12, end + 1);
    w.patchU32(28, end);
    TLN_Infra_Link_Frame header;
    ASSERT_TRUE(ReadInfraLinkFrame(span(w), header));
    EXPECT_EQ(header.Areas[0].DataPosition, kFramePosition + int64_t(w.size()));
    EXPECT_EQ(header.RoadLinkTablePosition, kFramePosition + int64_t(w.size()));
    EXPECT_EQ(header.Areas[1].DataPosition, -1);
    EXPECT_EQ(header.Areas[2].DataPosition, -1);
    TLN_Infra_Link_Data data;
    EXPECT_FALSE(ReadInfraLinkData(span(w), 0, 0, 0, data));
}
