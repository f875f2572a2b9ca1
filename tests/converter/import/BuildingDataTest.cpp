// The compiled building data layout: records appended and walked back, label padding to whole words,
// and records that do not fit the buffer refused rather than read past its end.
#include <gtest/gtest.h>

#include "converter/import/BuildingData.h"

using namespace building_data;

TEST(BuildingData, RecordsAppendedAreWalkedBackWithPaddedLabels) {
    std::vector<uint8_t> data;
    const std::vector<Point> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::vector<uint8_t> label{'1', '2', 0xC0};
    AppendRecord(data, kBuilding, square);
    AppendRecord(data, kHouseNumber, std::span(square).first(1), label);
    // Box, 4 + 32 bytes, then 4 + 8 + 4 bytes: "12А" padded to one word.
    ASSERT_EQ(data.size(), 16u + 36u + 16u);
    EXPECT_EQ(std::vector<uint8_t>(data.end() - 4, data.end()), (std::vector<uint8_t>{'1', '2', 0xC0, 0}));
    std::vector<RecordView> seen;
    EXPECT_TRUE(ForEachRecord(data, [&](const RecordView& r) { seen.push_back(r); }));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, kBuilding);
    EXPECT_EQ(seen[0].PointAt(2), (Point{10, 10}));
    EXPECT_EQ(seen[1].offset, 52u);
    EXPECT_EQ(std::vector<uint8_t>(seen[1].Label().begin(), seen[1].Label().end()), label);
    EXPECT_EQ(PaddedLabelSize(4), 8u); // four bytes still need the NUL word
    EXPECT_EQ(PaddedLabelSize(0), 0u);
}

TEST(BuildingData, ARecordPastTheEndStopsTheWalkAndTheBoxRoundTrips) {
    std::vector<uint8_t> data;
    Box box;
    EXPECT_TRUE(box.IsEmpty());
    box.Widen(Point{-5, 7});
    box.Widen(Point{3, -2});
    WriteBox(data, box);
    EXPECT_EQ(ReadBox(data), (Box{-5, 7, 3, -2}));
    const std::vector<Point> one{{1, 1}};
    AppendRecord(data, kCityArea, one);
    data.pop_back();
    int walked = 0;
    EXPECT_FALSE(ForEachRecord(data, [&](const RecordView&) { ++walked; }));
    EXPECT_EQ(walked, 0);
    EXPECT_FALSE(RecordAt(data, 4).has_value()); // inside the box
    EXPECT_TRUE(ReadBox(std::vector<uint8_t>(3)).IsEmpty());
}
