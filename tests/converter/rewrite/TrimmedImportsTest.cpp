// Trimmed conversions of a generated two-level map with one-way streets, imported city areas and house
// numbers: one-way arrows come only from parcels the run keeps, the added level covers only what the
// rectangle trim keeps, and filters that keep everything change no byte of the new map.
#include <gtest/gtest.h>

#include <atomic>

#include "converter/import/BuildingData.h"
#include "converter/job/ConversionContext.h"
#include "converter/job/ConversionJob.h"
#include "converter/rewrite/OneWayArrows.h"
#include "converter/rewrite/ParcelFilters.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/OneWayTown.h"
#include "support/converter/OutputValidator.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

namespace bd = building_data;

constexpr int32_t kWest = convtest::kTownWest, kEast = convtest::kTownEast, kSouth = convtest::kTownSouth,
                  kNorth = convtest::kTownNorth;
// Area codes the generated frames carry: 20 hex plus the level.
constexpr int kDetailedArea = 0x21;

// A rectangle in map units (1/8 arc-second), as the trim takes it.
struct Rect {
    double west, north, east, south;
};

// The west third of the coverage, from level 1 on.
ConversionOptions westTrim() {
    ConversionOptions o = convtest::oneWayTownOptions();
    o.trim = true;
    o.trimMode = 1;
    o.trimLevel = 0;
    o.trimWest = kWest, o.trimEast = kWest + (kEast - kWest) / 3;
    o.trimSouth = kSouth, o.trimNorth = kNorth;
    return o;
}

Rect trimOf(const ConversionOptions& o) {
    return {double(o.trimWest), double(o.trimNorth), double(o.trimEast), double(o.trimSouth)};
}

// A parcel's rectangle from the coverage and the level's numbers alone, in map units.
Rect parcelRect(const TLN_KiwiMap& map, const TLN_Level_Management_Record& l, uint32_t set, uint32_t block,
                uint32_t parcel) {
    const double across = double(l.BlockSets.X) * l.Blocks.X * l.Parcels.X;
    const double down = double(l.BlockSets.Y) * l.Blocks.Y * l.Parcels.Y;
    const double w = (map.CoverageEast() - map.CoverageWest()) / across;
    const double h = (map.CoverageNorth() - map.CoverageSouth()) / down;
    const double col = double(set % l.BlockSets.X) * l.Blocks.X * l.Parcels.X +
                       double(block % l.Blocks.X) * l.Parcels.X + parcel % l.Parcels.X;
    const double row = double(set / l.BlockSets.X) * l.Blocks.Y * l.Parcels.Y +
                       double(block / l.Blocks.X) * l.Parcels.Y + parcel / l.Parcels.X;
    const double x0 = map.CoverageWest() + w * col, y0 = map.CoverageSouth() + h * row;
    return {x0, y0 + h, x0 + w, y0};
}

// Inclusive bounds with one unit for the integer rounding of the run's rectangles.
bool meets(const Rect& r, const Rect& trim) {
    return r.east >= trim.west - 1 && r.west <= trim.east + 1 && r.north >= trim.south - 1 &&
           r.south <= trim.north + 1;
}

// The rectangles of the parcels of a level that the map holds (divided parcels as one).
std::vector<Rect> parcelsOf(TLN_KiwiMap& map, uint8_t level) {
    std::vector<Rect> out;
    const TLN_Level_Management_Record& l = *map.Level(level);
    for (uint32_t s = 0; s < uint32_t(l.BlockSetCount()); ++s)
        for (uint32_t b = 0; b < uint32_t(l.BlockCount()); ++b) {
            TLN_Block_Management_Record block;
            TLN_Parcel_Management_Info info;
            if (!map.ReadBlock(level, s, b, block) ||
                !map.ReadParcelManagement(block.Stream, level, info, block.Address))
                continue;
            for (uint32_t p = 0; p < info.StoredRecordCount; ++p) {
                TLN_MM_Parcel_Managenent_Record record;
                if (map.ReadParcel(block.Stream, level, p, record, false, block.Address))
                    out.push_back(parcelRect(map, l, s, b, p));
            }
        }
    return out;
}

// The arrow stage alone, with the filters of the options: the arrows' points in imported units.
std::vector<bd::Point> collectArrows(TLN_KiwiMap& map, const ConversionOptions& options) {
    rewrite::ImportedOutlines outlines(convtest::oneWayTownData());
    outlines.CollectCityAreas();
    TLN_MemoryStream out;
    ConversionProgress progress;
    std::atomic<bool> stop{false};
    CopyParcelWriter writer;
    ConversionContext c(map, out, progress, stop, options, writer);
    const rewrite::ParcelFilters filters(map, options, outlines.Bounds());
    c.filters = &filters;
    rewrite::CollectOneWayArrows(c, outlines);
    std::vector<bd::Point> points;
    for (uint32_t i = 0; i < outlines.Count(); ++i)
        if (outlines.Kind(i) == bd::kOneWayArrow) points.push_back(outlines.View(i).PointAt(0));
    EXPECT_EQ(points.size(), outlines.ArrowCount());
    return points;
}

