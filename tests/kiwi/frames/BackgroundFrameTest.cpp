// Background data frame readers: entry widths by system number, the class limit, the display test, pen up
// runs that never loop, and counts and offsets that do not fit the frame.
#include <gtest/gtest.h>

#include "FrameTestSupport.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "support/fixtures/FrameFixture.h"

using fixture::ByteWriter;
using frametest::kFramePosition;
using frametest::span;

namespace {

// A line record with n offsets and the pen up flag, followed by the given runs (first words) and a pointer.
ByteWriter lineRecord(uint16_t n, const std::vector<uint16_t>& runs, uint16_t sizeWords = 0) {
    ByteWriter w;
    w.u16(0).u16(0x1Fu << 11 | n).u16(321).u16(1u << 10);
    w.u16(10).u16(20);
    for (uint16_t i = 0; i < n; ++i)
        w.u16(0x0101);
    for (uint16_t run : runs)
        w.u16(run).u16(0xEEEE);
    w.u32(0xCAFEF00Du);
    w.patchU16(0, sizeWords ? sizeWords : uint32_t(w.size() / 2));
    return w;
}

} // namespace

TEST(BackgroundFrame, EntryWidthsFollowTheSystemNumber) {
    for (const uint32_t system : {7u, 8u}) {
        const bool wide = system >= 8;
        fixture::FrameOptions options;
        options.wide = wide;
        const TLN_FrameSpan frame = span(fixture::backgroundFrame(options, 0));
        TLN_Element_Management_Information entry;
        ASSERT_TRUE(ReadElementManagement(frame, 0, entry, system)) << system;
        EXPECT_EQ(entry.Position, kFramePosition + (wide ? 16 : 10));
        EXPECT_FALSE(ReadElementManagement(frame, 1, entry, system));
        // Read with the other width, the first entry is garbage or absent, never the element unit.
        TLN_Element_Management_Information other;
        ReadElementManagement(frame, 0, other, wide ? 7 : 8);
        EXPECT_NE(other.Position, kFramePosition + (wide ? 16 : 10));

        TLN_Background_Data_Frame background;
        ASSERT_TRUE(ReadBackgroundDisplayClass(frame, frametest::level(), background, system));
        ASSERT_EQ(background.Elements.size(), 2u);
        const auto& units = background.Elements[0].TypeUnits;
        ASSERT_EQ(units.size(), 3u);
        EXPECT_EQ(units[0].ShapeClassification, 0);
        EXPECT_EQ(units[0].RecordCount, 2);
        EXPECT_EQ(units[1].ShapeClassification, 1);
        EXPECT_TRUE(units[2].HeightFlag);
        EXPECT_FALSE(background.Elements[1].Present());
    }
}

TEST(BackgroundFrame, ClassCountIsHeldAtThirtyTwo) {
    ByteWriter w;
    w.u16(1 + 2 * 40);
    for (int i = 0; i < 40; ++i)
        w.u16(0xFFFF).u16(0);
    TLN_Background_Data_Frame frame;
    ASSERT_TRUE(ReadBackgroundDisplayClass(span(w), frametest::level(8, 40), frame, 2));
    EXPECT_EQ(frame.ClassCount, 32);
    EXPECT_EQ(frame.Elements.size(), 32u);
}

TEST(BackgroundFrame, DisplayTest) {
    ByteWriter w;
    w.u16(8).u16(0x04u << 11).u16(77).u16(0).u16(1).u16(2).u32(3);
    TLN_Minimum_Graphics_Data_Record r;
    EXPECT_TRUE(ReadMinimumGraphics(span(w), false, r, 4, kFramePosition));
    EXPECT_EQ(r.TypeCode, 77);
    EXPECT_FALSE(ReadMinimumGraphics(span(w), false, r, 3, kFramePosition));
    EXPECT_EQ(r.TypeCode, 0); // not filled past the display flags
    EXPECT_EQ(r.DisplayScaleFlags, 4);
    EXPECT_TRUE(ReadMinimumGraphics(span(w), false, r, 48, kFramePosition));
    EXPECT_FALSE(ReadMinimumGraphics(span(w), false, r, 47 & ~4u, kFramePosition));
    EXPECT_TRUE(ReadMinimumGraphicsShape(span(w), false, r, kFramePosition));
    EXPECT_TRUE(DisplayScaleShows(0, 48));
    EXPECT_FALSE(DisplayScaleShows(0, 31));
}

