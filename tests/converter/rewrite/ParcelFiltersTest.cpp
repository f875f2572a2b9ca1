// The block and parcel filters on the generated two-level map, and the Denso west filter in a whole run.
#include <gtest/gtest.h>

#include "converter/rewrite/BlockGeometry.h"
#include "converter/rewrite/ParcelFilters.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"

namespace {

using namespace rewrite;

// Level 1 of the small map: one block set of 1 × 2 blocks of 2 × 2 parcels, each 50000 wide from -40000.
struct Parcel {
    uint32_t block;
    uint32_t parcel;
};

TEST(ParcelFilters, BlocksOfACoverageAcross180DegreesRunEastFromItsWestEdge) {
    // 170 degrees east to 170 degrees west: level 0's two block sets are 10 degrees wide each.
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    plan.west = 170 * 28800, plan.east = -170 * 28800;
    const auto f = convtest::makeSource("filters-across-180", plan);
    TLN_KiwiMap map(f.allData);
    const LevelGeometry g = GeometryOf(map, *map.Level(0));
    const MapRect first = BlockRectangle(g, 0, 0), second = BlockRectangle(g, 1, 0);
    EXPECT_EQ(first.west, 170 * 28800);
    EXPECT_EQ(second.west, 180 * 28800);
    EXPECT_EQ(ParcelRectangle(g, 1, 3, 3).east, 190 * 28800);
    // Level 1's parcel columns end at 180 and 190 degrees: a trim typed as west longitudes or across 180
    // degrees keeps what it covers; one that covers nothing of the map is refused.
    ConversionOptions o;
    o.trim = true, o.trimLevel = 0, o.trimSouth = plan.south, o.trimNorth = plan.north;
    for (const auto& [west, east, westKept] :
         {std::tuple{182, 188, false}, {-178, -172, false}, {175, -175, true}}) {
        o.trimWest = west * 28800, o.trimEast = east * 28800;
        EXPECT_EQ(ParcelFilters(map, o, {}).ParcelInTrimArea(1, 0, 0, 0), westKept) << west;
        EXPECT_TRUE(ParcelFilters(map, o, {}).ParcelInTrimArea(1, 0, 0, 1)) << west;
    }
    o.trimWest = 10 * 28800, o.trimEast = 20 * 28800;
    EXPECT_NE(convtest::convert(f.allData, f.output, o).message.find("covers nothing of the map"),
              std::string::npos);
}

TEST(ParcelFilters, TrimDensoAndAreasOnTheUpperLevel) {
    const auto f = convtest::makeSource("filters", fixture::smallAllDataPlan());
    TLN_KiwiMap map(f.allData);
    ASSERT_EQ(map.LevelCount(), 2u);
    ConversionOptions o;
    o.trim = true;
    o.trimMode = 1;
    o.trimLevel = 0;
    o.trimWest = 20000, o.trimEast = 60000, o.trimSouth = 1400000, o.trimNorth = 1500000;
    const ParcelFilters trim(map, o, {});
    EXPECT_TRUE(trim.BlockInTrimArea(1, 0, 0));
    EXPECT_FALSE(trim.ParcelInTrimArea(1, 0, 0, 0)) << "the west column ends at 10000";
    EXPECT_TRUE(trim.ParcelInTrimArea(1, 0, 0, 1));
    EXPECT_TRUE(trim.ParcelInTrimArea(0, 0, 0, 0)) << "levels up to the trim level keep everything";
    o.trimWest = 70000, o.trimEast = 90000;
    const ParcelFilters outside(map, o, {});
    EXPECT_FALSE(outside.BlockInTrimArea(1, 0, 1));
    o.trimLevel = 1;
    EXPECT_TRUE(ParcelFilters(map, o, {}).BlockInTrimArea(1, 0, 1));

    ConversionOptions d;
    d.densoWestFix = true;
    const ParcelFilters denso(map, d, {});
    EXPECT_FALSE(denso.ParcelPassesDensoWestFix(1, 0, 1, 2));
    EXPECT_TRUE(denso.ParcelPassesDensoWestFix(1, 0, 1, 3));
    EXPECT_TRUE(denso.ParcelPassesDensoWestFix(0, 0, 0, 0)) << "level 0 is never filtered";
    EXPECT_TRUE(ParcelFilters(map, {}, {}).ParcelPassesDensoWestFix(1, 0, 1, 2));

    // Area codes: the generated frames of level 1 carry area code 21 hex.
    TLN_Block_Management_Record block;
    ASSERT_TRUE(map.ReadBlock(1, 0, 1, block));
    TLN_MM_Parcel_Managenent_Record regular, divided;
    ASSERT_TRUE(map.ReadParcel(block.Stream, 1, 0, regular, false, block.Address));
    ASSERT_TRUE(map.ReadParcel(block.Stream, 1, 3, divided, false, block.Address));
    ASSERT_EQ(divided.Size, 0u);
    ConversionOptions a;
    a.trim = true;
    a.trimMode = 2;
    a.trimLevel = 0;
    struct Case {
        std::vector<int> areas;
        bool kept;
    } cases[] = {{{0x21}, true}, {{5, 0x21}, true}, {{5}, false}, {{}, false}};
    for (const Case& c : cases) {
        a.selectedAreas = c.areas;
        const ParcelFilters areas(map, a, {});
        EXPECT_EQ(areas.ParcelInSelectedAreas(1, regular), c.kept);
        EXPECT_EQ(areas.ParcelInSelectedAreas(1, divided), c.kept) << "through its sub-parcels";
        EXPECT_TRUE(areas.ParcelInSelectedAreas(0, regular)) << "level 0 is at the trim level";
        EXPECT_TRUE(areas.ParcelInTrimArea(1, 0, 1, 0)) << "no rectangle with state borders";
    }
}

TEST(ParcelFilters, TheDensoWestFilterEmptiesEveryRecordOfADroppedFrame) {
    const auto f = convtest::makeSource("denso", fixture::smallAllDataPlan());
    ConversionOptions options;
    options.densoWestFix = true;
    ASSERT_EQ(convtest::convert(f.allData, f.output, options).status, ConversionStatus::Done);
    TLN_KiwiMap map(f.output + "/ALLDATA.KWI");
    TLN_Block_Management_Record block;
    ASSERT_TRUE(map.ReadBlock(1, 0, 0, block));
    TLN_MM_Parcel_Managenent_Record record;
    EXPECT_FALSE(map.ReadParcel(block.Stream, 1, 0, record, false, block.Address)) << "west of 0";
    EXPECT_FALSE(map.ReadParcel(block.Stream, 1, 1, record, false, block.Address))
        << "east of 0, but its frame is the dropped one's (integrated)";
    EXPECT_TRUE(map.ReadParcel(block.Stream, 1, 3, record, false, block.Address));
}

} // namespace
