// Parameter builders: management records, the frame nodes of each record layout, palettes, pattern
// tables, an unknown layout, and counts a hostile part cannot blow up.
#include <gtest/gtest.h>

#include "KindHarness.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/ParamManager.h"
#include "support/fixtures/ParamFixture.h"

using harness::Captions;
using harness::Kinds;

namespace {

constexpr size_t kPrefix = 64;

std::shared_ptr<TLN_ParamManager> openParameters(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_ParamManager>(std::make_shared<TLN_MemoryStream>(std::move(bytes)),
                                              int64_t(kPrefix));
}

// Patches a big-endian u16.
void patch16(std::vector<uint8_t>& bytes, int64_t at, uint16_t value) {
    bytes[size_t(at)] = uint8_t(value >> 8);
    bytes[size_t(at) + 1] = uint8_t(value);
}

} // namespace

TEST(ParameterKinds, RecordsAndTheFramesOfEachLayout) {
    harness::KindHarness h;
    const auto reader = openParameters(fixture::buildParamPart(fixture::standardParamPlan(), kPrefix));
    ASSERT_TRUE(reader->IsValid());
    for (int rootKind : {103, 1320}) {
        auto root = harness::Root(rootKind, QStringLiteral("Parameters"), reader, reader->SharedStream());
        const auto records = h.Expand(*root);
        EXPECT_EQ(Captions(*root), (std::vector<QString>{"Record 0", "Record 1", "Record 2"}));
        EXPECT_EQ(Kinds(*root), (std::vector<int>{190, 190, 190}));
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[2]->recordOffset, int64_t(kPrefix) + 4 + 40); // the third management pointer
        EXPECT_TRUE(records[0]->hasChildren);
    }
    auto root = harness::Root(103, QStringLiteral("Parameters Data"), reader, reader->SharedStream());
    const auto records = h.Expand(*root);

    TLN_DrawingParamHeader drawing;
    ASSERT_TRUE(reader->ReadManagementRecord(reader->GetManagementPointer(0).DataFramePosition, drawing));
    const auto frames = h.Expand(*records[0]);
    EXPECT_EQ(Captions(*records[0]),
              (std::vector<QString>{"Color Palettes", "Line Style Palette 0", "Line Style Palette 1",
                                    "Map Element", "Landmark"}));
    EXPECT_EQ(Kinds(*records[0]), (std::vector<int>{191, 193, 193, 193, 194}));
    EXPECT_EQ(frames[0]->recordOffset, drawing.ColorPaletteTablePosition);
    EXPECT_EQ(frames[2]->recordOffset, drawing.LineStylePaletteTablePosition + 4);
    EXPECT_EQ(frames[3]->recordOffset, drawing.MapElementPosition);
    EXPECT_EQ(frames[4]->recordOffset, drawing.LandmarkFramePosition);
    EXPECT_FALSE(frames[1]->hasChildren);

    const auto palettes = h.Expand(*frames[0]);
    EXPECT_EQ(Captions(*frames[0]), (std::vector<QString>{"Color Palette 0", "Color Palette 1"}));
    EXPECT_EQ(palettes[1]->recordOffset, drawing.ColorPaletteTablePosition + 16);
    EXPECT_EQ(palettes[1]->kind, 192);

    TLN_LandmarkDataFrame landmarks;
    ASSERT_TRUE(reader->ReadLandmarkDataFrame(drawing.LandmarkFramePosition, landmarks));
    const auto tables = h.Expand(*frames[4]);
    ASSERT_EQ(tables.size(), landmarks.TablePositions.size());
    ASSERT_GE(tables.size(), 5u);
    EXPECT_EQ(tables[4]->caption, QStringLiteral("Pattern Table 4"));
    EXPECT_EQ(tables[4]->kind, 195);
    EXPECT_EQ(tables[4]->recordOffset, landmarks.TablePositions[4]);

    // The 3-D symbol and route number records hold a frame reference to their landmark frame.
    for (int record : {1, 2}) {
        const int frameKind = record == 1 ? 196 : 198;
        const auto landmark = h.Expand(*records[size_t(record)]);
        ASSERT_EQ(landmark.size(), 1u) << record;
        EXPECT_EQ(landmark[0]->caption, QStringLiteral("Landmark"));
        EXPECT_EQ(landmark[0]->kind, frameKind);
        TLN_FrameReference reference;
        ASSERT_TRUE(
            reader->ReadFrameReference(reader->GetManagementPointer(record).DataFramePosition, reference));
        EXPECT_EQ(landmark[0]->recordOffset, reference.FramePosition);
        const auto patternTables = h.Expand(*landmark[0]);
        ASSERT_FALSE(patternTables.empty());
        EXPECT_EQ(patternTables[0]->kind, frameKind + 1);
        EXPECT_EQ(patternTables[0]->caption, QStringLiteral("Pattern Table 0"));
    }
}

