// The geometry rules of the import: holes joined into the outer ring at the nearest pair, closing points
// dropped, and house numbers thinned by their distance to those already kept.
#include <gtest/gtest.h>

#include <random>

#include "converter/import/HouseNumberThinning.h"
#include "converter/import/RingMerge.h"

using building_data::Point;
using namespace mp_import;

TEST(RingMerge, TheHoleJoinsAtTheFirstNearestPair) {
    // The square building with a square courtyard: the least |dx|+|dy| (138) is at outer 0 and hole 0,
    // tying with outer 1 and hole 1, and the first pair wins.
    const Point o0{17326541, 25690061}, o1{17326817, 25690061}, o2{17326817, 25690245},
        o3{17326541, 25690245};
    const Point h0{17326633, 25690107}, h1{17326725, 25690107}, h2{17326725, 25690153},
        h3{17326633, 25690153};
    std::vector<std::vector<Point>> rings{{o0, o1, o2, o3}, {h0, h1, h2, h3}};
    std::vector<Point> scratch;
    MergeRings(rings, 2, scratch);
    EXPECT_EQ(rings[0], (std::vector<Point>{o0, h0, h1, h2, h3, h0, o0, o1, o2, o3}));
    EXPECT_TRUE(rings[1].empty());
}

TEST(RingMerge, EachFurtherRingJoinsTheOutlineBuiltSoFar) {
    std::vector<std::vector<Point>> rings{{{0, 0}, {100, 0}, {100, 100}, {0, 100}},
                                          {{10, 10}, {20, 10}, {20, 20}},
                                          {{80, 80}, {95, 80}, {95, 95}}};
    std::vector<Point> scratch;
    MergeRings(rings, 3, scratch);
    // Ring 2 is nearest at (100,100) and its (95,95), its third point: ring from there, then its start.
    EXPECT_EQ(rings[0], (std::vector<Point>{{0, 0},
                                            {10, 10},
                                            {20, 10},
                                            {20, 20},
                                            {10, 10},
                                            {0, 0},
                                            {100, 0},
                                            {100, 100},
                                            {95, 95},
                                            {80, 80},
                                            {95, 80},
                                            {95, 95},
                                            {100, 100},
                                            {0, 100}}));
}

TEST(RingMerge, ClosingPointsAreDroppedWhileMoreThanTwoRemain) {
    const struct {
        std::vector<Point> in;
        std::vector<Point> out;
    } cases[] = {
        {{{0, 0}, {1, 0}, {1, 1}, {0, 0}}, {{0, 0}, {1, 0}, {1, 1}}},
        {{{0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 0}, {0, 0}}, {{0, 0}, {1, 0}, {1, 1}}},
        {{{0, 0}, {1, 0}, {0, 0}}, {{0, 0}, {1, 0}}}, // two points left: too few to be written
        {{{0, 0}, {1, 0}, {1, 0}}, {{0, 0}, {1, 0}}},
        {{{0, 0}, {0, 0}}, {{0, 0}, {0, 0}}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        std::vector<Point> outline = c.in;
        DropClosingPoints(outline);
        EXPECT_EQ(outline, c.out);
    }
}

TEST(HouseNumberThinning, DistancesDecideTheKind) {
    HouseNumberThinning thinning;
    EXPECT_EQ(thinning.Decide({1000, 1000}), building_data::kHouseNumber);
    EXPECT_EQ(thinning.Decide({1020, 1000}), 0);                               // 20 units: dropped
    EXPECT_EQ(thinning.Decide({1100, 1000}), building_data::kHouseNumberNear); // 100 units
    EXPECT_EQ(thinning.Decide({1400, 1300}), building_data::kHouseNumber);     // 300 from both
    EXPECT_EQ(thinning.Decide({1000, 1200}), building_data::kHouseNumber);     // exactly 200: not within
    EXPECT_EQ(thinning.Decide({1125, 1000}), building_data::kHouseNumberNear); // exactly 25 from 1100
    thinning.Clear();
    EXPECT_EQ(thinning.Decide({1020, 1000}), building_data::kHouseNumber);
}

TEST(HouseNumberThinning, TheGridAnswersAsTheLinearSearchAcrossCellEdgesAndZero) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-600, 600);
    HouseNumberThinning thinning;
    std::vector<Point> a;
    std::vector<Point> b;
    const auto near = [](const std::vector<Point>& list, Point p, int32_t d) {
        for (const Point q : list)
            if (std::abs(q.x - p.x) < d && std::abs(q.y - p.y) < d) return true;
        return false;
    };
    for (int i = 0; i < 3000; ++i) {
        const Point p{coordinate(random), coordinate(random)};
        uint8_t expected = 0;
        if (!near(b, p, 25)) {
            expected = near(a, p, 200) ? building_data::kHouseNumberNear : building_data::kHouseNumber;
            if (expected == building_data::kHouseNumber) a.push_back(p);
            b.push_back(p);
        }
        ASSERT_EQ(thinning.Decide(p), expected) << i;
    }
}
