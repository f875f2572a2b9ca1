// Arrow points along one-way road segments: bearing, middle point, short segments and spacing.
#include <gtest/gtest.h>

#include "converter/rewrite/OneWayArrows.h"

namespace {

using namespace rewrite;
namespace bd = building_data;

TEST(OneWayArrows, BearingsRunClockwiseFromNorth) {
    struct Case {
        Step to;
        uint16_t bearing;
    } cases[] = {{{0, 100}, 0},    {{100, 100}, 45},    {{100, 0}, 90},   {{100, -100}, 135},
                 {{0, -100}, 180}, {{-100, -100}, 225}, {{-100, 0}, 270}, {{-100, 100}, 315}};
    for (const Case& c : cases) {
        EXPECT_EQ(ArrowPlacer::Bearing({0, 0}, c.to, false), c.bearing) << c.to.x << "," << c.to.y;
        EXPECT_EQ(ArrowPlacer::Bearing({0, 0}, c.to, true), (c.bearing + 180) % 360);
    }
}

TEST(OneWayArrows, AnArrowAtTheMiddleOfEachLongSegmentAwayFromTheLast) {
    auto data = std::make_shared<std::vector<uint8_t>>();
    bd::WriteBox(*data, bd::Box{});
    ImportedOutlines outlines(data);
    ArrowPlacer placer(outlines);
    // A parcel of 8192 imported units: one parcel unit is 2 imported units.
    const ParcelRect rect{1000, 2000 + 8192, 1000 + 8192, 2000};
    placer.AddArrowPoint({0, 0}, {20, 20}, false, rect); // shorter than 21 on both axes
    EXPECT_EQ(outlines.ArrowCount(), 0u);
    placer.AddArrowPoint({100, 100}, {300, 100}, false, rect);
    ASSERT_EQ(outlines.ArrowCount(), 1u);
    placer.AddArrowPoint({300, 100}, {340, 100}, false, rect); // its middle 240 units from the last
    EXPECT_EQ(outlines.ArrowCount(), 1u);
    placer.AddArrowPoint({400, 100}, {400, 500}, true, rect);
    ASSERT_EQ(outlines.ArrowCount(), 2u);
    const bd::RecordView first = outlines.View(0), second = outlines.View(1);
    EXPECT_EQ(first.kind, bd::kOneWayArrow);
    EXPECT_EQ(first.PointAt(0), (bd::Point{1000 + 400, 2000 + 200}));
    ASSERT_EQ(first.labelLength, 2);
    EXPECT_EQ(first.Label()[0], 90);
    EXPECT_EQ(second.PointAt(0), (bd::Point{1000 + 800, 2000 + 600}));
    EXPECT_EQ(second.Label()[0] | (second.Label()[1] << 8), 180);
    EXPECT_EQ(first.Size(), 16u) << "the 16-byte arrow record";
}

void word(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

// A road frame with classes 0..6, class 6 of a one-way road type holding one multilink of four nodes:
// forward (one intermediate point), forward, not one-way, backward (one intermediate point).
std::vector<uint8_t> roadFrame(uint16_t roadType) {
    std::vector<uint8_t> f;
    word(f, 4), word(f, 0), word(f, 0x0700), word(f, 0);
    for (int k = 0; k < 6; ++k)
        word(f, 0), word(f, 0);
    word(f, 18), word(f, 1);
    word(f, uint16_t(roadType << 11));
    std::vector<uint8_t> shape;
    word(shape, 0x2001), word(shape, 100), word(shape, 100), word(shape, 0x6400); // (100,100) then (200,100)
    word(shape, 0x2000), word(shape, 700), word(shape, 100);                      // (700,100)
    word(shape, 0x8000), word(shape, 900), word(shape, 900);                      // not one-way
    word(shape, 0x4001), word(shape, 2000), word(shape, 2000), word(shape, 0x0064); // backward, up 100
    const uint16_t header = 26;
    const uint32_t size = header + uint32_t(shape.size());
    word(f, uint16_t(size / 2)), word(f, header / 2);
    word(f, 4), word(f, uint16_t(shape.size() / 2));
    for (int i = 0; i < 9; ++i)
        word(f, 0);
    f.insert(f.end(), shape.begin(), shape.end());
    return f;
}

TEST(OneWayArrows, TheRoadWalkJoinsOnlyConsecutiveOneWayNodes) {
    struct Case {
        uint16_t roadType;
        std::vector<std::pair<bd::Point, uint16_t>> arrows;
    } cases[] = {
        {0x10, {{{150, 100}, 90}, {{450, 100}, 90}, {{2000, 2050}, 180}}},
        {0x08, {}}, // a road type without bit 4
    };
    for (const Case& c : cases) {
        auto data = std::make_shared<std::vector<uint8_t>>();
        bd::WriteBox(*data, bd::Box{});
        ImportedOutlines outlines(data);
        ArrowPlacer placer(outlines);
        WalkOneWayRoads(TLN_FrameSpan::FromBytes(roadFrame(c.roadType), 0), {0, 4096, 4096, 0}, placer);
        ASSERT_EQ(outlines.ArrowCount(), c.arrows.size());
        for (size_t i = 0; i < c.arrows.size(); ++i) {
            const bd::RecordView v = outlines.View(uint32_t(i));
            EXPECT_EQ(v.PointAt(0), c.arrows[i].first) << i;
            EXPECT_EQ(v.Label()[0] | (v.Label()[1] << 8), c.arrows[i].second) << i;
        }
    }
}

} // namespace
