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

} // namespace