TEST(BackgroundFrame, PenUpRunsStop) {
    struct Case {
        const char* name;
        std::vector<uint16_t> runs;
        size_t read;
        bool truncated;
    };
    const Case cases[] = {
        {"sum reached", {2, 2}, 2, false},
        {"sum passed", {3, 0x0F05}, 2, false},    // bits 11-0 only: 3 + 5 > 4
        {"zero run", {1, 0xF000, 1, 1}, 2, true}, // a zero length would never advance
        {"one run", {4}, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ByteWriter w = lineRecord(3, c.runs);
        TLN_Minimum_Graphics_Data_Record r;
        ASSERT_TRUE(ReadMinimumGraphicsShape(span(w), true, r, kFramePosition));
        EXPECT_EQ(r.Offsets.size(), 3u);
        EXPECT_EQ(r.PenUpRuns.size(), c.read);
        EXPECT_EQ(r.Truncated, c.truncated);
        if (c.read == c.runs.size()) {
            EXPECT_EQ(r.AdditionalPointer, 0xCAFEF00Du);
        }
    }
    // Runs that never add up stop at the record's end (its size covers one run only).
    const ByteWriter w = lineRecord(3, {1, 1, 1, 1}, 11);
    TLN_Minimum_Graphics_Data_Record r;
    ASSERT_TRUE(ReadMinimumGraphicsShape(span(w), true, r, kFramePosition));
    EXPECT_EQ(r.PenUpRuns.size(), 1u);
    EXPECT_TRUE(r.Truncated);
}

TEST(BackgroundFrame, PointsCarryNoOffsetsAndCountsFitTheRecord) {
    ByteWriter w;
    w.u16(9).u16(0x1Fu << 11 | 5).u16(1).u16(1u << 12 | 7).u16(1).u16(2).u16(0x0042).u32(9);
    TLN_Minimum_Graphics_Data_Record r;
    ASSERT_TRUE(ReadMinimumGraphicsShape(span(w), false, r, kFramePosition));
    EXPECT_TRUE(r.Offsets.empty());
    EXPECT_EQ(r.MultiplicationConstant, 0);
    EXPECT_EQ(r.NameOffset, 0x0042);
    EXPECT_EQ(r.AdditionalPointer, 9u);
    // 2047 offsets announced in a record of 16 bytes: two of them.
    ByteWriter big;
    big.u16(8).u16(0x7FF).u16(1).u16(0).u16(1).u16(2).u16(0x0101).u16(0x0202).u32(0);
    ASSERT_TRUE(ReadMinimumGraphicsShape(span(big), true, r, kFramePosition));
    EXPECT_EQ(r.StoredOffsetCount, 0x7FF);
    EXPECT_EQ(r.Offsets.size(), 2u);
    EXPECT_TRUE(r.Truncated);
}

TEST(BackgroundFrame, UnitsAndRecordsThatDoNotFit) {
    // Element unit offset past the frame: not found.
    ByteWriter w;
    w.u16(3).u16(0x4000).u16(4).u16(0).u16(0);
    TLN_Element_Management_Information entry;
    EXPECT_FALSE(ReadElementManagement(span(w), 0, entry, 2));
    // A unit announcing 4095 type units holds 2; a type unit announcing 4095 records holds what fits;
    // a record of size 0 ends the walk.
    ByteWriter u;
    u.u16(3).u16(3).u16(9).u16(0xFFFF);
    u.u16(5).u16(1u << 14 | 0xFFF).u16(5).u16(0xFFF);
    u.u16(0).u16(0x1Fu << 11).u16(1).u16(0).u16(0).u16(0).u32(0);
    TLN_Element_Management_Information unit;
    ASSERT_TRUE(ReadElementManagement(span(u), 0, unit, 2));
    EXPECT_EQ(unit.Size, 18u);
    ASSERT_TRUE(ReadBackgroundTypeUnit(span(u), unit, 2));
    EXPECT_EQ(unit.StoredTypeUnitCount, 0xFFFF);
    ASSERT_EQ(unit.TypeUnits.size(), 4u);
    EXPECT_EQ(unit.TypeUnits[0].StoredRecordCount, 0xFFF);
    EXPECT_EQ(unit.TypeUnits[0].RecordCount, 1);
    EXPECT_TRUE(MinimumGraphicsPositions(span(u), unit.TypeUnits[0]).empty());
}

TEST(BackgroundFrame, TypeUnitListsAtTheFrameEndAndAllOnesOffsets) {
    // Three type units: no records at exactly the frame's end (an empty list there), all ones (none), and
    // one word past the end (outside the frame, so not there either).
    for (const uint32_t system : {2u, 8u}) {
        const bool wide = system >= 8;
        ByteWriter w;
        const uint32_t unitWords = wide ? 16 : 7; // count word + three headers of 10 or 4 bytes
        if (wide)
            w.u16(5).u16(0).u32(5).u16(uint16_t(unitWords));
        else
            w.u16(3).u16(3).u16(uint16_t(unitWords));
        const int64_t unitPosition = kFramePosition + int64_t(w.size());
        w.u16(3);
        for (const uint32_t offset : {unitWords, wide ? 0xFFFFFFFFu : 0xFFFFu, unitWords + 1}) {
            if (wide)
                w.u32(offset).u16(0).u16(0).u16(0);
            else
                w.u16(uint16_t(offset)).u16(0);
        }
        const TLN_FrameSpan frame = span(w);
        TLN_Element_Management_Information entry;
        ASSERT_TRUE(ReadElementManagement(frame, 0, entry, system)) << system;
        EXPECT_EQ(entry.Position, unitPosition);
        ASSERT_TRUE(ReadBackgroundTypeUnit(frame, entry, system)) << system;
        ASSERT_EQ(entry.TypeUnits.size(), 3u) << system;
        EXPECT_EQ(entry.TypeUnits[0].Position, frame.End()) << system;
        EXPECT_EQ(entry.TypeUnits[0].RecordCount, 0) << system;
        EXPECT_TRUE(MinimumGraphicsPositions(frame, entry.TypeUnits[0]).empty());
        EXPECT_LT(entry.TypeUnits[1].Position, 0) << system;
        EXPECT_LT(entry.TypeUnits[2].Position, 0) << system;
    }
}

TEST(BackgroundFrame, RecordsWithAndWithoutTheAdditionalPointer) {
    // The fixture's records: two points, a line, an area. Sizes from the layout: 12 fixed bytes, 2 per
    // offset, 4 per pen up run of a line (2 for a point), 2 per name and auxiliary word, 4 for the pointer.
    const uint32_t withoutPointer[] = {12 + 2 + 2, 12 + 2, 12 + 6 + 8 + 2, 12 + 8};
    for (const bool pointers : {true, false}) {
        SCOPED_TRACE(pointers ? "with pointers" : "without pointers");
        fixture::FrameOptions options;
        options.backgroundPointers = pointers;
        const TLN_FrameSpan frame = span(fixture::backgroundFrame(options, 0x1234));
        TLN_Background_Data_Frame background;
        ASSERT_TRUE(ReadBackgroundDisplayClass(frame, frametest::level(), background, 2));
        std::vector<TLN_Minimum_Graphics_Data_Record> records;
        for (const TLN_Background_Type_Unit& unit : background.Elements[0].TypeUnits)
            for (const int64_t at : MinimumGraphicsPositions(frame, unit)) {
                records.emplace_back();
                ASSERT_TRUE(
                    ReadMinimumGraphicsShape(frame, unit.ShapeClassification != 0, records.back(), at));
            }
        ASSERT_EQ(records.size(), 4u);
        for (size_t i = 0; i < records.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(records[i].Size, withoutPointer[i] + (pointers ? 4 : 0));
            EXPECT_FALSE(records[i].Truncated);
            EXPECT_EQ(records[i].HasAdditionalPointer, pointers);
        }
        EXPECT_EQ(records[0].NameOffset, 0x1234);
        EXPECT_EQ(records[0].AuxiliaryData, 13);
        EXPECT_EQ(records[2].NameOffset, 0x1234);
        EXPECT_EQ(records[2].PenUpRuns.size(), 2u);
        EXPECT_EQ(records[3].Offsets.size(), 4u);
        EXPECT_EQ(records[3].AdditionalInfoFlag, pointers);
        EXPECT_EQ(records[3].AdditionalPointer, pointers ? 0x00ABC000u : 0u);
    }
    // A point record with 0 to 4 bytes after its fixed part, bounded by its size (whole words) or by the
    // frame's end (size 0): the pointer is read only from 4 bytes, and a record that sets the additional
    // information flag with less room is cut short.
    for (const bool bySize : {true, false})
        for (const uint32_t spare : {0u, 1u, 2u, 3u, 4u})
            for (const bool flag : {false, true}) {
                if (bySize && spare % 2) continue;
                SCOPED_TRACE(testing::Message()
                             << (bySize ? "size" : "frame end") << " spare " << spare << " flag " << flag);
                ByteWriter w;
                w.u16(bySize ? 6u + spare / 2u : 0u).u16(0x1Fu << 11).u16(1);
                w.u16(flag ? 1u << 13 : 0u).u16(1).u16(2);
                for (uint32_t i = 0; i < spare; ++i)
                    w.u8(0xAB);
                if (bySize) w.u32(0xEEEEEEEEu); // the next record's bytes, not this one's
                TLN_Minimum_Graphics_Data_Record r;
                ASSERT_TRUE(ReadMinimumGraphicsShape(span(w), false, r, kFramePosition));
                EXPECT_EQ(r.HasAdditionalPointer, spare == 4);
                EXPECT_EQ(r.AdditionalPointer, spare == 4 ? 0xABABABABu : 0u);
                EXPECT_EQ(r.Truncated, flag && spare < 4);
            }
}
