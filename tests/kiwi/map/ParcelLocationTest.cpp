// Map positions to parcel numbers and parcel numbers to parcel headers.
#include <gtest/gtest.h>

#include "MapTestSupport.h"
#include "kiwi/map/CoverageLongitude.h"

using maptest::openMap;

namespace {

struct Place {
    uint8_t blockSet, block, parcel, position;
};

Place placeX(const TLN_ParcelNumber& n) {
    return {n.BlockSetX, n.BlockX, n.ParcelX, n.PositionX};
}
Place placeY(const TLN_ParcelNumber& n) {
    return {n.BlockSetY, n.BlockY, n.ParcelY, n.PositionY};
}
bool operator==(const Place& a, const Place& b) {
    return a.blockSet == b.blockSet && a.block == b.block && a.parcel == b.parcel && a.position == b.position;
}

} // namespace

TEST(ParcelLocation, PointToParcelNumberEdges) {
    // Level 0: block sets 2 x 1, blocks 2 x 2, parcels 2 x 2: 32768 units wide, 16384 high.
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    struct Case {
        int64_t x, y;
        bool result;
        Place px, py;
    };
    const Case cases[] = {
        {100, 100, true, {0, 0, 0, 6}, {0, 0, 0, 6}},
        {4095, 16, true, {0, 0, 0, 255}, {0, 0, 0, 1}},
        {15, 4096, true, {0, 0, 0, 0}, {0, 0, 1, 0}},
        {28704, 12300, true, {1, 1, 1, 2}, {0, 1, 1, 0}},
        // X of 0 or less: X fields stay 0, Y is still filled.
        {0, 100, false, {0, 0, 0, 0}, {0, 0, 0, 6}},
        {-5, 16383, false, {0, 0, 0, 0}, {0, 1, 1, 255}},
        // Y of 0 or less: nothing more is done after X.
        {100, 0, false, {0, 0, 0, 6}, {0, 0, 0, 0}},
        // Beyond the east or north edge: the last block set, block and parcel, position 0.
        {32768, 100, false, {1, 1, 1, 0}, {0, 0, 0, 6}},
        {100, 16384, false, {0, 0, 0, 6}, {0, 1, 1, 0}},
        {int64_t(1) << 40, int64_t(1) << 40, false, {1, 1, 1, 0}, {0, 1, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        TLN_ParcelNumber number;
        number.Kind = 9; // cleared by the conversion
        EXPECT_EQ(map->PointToParcelNumber(0, c.x, number, c.y), c.result);
        EXPECT_EQ(number.Level, 0);
        EXPECT_TRUE(placeX(number) == c.px);
        EXPECT_TRUE(placeY(number) == c.py);
        EXPECT_EQ(number.Kind, 0);
    }
    TLN_ParcelNumber number;
    EXPECT_FALSE(map->PointToParcelNumber(7, 100, number, 100));
    EXPECT_EQ(number.Level, 7);
}

TEST(ParcelLocation, LevelWidePositionsNeedSixtyFourBits) {
    // 256 block sets of 256 blocks of 256 parcels: 2^36 units across; every block set absent.
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    fixture::LevelPlan level;
    level.blockSets = level.blocks = level.parcels = {256, 256};
    level.sets.assign(256 * 256, fixture::BlockSetPlan{true, {}});
    plan.levels = {level};
    const auto map = openMap(fixture::buildAllData(plan));
    ASSERT_EQ(map->LevelCount(), 1u);
    EXPECT_EQ(map->GetLevel(0).LevelWidth(), int64_t(1) << 36);
    TLN_ParcelNumber number;
    const int64_t x = (int64_t(200) << 28) + (int64_t(3) << 20) + (int64_t(77) << 12) + 4095;
    const int64_t last = (int64_t(1) << 36) - 1;
    ASSERT_TRUE(map->PointToParcelNumber(0, x, number, last));
    EXPECT_TRUE(placeX(number) == (Place{200, 3, 77, 255}));
    EXPECT_TRUE(placeY(number) == (Place{255, 255, 255, 255}));
    TLN_MM_Parcel_Managenent_Record record;
    EXPECT_FALSE(map->FindParcel(number, false, record));
}

TEST(ParcelLocation, SubParcelIndex) {
    struct Case {
        TLN_Division division;
        uint8_t x, y;
        int index;
    };
    const Case cases[] = {
        {{2, 2}, 200, 100, 1}, // the divided 2 x 2 example: 0 x 2 + 1
        {{2, 2}, 127, 128, 2},
        {{4, 4}, 255, 255, 15},
        {{1, 2}, 255, 128, 1},
        {{1, 1}, 255, 255, 0},
        {{256, 256}, 255, 255, 65535},
        // Counts that do not divide 256: the strip past the last cell belongs to the last cell.
        {{3, 3}, 255, 255, 8},
        {{3, 1}, 170, 0, 2},
        {{3, 1}, 169, 0, 1},
        {{5, 7}, 0, 255, 30},
        // A count of 0 cannot be indexed.
        {{0, 2}, 1, 1, -1},
        {{2, 0}, 1, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.division.X) + "x" + std::to_string(c.division.Y));
        EXPECT_EQ(TLN_KiwiMap::SubParcelIndex(c.division, c.x, c.y), c.index);
    }
}

TEST(ParcelLocation, LocateParcelFillsKindAndDivisions) {
    const auto map = openMap(fixture::buildAllData(fixture::smallAllDataPlan()));
    struct Case {
        const char* name;
        uint8_t level;
        int64_t x, y;
        TLN_ParcelNumber expected; // bytes 8 to 12: kind, counts, sub place
    };
    auto bytes = [](uint8_t kind, uint8_t countX, uint8_t countY, uint8_t subX, uint8_t subY) {
        TLN_ParcelNumber n;
        n.Kind = kind;
        n.CountX = countX;
        n.CountY = countY;
        n.SubX = subX;
        n.SubY = subY;
        return n;
    };
    const Case cases[] = {
        {"regular", 0, 100, 100, bytes(0, 0, 0, 0, 0)},
        {"divided 2 x 2", 0, 4096 + 3200, 1600, bytes(1, 2, 2, 1, 0)},
        {"divided 2 x 2, upper right", 0, 4096 + 4000, 4000, bytes(1, 2, 2, 1, 1)},
        {"divided 4 x 4 in its own file", 0, 16384 + 2048 + 16, 4095, bytes(1, 4, 4, 2, 3)},
        {"integrated 2 x 1, left", 1, 100, 100, bytes(2, 2, 1, 0, 0)},
        {"integrated 2 x 1, right", 1, 4096 + 100, 100, bytes(2, 2, 1, 1, 0)},
        {"divided 1 x 2", 1, 4096 + 10, 8192 + 4096 + 2100, bytes(1, 1, 2, 0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLN_ParcelNumber number;
        map->PointToParcelNumber(c.level, c.x, number, c.y);
        const TLN_ParcelNumber before = number;
        ASSERT_TRUE(map->LocateParcel(number));
        EXPECT_EQ(number.Kind, c.expected.Kind);
        EXPECT_EQ(number.CountX, c.expected.CountX);
        EXPECT_EQ(number.CountY, c.expected.CountY);
        EXPECT_EQ(number.SubX, c.expected.SubX);
        EXPECT_EQ(number.SubY, c.expected.SubY);
        EXPECT_EQ(number.ParcelX, before.ParcelX);
        EXPECT_EQ(number.PositionY, before.PositionY);
    }
    // Parcels without a frame are not located.
    for (const auto& [x, y] :
         {std::pair<int64_t, int64_t>{4096 + 100, 4096 + 100}, {16384 + 8192 + 100, 4096 + 100}}) {
        TLN_ParcelNumber number;
        map->PointToParcelNumber(0, x, number, y);
        EXPECT_FALSE(map->LocateParcel(number));
        TLN_MM_Distribution_Header header;
        EXPECT_FALSE(map->ReadParcelHeader(0, number, header));
    }
}

TEST(ParcelLocation, IdentifierThreeClearsTheDivisionBytes) {
    auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    image.allData[size_t(image.parcels[0].frame) + 12] |= 0xC0;
    const auto map = openMap(image);
    TLN_ParcelNumber number;
    map->PointToParcelNumber(0, 100, number, 100);
    number.CountX = number.CountY = number.SubX = number.SubY = 9;
    ASSERT_TRUE(map->LocateParcel(number));
    EXPECT_EQ(number.Kind, 3);
    EXPECT_EQ(number.CountX + number.CountY + number.SubX + number.SubY, 0);
}

TEST(ParcelLocation, DivisionThatDoesNotDivide256) {
    auto plan = fixture::smallAllDataPlan();
    plan.levels[0].divisions[0] = {3, 3};
    const auto map = openMap(fixture::buildAllData(plan));
    TLN_ParcelNumber number;
    // The last strip of the divided parcel (positions 255) lies in the last sub-parcel, row 2, column 2.
    map->PointToParcelNumber(0, 4096 + 4095, number, 4095);
    ASSERT_TRUE(map->LocateParcel(number));
    EXPECT_EQ(number.CountX, 3);
    EXPECT_EQ(number.SubX, 2);
    EXPECT_EQ(number.SubY, 2);
}

TEST(ParcelLocation, ACoverageAcross180DegreesPlacesEveryParcelByItsReferencePoint) {
    // 90 degrees east to 142 degrees west: 128 degrees wide, its east edge numerically below its west.
    constexpr int32_t kDegree = 28800;
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    plan.coverageReferences = true;
    plan.west = 90 * kDegree;
    plan.east = -142 * kDegree;
    const auto image = fixture::buildAllData(plan);
    const auto map = openMap(image);
    const TLN_Rect& coverage = map->Coverage();
    EXPECT_EQ(coverage.Left, 90 * kDegree);
    EXPECT_EQ(coverage.Right, 218 * kDegree);
    EXPECT_EQ(WrapLongitude(coverage.Right), plan.east);
    int eastOf180 = 0, westOf180 = 0;
    for (const fixture::ParcelEntry& entry : image.parcels) {
        if (entry.sub >= 0 || entry.identifier != 0 || entry.frame < 0) continue;
        SCOPED_TRACE(std::to_string(entry.level) + "/" + std::to_string(entry.blockSet) + "/" +
                     std::to_string(entry.block) + "/" + std::to_string(entry.parcel));
        const TLN_Level_Management_Record level = map->GetLevel(uint8_t(entry.level));
        EXPECT_EQ(level.ParcelWidth, 128 * kDegree / level.ParcelsAcrossX);
        const TLN_ParcelNumber expected = maptest::numberOf(plan, entry);
        TLN_MM_Parcel_Managenent_Record record;
        ASSERT_TRUE(map->FindParcel(expected, false, record));
        TLN_Point reference;
        ASSERT_TRUE(map->ReadReferencePoint(record.Stream, reference, record.Address));
        ASSERT_GE(reference.X, -kLongitudeHalfCircle);
        ASSERT_LT(reference.X, kLongitudeHalfCircle);
        (reference.X < 0 ? westOf180 : eastOf180)++;
        // The reference point's place in the level's units, a quarter parcel inside its parcel.
        const int64_t x =
            (CoverageLongitude(coverage, reference.X) - coverage.Left) * 4096 / level.ParcelWidth + 1024;
        const int64_t y = (int64_t(reference.Y) - coverage.Bottom) * 4096 / level.ParcelHeight + 1024;
        TLN_ParcelNumber n;
        ASSERT_TRUE(map->PointToParcelNumber(uint8_t(entry.level), x, n, y));
        EXPECT_EQ(std::tie(n.BlockSetX, n.BlockX, n.ParcelX, n.BlockSetY, n.BlockY, n.ParcelY),
                  std::tie(expected.BlockSetX, expected.BlockX, expected.ParcelX, expected.BlockSetY,
                           expected.BlockY, expected.ParcelY));
        EXPECT_EQ(n.PositionX, 64);
    }
    EXPECT_GT(eastOf180, 0);
    EXPECT_GT(westOf180, 0);
}
