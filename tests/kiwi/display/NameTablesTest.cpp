// Name tables: sizes, spot values and lookups with codes from hostile files.
#include <gtest/gtest.h>
#include <limits>

#include "kiwi/display/NameTables.h"

TEST(NameTables, SpotValues) {
    EXPECT_EQ(RoadClassName(3), "Freeway class road (1)");
    EXPECT_EQ(RoadClassName(15), "Ferry Route/Car Train");
    EXPECT_EQ(RoadClassName(9), "(RESERVED)");
    EXPECT_EQ(BackgroundKindName(10), "(RESERVED)");
    EXPECT_EQ(BackgroundKindName(11), "Road polygon (non-toll road)");
    EXPECT_EQ(BackgroundKindName(31), "Green Land");
    EXPECT_EQ(NameKindName(5), "(RESERVED)");
    EXPECT_EQ(NameKindName(6), "Main road facility name");
    EXPECT_EQ(NameKindName(15), "Address level 1");
    EXPECT_EQ(StringDisplayKindName(7), "(Undefined)");
    EXPECT_EQ(ElementShapeName(3), "RESERVED");
    EXPECT_EQ(RoadTypeName(13), "Carpool lane");
    EXPECT_EQ(LandmarkPatternKindName(2), "TRUE type pattern");
    EXPECT_EQ(LandmarkPatternKindName(3), "");
    EXPECT_EQ(ManagementDataKindName(6), "Voice");
}

TEST(NameTables, CodesPastEveryTableAreCaught) {
    struct Case {
        const char* table;
        std::string_view (*lookup)(int64_t);
        int64_t size;
        std::string_view fallback;
    };
    const Case cases[] = {
        {"road classes", RoadClassName, 16, "(RESERVED)"},
        {"background kinds", BackgroundKindName, 32, "(RESERVED)"},
        {"name kinds", NameKindName, 16, "(RESERVED)"},
        {"string display kinds", StringDisplayKindName, 8, "(RESERVED)"},
        {"element shapes", ElementShapeName, 4, ""},
        {"road types", RoadTypeName, 16, ""},
        {"landmark pattern kinds", LandmarkPatternKindName, 4, ""},
        {"management data kinds", ManagementDataKindName, 7, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        EXPECT_NE(c.lookup(c.size - 1), "(RESERVED)"); // the last entry is still inside
        for (int64_t code : {c.size, c.size + 1, int64_t{255}, int64_t{65535}, int64_t{0xFFFFFFFF},
                             int64_t{-1}, std::numeric_limits<int64_t>::min()})
            EXPECT_EQ(c.lookup(code), c.fallback) << code;
    }
}

TEST(NameTables, BackgroundKindOrderRunsFromThirtyOneDownToZero) {
    ASSERT_EQ(BackgroundKindOrder.size(), 32u);
    EXPECT_EQ(BackgroundKindOrder.front(), 31);
    EXPECT_EQ(BackgroundKindOrder.back(), 0);
    for (std::size_t i = 1; i < BackgroundKindOrder.size(); ++i)
        EXPECT_EQ(BackgroundKindOrder[i], BackgroundKindOrder[i - 1] - 1);
}
