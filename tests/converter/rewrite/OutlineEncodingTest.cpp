// Position, outline and name record encodings against hand-computed bytes.
#include <gtest/gtest.h>

#include "converter/rewrite/OutlineEncoding.h"

namespace {

using building_data::Point;
using namespace rewrite;

// A parcel of 4096 × 4096 imported units at the origin: positions equal coordinates.
const ParcelRect kUnit{0, 4096, 4096, 0};

TEST(OutlineEncoding, PositionsKeepBitsFifteenToThirteenApart) {
    EXPECT_EQ(EncodePosition(0), 0x0000);
    EXPECT_EQ(EncodePosition(4095), 0x0FFF);
    EXPECT_EQ(EncodePosition(4096), 0x2000);
    EXPECT_EQ(EncodePosition(4097), 0x2001);
    EXPECT_EQ(ParcelPosition(50, 0, 100), 2048);
    EXPECT_EQ(ParcelPosition(5, 0, 0), 0) << "an empty extent gives no position";
}

TEST(OutlineEncoding, LongSegmentsBecomeStepsOfAtMost127) {
    struct Case {
        std::vector<Point> path;
        std::vector<int8_t> steps;
    } cases[] = {
        {{{0, 0}, {200, 0}}, {127, 0, 73, 0}},
        {{{0, 0}, {0, -200}}, {0, -127, 0, -73}},
        {{{10, 10}, {20, 30}, {20, 30}, {10, 10}}, {10, 20, -10, -20}}, // repeated point skipped
        {{{0, 0}, {254, 127}}, {127, 63, 127, 64}},
    };
    for (const Case& c : cases) {
        const EncodedOutline e = EncodeOutline(kUnit, c.path, 0);
        EXPECT_EQ(e.steps, c.steps);
        EXPECT_EQ(e.startX, EncodePosition(c.path[0].x));
    }
    const Step s = StepToward({0, 0}, {200, 0});
    EXPECT_EQ(s.x, 127);
    EXPECT_EQ(s.y, 0);
}

TEST(OutlineEncoding, CityAreasStepOnACoarserGrid) {
    // Shift 7: 4096 parcel units become 32 step units.
    const EncodedOutline e = EncodeOutline(kUnit, {{0, 0}, {4096, 0}, {4096, 4096}}, 7);
    EXPECT_EQ(e.steps, (std::vector<int8_t>{32, 0, 0, 32}));
}

TEST(OutlineEncoding, BackgroundRecordHeaders) {
    const EncodedOutline e = EncodeOutline(kUnit, {{100, 200}, {110, 200}, {110, 210}, {100, 200}}, 0);
    ASSERT_EQ(e.StepCount(), 3u);
    const std::vector<uint8_t> building = BuildingRecord(e, 0x0143, false, true);
    const std::vector<uint8_t> header = {0x00, 0x09, 0xC0, 0x03, 0x01, 0x43,
                                         0x00, 0x00, 0x00, 0x64, 0x00, 0xC8};
    EXPECT_EQ(std::vector<uint8_t>(building.begin(), building.begin() + 12), header);
    EXPECT_EQ(building.size(), 18u);
    EXPECT_EQ(building[12], 10);
    EXPECT_EQ(BuildingRecord(e, 0x0143, true, true)[2], 0xD0) << "the extra level";
    EXPECT_EQ(BuildingRecord(e, 0x0143, false, false)[2], 0x80) << "below the detail filter";
    const std::vector<uint8_t> area = CityAreaRecord(e);
    EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 8),
              (std::vector<uint8_t>{0x00, 0x09, 0x00, 0x03, 0x01, 0x01, 0x00, 0x07}));
}

TEST(OutlineEncoding, NameRecords) {
    const ParcelRect rect{1000, 8192, 1000 + 8192, 0};
    // x: (1000 + 4096 - 1000) * 4096 / 8192 = 2048; y: 8192 -> 4096 -> 2000 hex.
    const std::vector<uint8_t> number = HouseNumberRecord(rect, {1000 + 4096, 8192}, 450, "12", 1251);
    EXPECT_EQ(number, (std::vector<uint8_t>{0x00, 0x09, 0x81, 0x20, 0x01, 0xC2, 0x00, 0x00, 0x08, 0x00, 0x20,
                                            0x00, 0x00, 0x02, 0x00, 0x01, '1', '2'}));
    const std::vector<uint8_t> odd = HouseNumberRecord(rect, {1000, 0}, 450, "12\xC0", 1251);
    EXPECT_EQ(odd.size(), 20u) << "a 3-byte label is padded to 4";
    EXPECT_EQ(odd[1], 10);
    EXPECT_EQ(odd[13], 3);
    EXPECT_EQ(odd[15], 2);
    const std::vector<uint8_t> arrow = ArrowNameRecord(rect, {1000, 0}, 0x2BC);
    EXPECT_EQ(arrow, (std::vector<uint8_t>{0x00, 0x08, 0x85, 0x20, 0x01, 0xF2, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0x00, 0x16, 0xBC, 0x00, 0x00}));
}

} // namespace