TEST(ParameterKinds, UnknownDataClassificationCodeHasNoFrameNodes) {
    harness::KindHarness h;
    std::vector<uint8_t> bytes = fixture::buildParamPart(fixture::standardParamPlan(), kPrefix);
    patch16(bytes, int64_t(kPrefix) + 4 + 13, 4615);
    const auto reader = openParameters(std::move(bytes));
    ASSERT_EQ(reader->GetManagementPointer(0).DataClassificationCode, 4615);
    auto root = harness::Root(103, QStringLiteral("Parameters Data"), reader);
    const auto records = h.Expand(*root);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(h.Expand(*records[0]).empty());
    EXPECT_EQ(h.Expand(*records[1]).size(), 1u);
}

TEST(ParameterKinds, HostileCountsAreBoundedByTheStream) {
    harness::KindHarness h;
    fixture::ParamPartPlan plan = fixture::standardParamPlan();
    plan.drawingLandmarks.declaredTables = 5000; // more than a landmark frame may hold: no tables
    std::vector<uint8_t> bytes = fixture::buildParamPart(plan, kPrefix);
    const int64_t drawingAt = openParameters(bytes)->GetManagementPointer(0).DataFramePosition;
    patch16(bytes, drawingAt + 8, 0xFFFF);  // Number of Color Palettes
    patch16(bytes, drawingAt + 14, 0xFFFF); // Number of Line Style Palettes
    const auto reader = openParameters(bytes);
    TLN_DrawingParamHeader drawing;
    ASSERT_TRUE(reader->ReadManagementRecord(drawingAt, drawing));
    const int64_t size = int64_t(bytes.size());

    auto root = harness::Root(103, QStringLiteral("Parameters Data"), reader);
    RecordNode& record = *h.Expand(*root)[0];
    h.Expand(record);
    const int64_t lineStyles = (size - drawing.LineStylePaletteTablePosition - 4) / 4 + 1;
    EXPECT_EQ(int64_t(record.children.size()), 1 + lineStyles + 2);
    EXPECT_LT(lineStyles, 0xFFFF);

    RecordNode& palettes = *record.children[0];
    h.Expand(palettes);
    EXPECT_EQ(int64_t(palettes.children.size()), (size - drawing.ColorPaletteTablePosition) / 16);
    EXPECT_TRUE(h.Expand(*record.children.back()).empty()); // the landmark frame's tables
}

TEST(ParameterKinds, NoReaderNoNodes) {
    harness::KindHarness h;
    auto root = harness::Root(103, QStringLiteral("Parameters Data"), HeldReader());
    EXPECT_TRUE(h.Expand(*root).empty());
    auto empty = openParameters(std::vector<uint8_t>(kPrefix + 8));
    auto invalid = harness::Root(1320, QStringLiteral("PARAM.KWI"), empty);
    EXPECT_TRUE(h.Expand(*invalid).empty());
}