TEST(TrimmedImports, ArrowsComeOnlyFromParcelsTheRunKeeps) {
    TLN_KiwiMap map(convtest::writeOneWayTown("trimmed-arrows"));
    ASSERT_EQ(map.LevelCount(), 2u);
    EXPECT_EQ(collectArrows(map, convtest::oneWayTownOptions()).size(), 48u)
        << "three arrows in each of 16 parcels";

    // The trim keeps the two west columns of level 1 (up to 20000): their arrows only.
    const std::vector<bd::Point> west = collectArrows(map, westTrim());
    EXPECT_EQ(west.size(), 24u);
    size_t beyond = 0;
    for (const bd::Point& p : west)
        beyond += p.x / 16 > 20000;
    EXPECT_EQ(beyond, 0u);

    // Rectangle or state borders, each on its own, and neither on the trim level itself.
    ConversionOptions areas = westTrim();
    areas.trimMode = 2;
    struct Case {
        ConversionOptions options;
        std::vector<int> selected;
        uint32_t trimLevel;
        size_t arrows;
    } cases[] = {
        {westTrim(), {}, 1, 48},               // level 1 is at the trim level
        {areas, {kDetailedArea}, 0, 48},       // the parcels' area, the rectangle unused
        {areas, {kDetailedArea - 1, 5}, 0, 0}, // other areas
        {areas, {5}, 1, 48},                   // at the trim level
    };
    for (Case& c : cases) {
        c.options.selectedAreas = c.selected;
        c.options.trimLevel = c.trimLevel;
        EXPECT_EQ(collectArrows(map, c.options).size(), c.arrows)
            << "mode " << c.options.trimMode << " trim level " << c.trimLevel;
    }
}

struct Converted {
    std::string output;
    ConversionResult result;
    size_t arrowsFound = 0;
};

Converted convertStreets(const std::string& name, ConversionOptions options) {
    Converted r;
    const std::string source = convtest::writeOneWayTown(name);
    const std::string out = fixture::scratchDir(name + "-out");
    options.outputPath = r.output = out + "/ALLDATA.KWI";
    auto run = std::make_unique<ConversionRun>(source, options);
    run->SetBuildingData(convtest::oneWayTownData());
    ConversionJob job(std::move(run));
    job.Start();
    r.result = job.Result();
    for (const std::string& line : job.Progress().AllLines())
        if (const size_t at = line.find("One-Way Arrows found: "); at != std::string::npos)
            r.arrowsFound = std::stoul(line.substr(at + 22));
    return r;
}

// Whole runs: the arrows found, the parcels of the detailed level and of the added level (a number in each
// of its 16 × 16 parcels), every kept parcel meeting the trim rectangle, and filters that keep everything
// leaving the bytes of the unfiltered run.
TEST(TrimmedImports, WholeRunsAddOnlyWhatTheFiltersKeep) {
    const Converted whole = convertStreets("trimmed-whole", convtest::oneWayTownOptions());
    ASSERT_EQ(whole.result.status, ConversionStatus::Done) << whole.result.message;
    const std::vector<uint8_t> wholeBytes = convtest::readFile(whole.output);
    ConversionOptions above = westTrim(), allEdges = westTrim(), allAreas = westTrim(), otherArea;
    above.trimLevel = 1;
    allEdges.trimEast = kEast;
    allAreas.trimMode = 2;
    allAreas.selectedAreas = {kDetailedArea - 1, kDetailedArea};
    otherArea = allAreas;
    otherArea.selectedAreas = {5};
    struct Case {
        const char* name;
        ConversionOptions options;
        size_t arrows, detailed, added;
        bool sameBytes;
    } cases[] = {
        {"whole", convtest::oneWayTownOptions(), 48, 16, 256, true},
        // The two west columns of level 1 and the six west columns (of 2500) of the added level.
        {"west", westTrim(), 24, 8, 6 * 16, false},
        // The added level lies above every old level: trimmed even when the old levels are kept whole.
        {"above", above, 48, 16, 6 * 16, false},
        {"all-edges", allEdges, 48, 16, 256, true},
        {"all-areas", allAreas, 48, 16, 256, true},
        // Areas drop old parcels and their arrows; the added level has no area codes to filter by.
        {"other-area", otherArea, 0, 0, 256, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Converted r = convertStreets(std::string("trimmed-") + c.name, c.options);
        ASSERT_EQ(r.result.status, ConversionStatus::Done) << r.result.message;
        for (const std::string& problem : convtest::validateOutput(convtest::readFile(r.output)).problems)
            ADD_FAILURE() << problem;
        EXPECT_EQ(r.arrowsFound, c.arrows);
        TLN_KiwiMap map(r.output);
        ASSERT_EQ(map.LevelCount(), 3u);
        const std::vector<Rect> detailed = parcelsOf(map, 1), added = parcelsOf(map, 2);
        EXPECT_EQ(detailed.size(), c.detailed);
        EXPECT_EQ(added.size(), c.added);
        if (c.options.trim && c.options.trimMode == 1) {
            for (const Rect& rect : added)
                EXPECT_TRUE(meets(rect, trimOf(c.options))) << rect.west << ".." << rect.east;
            for (const Rect& rect : c.options.trimLevel == 0 ? detailed : std::vector<Rect>{})
                EXPECT_TRUE(meets(rect, trimOf(c.options))) << rect.west << ".." << rect.east;
        }
        EXPECT_EQ(convtest::readFile(r.output) == wholeBytes, c.sameBytes);
    }
}

} // namespace
