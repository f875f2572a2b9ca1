// Selection of imported records per block and their clipping into parcels.
#include <gtest/gtest.h>

#include "converter/rewrite/OutlineWriters.h"

namespace {

using building_data::Point;
using namespace rewrite;
namespace bd = building_data;

std::shared_ptr<std::vector<uint8_t>> buffer() {
    auto data = std::make_shared<std::vector<uint8_t>>();
    bd::WriteBox(*data, bd::Box{});
    return data;
}

void add(std::vector<uint8_t>& data, uint8_t kind, std::vector<Point> points, const std::string& label = {}) {
    bd::AppendRecord(data, kind, points,
                     std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(label.data()), label.size()));
}

std::vector<Point> square(int32_t x, int32_t y, int32_t side) {
    return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
}

const bd::Box kBlock{0, 8192, 8192, 0};
const ParcelRect kLeft{0, 4096, 4096, 0};
const ParcelRect kRight{4096, 4096, 8192, 0};

TEST(OutlineWriters, ABuildingAcrossAnEdgeIsClippedIntoBothParcelsAndOneInsideIsWrittenOnce) {
    auto data = buffer();
    add(*data, bd::kBuilding, square(4000, 100, 200)); // across x = 4096
    add(*data, bd::kBuilding, square(0, 0, 4096));     // exactly the left parcel: inside, not clipped
    ImportedOutlines outlines(data);
    ASSERT_TRUE(outlines.SelectRecordsForBlock(kBlock, true, {}));
    EXPECT_EQ(outlines.Selected().front(), 1u) << "the larger box first";
    size_t index = 0;
    const WrittenRecords left = WriteBuildings(outlines, index, kLeft, 0, {});
    EXPECT_EQ(left.count, 2u);
    EXPECT_EQ(outlines.Kind(1), bd::kRemoved) << "a building wholly inside is used up";
    EXPECT_EQ(outlines.Kind(0), bd::kBuilding) << "a clipped building stays for its neighbours";
    index = 0;
    const WrittenRecords right = WriteBuildings(outlines, index, kRight, 0, {});
    EXPECT_EQ(right.count, 1u);
}

TEST(OutlineWriters, SizeFiltersAndUnwantedNumbersLeaveTheSelection) {
    auto data = buffer();
    add(*data, bd::kBuilding, square(10, 10, 5));    // below the smallest filter
    add(*data, bd::kBuilding, square(100, 100, 50)); // below the detail filter
    add(*data, bd::kHouseNumber, {{300, 300}}, "7");
    ImportedOutlines outlines(data);
    ASSERT_TRUE(outlines.SelectRecordsForBlock(kBlock, false, {10, 100}));
    EXPECT_EQ(outlines.Kind(0), bd::kRemoved);
    EXPECT_EQ(outlines.Kind(2), bd::kRemoved) << "numbers are used up when they are not wanted";
    EXPECT_EQ(outlines.Selected(), (std::vector<uint32_t>{1}));
    size_t index = 0;
    const WrittenRecords written = WriteBuildings(outlines, index, kLeft, 0, {323, false, {10, 100}});
    ASSERT_EQ(written.count, 1u);
    EXPECT_EQ(written.bytes[2] & 0x40, 0) << "no detail bit below the 100 m filter";
    // The building, wholly inside, is used up; a later selection brings nothing back.
    EXPECT_FALSE(outlines.SelectRecordsForBlock(kBlock, true, {}));
}

TEST(OutlineWriters, TheBudgetIsTestedBeforeARecordIsAdded) {
    auto data = buffer();
    add(*data, bd::kBuilding, square(100, 100, 50));
    add(*data, bd::kBuilding, square(300, 300, 40));
    ImportedOutlines outlines(data);
    outlines.SelectRecordsForBlock(kBlock, true, {});
    size_t index = 0;
    // 20 bytes a record (4 steps): room for exactly one below the limit.
    const WrittenRecords written = WriteBuildings(outlines, index, kLeft, kBuildingLimit - 30, {});
    EXPECT_EQ(written.count, 1u);
    EXPECT_TRUE(written.tooMany);
    EXPECT_LE(int64_t(written.bytes.size()) + kBuildingLimit - 30, kBuildingLimit);
}

TEST(OutlineWriters, HouseNumbersInsideTheParcelWithDigitsUnlessLettersAreAllowed) {
    auto data = buffer();
    add(*data, bd::kHouseNumber, {{100, 100}}, "12");
    add(*data, bd::kHouseNumber, {{200, 100}}, "12\xC0");
    add(*data, bd::kHouseNumber, {{4096, 100}}, "5"); // on the far edge: the neighbour's
    add(*data, bd::kHouseNumberNear, {{300, 100}}, "3");
    add(*data, bd::kHouseNumber, {{400, 100}}, "");
    struct Case {
        bool letters;
        bool consume;
        uint32_t count;
    } cases[] = {{false, true, 1}, {true, true, 2}, {false, false, 2}, {true, false, 3}};
    for (const Case& c : cases) {
        ImportedOutlines outlines(data);
        outlines.SelectRecordsForBlock(kBlock, true, {});
        const WrittenRecords written =
            WriteHouseNumbers(outlines, kLeft, 0, c.consume, {450, c.letters, 1251});
        EXPECT_EQ(written.count, c.count) << c.letters << c.consume;
        EXPECT_EQ(outlines.Kind(0) == bd::kRemoved, c.consume);
    }
}

TEST(OutlineWriters, CityAreasAreNeverUsedUp) {
    auto data = buffer();
    add(*data, bd::kCityArea, square(1000, 1000, 6000));
    ImportedOutlines outlines(data);
    outlines.CollectCityAreas();
    EXPECT_FALSE(outlines.SelectRecordsForBlock(kBlock, true, {})) << "city areas leave the record walk";
    ASSERT_TRUE(outlines.SelectCityAreasForBlock(kBlock));
    EXPECT_TRUE(CityAreaMeets(outlines, kLeft));
    EXPECT_EQ(WriteCityAreas(outlines, kLeft, 0).count, 1u);
    EXPECT_EQ(WriteCityAreas(outlines, kRight, 0).count, 1u);
    EXPECT_FALSE(CityAreaMeets(outlines, {0, 900, 900, 0}));
}

} // namespace
