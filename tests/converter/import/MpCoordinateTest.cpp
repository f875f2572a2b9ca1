// Coordinate texts to map units: the examples whose values are known, the exponent form, and texts that
// must be refused rather than overflow or be half read.
#include <gtest/gtest.h>

#include "converter/import/MpCoordinate.h"
#include "platform/MulDiv.h"

using mp_import::CoordToMapUnits;

TEST(MpCoordinate, KnownTextsGiveTheirUnits) {
    const struct {
        const char* text;
        int32_t units;
    } cases[] = {
        {"55.75", 25689600},
        {"-0.5", -230400},
        {".5", 230400},
        {"1.5E-3", 691},
        {"37.6", 17326080},
        {"37.6002", 17326172},
        {"-37.6002", -17326172},
        {"55", 25344000},
        {"-15.7152116", -7241569}, // one rounding of v x 460800 would give -7241570
        {" 55.7500000 ", 25689600},
        {"55.75000009", 25689600}, // blanks around; digits past 7 are cut
        {"-0.0", 0},
        {"180", 82944000},
        {"-180", -82944000},
        {"180.0000010", 82944000}, // less than half a unit past 180 degrees rounds to 180 degrees
        {"-1.5E-3", -691},
        {"0.0003125", 144},
    };
    for (const auto& c : cases) {
        const std::optional<int32_t> units = CoordToMapUnits(c.text);
        ASSERT_TRUE(units.has_value()) << c.text;
        EXPECT_EQ(*units, c.units) << c.text;
    }
}

TEST(MpCoordinate, UnreadableOrOutOfRangeTextsAreRefused) {
    for (const char* text : {"", " ", "-", ".", "-.5", "abc", "55,75", "55.7x", "1.5E+3", "1.5E-", "99999.5",
                             "1000.0", "180.0001", "-181", "1e-3", "5 5", "180.0000022",
                             "-180.0000022"}) { // one unit past 180 degrees either way
        EXPECT_FALSE(CoordToMapUnits(text).has_value()) << text;
    }
    EXPECT_FALSE(CoordToMapUnits("90.5", 90).has_value());
    EXPECT_TRUE(CoordToMapUnits("90.5", 180).has_value());
    EXPECT_EQ(CoordToMapUnits("0055.75"), 25689600); // leading zeros are no digits of size
}

TEST(MpCoordinate, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv64(5, 1, 2), 3);
    EXPECT_EQ(MulDiv64(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv64(7, 1, 2), 4);
    EXPECT_EQ(MulDiv64(4, 1, 3), 1);
    EXPECT_EQ(MulDiv64(6002000, 3600, 10000000), 2161);
    EXPECT_EQ(MulDiv64(-778, 460800, 10000000), -36);
}
