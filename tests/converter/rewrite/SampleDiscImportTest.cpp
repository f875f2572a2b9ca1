// The sample disc converted with a generated Polish-format map of its town imported by the project's
// importer (buildings with holes, city areas, house numbers), through the same job the probe's convert
// runs, then read back with the project's readers: every new building record lies inside its parcel, the
// area it covers is the source outline's area inside the parcel (against an independent Sutherland-Hodgman
// clip), house numbers land in their class, and the added level carries the one-way arrows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

#include "converter/import/BuildingData.h"
#include "converter/import/MpImporter.h"
#include "converter/job/ConversionJob.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/DecodedOutlines.h"
#include "support/converter/MpGenerator.h"
#include "support/converter/OutputValidator.h"
#include "support/converter/PolygonClip.h"
#include "support/fixtures/FixtureWriter.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

namespace bd = building_data;
using convtest::clip;
using convtest::DecodedOutline;
using convtest::DecodeOutlines;
using convtest::perimeter;
using convtest::Poly;

// The town's south-west corner in grid steps of 1/3200 degree (1/8 arc-second × 9), and its size.
constexpr int64_t kTownWestSteps = 1080000 / 9;
constexpr int64_t kTownSouthSteps = 1618560 / 9;
constexpr int64_t kTownEastSteps = (1080000 + 4 * 320) / 9;
constexpr int64_t kTownNorthSteps = (1618560 + 4 * 200) / 9;
constexpr uint16_t kBuildingType = 0x0144; // the town's own buildings are 0x0143
constexpr uint16_t kNumberType = 450;
constexpr uint8_t kDetailed = 1; // the sample disc's level of code 0

double signedArea(const Poly& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const auto& [x0, y0] = p[i];
        const auto& [x1, y1] = p[(i + 1) % p.size()];
        a += x0 * y1 - x1 * y0;
    }
    return a / 2;
}

// The area an outline fills under the even-odd rule, whichever way its rings turn (a bridged hole may run
// the same way as its outline): slab by slab between vertex heights, where the filled width is linear in y,
// the width at the slab's middle times its height.
double evenOddArea(const Poly& p) {
    std::vector<double> ys;
    for (const auto& point : p)
        ys.push_back(point.second);
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    double area = 0;
    for (size_t k = 0; k + 1 < ys.size(); ++k) {
        const double y = (ys[k] + ys[k + 1]) / 2;
        std::vector<double> xs;
        for (size_t i = 0; i < p.size(); ++i) {
            const auto& [x0, y0] = p[i];
            const auto& [x1, y1] = p[(i + 1) % p.size()];
            if ((y0 < y) != (y1 < y)) xs.push_back(x0 + (x1 - x0) * (y - y0) / (y1 - y0));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2)
            area += (xs[i + 1] - xs[i]) * (ys[k + 1] - ys[k]);
    }
    return area;
}

// The generated town map as the importer compiles it, with a city area over the whole town so that every
// parcel of the added level takes the arrows of its one-way streets.
struct TownImports {
    std::shared_ptr<std::vector<uint8_t>> data = std::make_shared<std::vector<uint8_t>>();
    mpgen::Expected expected;
    mp_import::ImportCounters counters;
    std::string mpText;
};

TownImports importTown() {
    mpgen::Plan plan;
    plan.seed = 17;
    plan.objects = 40;
    plan.cityAreaLevel = 2;
    plan.originX = kTownWestSteps + 2;
    plan.originY = kTownSouthSteps + 2;
    plan.slotsPerRow = 8;
    TownImports t;
    t.expected = mpgen::GenerateText(plan, t.mpText);
    const auto at = [](int64_t x, int64_t y) {
        return "(" + mpgen::GridText(y) + "," + mpgen::GridText(x) + ")";
    };
    t.mpText += "[POLYGON]\r\nType=0x01\r\nData0=" + at(kTownWestSteps, kTownSouthSteps) + "," +
                at(kTownEastSteps, kTownSouthSteps) + "," + at(kTownEastSteps, kTownNorthSteps) + "," +
                at(kTownWestSteps, kTownNorthSteps) + "\r\n[END]\r\n";
    mp_import::ImportSettings settings;
    settings.cityAreaLevel = plan.cityAreaLevel;
    mp_import::MpImporter importer(*t.data, settings);
    const auto result = importer.ImportText(t.mpText, "town.mp", true);
    EXPECT_EQ(result.outcome, mp_import::MpImporter::Outcome::Done);
    t.counters = result.counters;
    return t;
}

// The options a run needs for the buildings to land where the detailed level draws them: the class whose
// code is 18 (the town's buildings), house numbers in a name class the town leaves empty, city areas and
// arrows on the added level.
ConversionOptions townOptions(const TLN_Level_Management_Record& level) {
    ConversionOptions options;
    options.buildings = true;
    options.buildingsTypeCode = kBuildingType;
    const auto& codes = level.BackgroundClassCodes;
    const auto found = std::find(codes.begin(), codes.end(), uint16_t(18));
    EXPECT_NE(found, codes.end());
    options.buildingsClass = uint8_t(found - codes.begin());
    options.address = true;
    options.numberingTypeCode = kNumberType;
    options.includeLetters = true;
    // The town's names are UTF-8 (its system is above 3): the numbers' letters are written so too.
    options.codePage = 65001;
    return options;
}

struct Converted {
    std::string output;
    ConversionResult result;
    std::vector<std::string> log;
};

Converted convertTown(const std::string& name, const ConversionOptions& base,
                      std::shared_ptr<std::vector<uint8_t>> data) {
    Converted c;
    const std::string root = fixture::scratchDir(name);
    std::filesystem::create_directories(root + "/out");
    ConversionOptions options = base;
    options.outputPath = c.output = root + "/out/ALLDATA.KWI";
    auto run = std::make_unique<ConversionRun>(sampleDiscFile("ALLDATA.KWI"), options);
    run->SetBuildingData(std::move(data));
    ConversionJob job(std::move(run));
    job.Start();
    c.result = job.Result();
    c.log = job.Progress().AllLines();
    // The screenshots of the converted town open a kept copy.
    if (const char* keep = std::getenv("STROVANE_KEEP_CONVERTED"); keep && *keep) {
        std::filesystem::create_directories(std::string(keep) + "/" + name);
        std::filesystem::copy_file(c.output, std::string(keep) + "/" + name + "/ALLDATA.KWI",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    return c;
}

// One parcel frame of the detailed level with its rectangle in imported units.
struct ParcelAt {
    TLN_MM_Parcel_Managenent_Record record;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::string where;
};

// Every parcel frame of a level, divided parcels by their sub-parcels; rectangles from the map's coverage
// and the parcel's place, independent of the frames' reference points.
std::vector<ParcelAt> parcelsOf(TLN_KiwiMap& map, uint8_t levelIndex) {
    std::vector<ParcelAt> out;
    const TLN_Level_Management_Record& level = *map.Level(levelIndex);
    const double w = double(level.ParcelWidth) * 16, h = double(level.ParcelHeight) * 16;
    const double west = double(map.Coverage().Left) * 16, south = double(map.Coverage().Bottom) * 16;
    const uint32_t px = level.Parcels.X, py = level.Parcels.Y;
    for (uint32_t b = 0; b < uint32_t(level.Blocks.X * level.Blocks.Y); ++b) {
        TLN_Block_Management_Record block;
        if (!map.ReadBlock(levelIndex, 0, b, block)) continue;
        const uint32_t bx = b % level.Blocks.X, by = b / level.Blocks.X;
        for (uint32_t p = 0; p < px * py; ++p) {
            TLN_MM_Parcel_Managenent_Record parcel;
            if (!map.ReadParcel(block.Stream, levelIndex, p, parcel, false, block.Address)) continue;
            const double x0 = west + w * double(bx * px + p % px), y0 = south + h * double(by * py + p / px);
            const std::string where = std::to_string(b) + "/" + std::to_string(p);
            if (!parcel.IsDivided()) {
                out.push_back({parcel, x0, y0, x0 + w, y0 + h, where});
                continue;
            }
            const TLN_Division d = map.GetLevelWord(levelIndex, parcel.DivisionType);
            for (uint32_t s = 0; s < uint32_t(d.X * d.Y); ++s) {
                TLN_MM_Parcel_Managenent_Record sub;
                if (!map.ReadParcel(parcel.Stream, levelIndex, s, sub, false, parcel.Address)) continue;
                const double sw = w / d.X, sh = h / d.Y;
                const double sx = x0 + sw * double(s % d.X), sy = y0 + sh * double(s / d.X);
                out.push_back({sub, sx, sy, sx + sw, sy + sh, where + "." + std::to_string(s)});
            }
        }
    }
    return out;
}

// A building of the generated text, read from the text itself: its outer ring and its holes in imported
// units (1/128 arc-second, 144 to a grid step), each ring counter-clockwise.
struct Building {
    Poly outer;
    std::vector<Poly> holes;
    double west = 0, south = 0, east = 0, north = 0;
};

Poly ringOf(const std::string& pairs) {
    Poly ring;
    for (size_t at = pairs.find('('); at != std::string::npos; at = pairs.find('(', at + 1)) {
        const double lat = std::stod(pairs.substr(at + 1)),
                     lon = std::stod(pairs.substr(pairs.find(',', at) + 1));
        ring.push_back({std::round(lon * 3200) * 144, std::round(lat * 3200) * 144});
    }
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    if (signedArea(ring) < 0) std::reverse(ring.begin(), ring.end());
    return ring;
}

std::vector<Building> buildingsOf(const std::string& text) {
    std::vector<Building> out;
    std::istringstream lines(text);
    bool polygon = false, building = false;
    Building current;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "[POLYGON]") {
            polygon = true, building = false, current = {};
        } else if (polygon && line.rfind("Type=", 0) == 0) {
            const int type = std::stoi(line.substr(5), nullptr, 16);
            building = type == 0x13 || (type >= 0x6C && type <= 0x6F);
        } else if (polygon && line.rfind("Data0=", 0) == 0) {
            (current.outer.empty() ? current.outer : current.holes.emplace_back()) = ringOf(line.substr(6));
        } else if (polygon && line == "[END]") {
            polygon = false;
            if (!building || current.outer.empty()) continue;
            current.west = current.east = current.outer[0].first;
            current.south = current.north = current.outer[0].second;
            for (const auto& [x, y] : current.outer) {
                current.west = std::min(current.west, x), current.east = std::max(current.east, x);
                current.south = std::min(current.south, y), current.north = std::max(current.north, y);
            }
            out.push_back(current);
        }
    }
    return out;
}

// The area a building covers inside a rectangle once written: a building inside the rectangle (bounds
// included) is written whole, holes and all; a clipped one keeps its outer outline, and a hole the clip
// cuts off from it stays only where it meets the rectangle's edge (holes left whole inside a clipped
// building are left out of the new map, which the conversion logs).
double coveredInside(const Building& b, double x0, double y0, double x1, double y1, bool& clipped) {
    const bool inside = b.west >= x0 && b.east <= x1 && b.south >= y0 && b.north <= y1;
    double area = signedArea(clip(b.outer, x0, y0, x1, y1));
    clipped = !inside && area > 0;
    for (const Poly& hole : b.holes) {
        bool holeInside = true;
        for (const auto& [x, y] : hole)
            holeInside = holeInside && x > x0 && x < x1 && y > y0 && y < y1;
        if (inside || !holeInside) area -= signedArea(clip(hole, x0, y0, x1, y1));
    }
    return area;
}

// The name class of the detailed level that the fewest of the town's parcels use, with the parcels (by
// place) where it is busy.
std::pair<uint8_t, std::set<std::string>> quietestNameClass(TLN_KiwiMap& map) {
    const TLN_Level_Management_Record& level = *map.Level(kDetailed);
    std::pair<uint8_t, std::set<std::string>> best{0, {}};
    size_t fewest = SIZE_MAX;
    for (size_t k = 0; k < level.NameClassCodes.size(); ++k) {
        std::set<std::string> busy;
        for (ParcelAt& p : parcelsOf(map, kDetailed)) {
            const auto frames = LoadParcelFrames(map, kDetailed, p.record);
            TLN_Name_Data_Frame frame;
            if (frames && frames->Name.IsValid() &&
                ReadNameDataFrame(frames->Name, level, frame, map.SystemNumber()) &&
                frame.Classes.size() > k && frame.Classes[k].StoredRecordCount > 0)
                busy.insert(p.where);
        }
        if (busy.size() < fewest) fewest = busy.size(), best = {uint8_t(k), busy};
    }
    return best;
}

TEST(SampleDiscImport, BuildingsCoverTheirSourceInsideEveryParcelAndNumbersLand) {
    const TownImports town = importTown();
    ASSERT_GT(town.data->size(), town.expected.data.size());
    EXPECT_TRUE(std::equal(town.expected.data.begin() + bd::kBoxSize, town.expected.data.end(),
                           town.data->begin() + bd::kBoxSize))
        << "the importer gives the generator's records, the town's city area after them";
    const std::vector<Building> buildings = buildingsOf(town.mpText);
    ASSERT_EQ(int(buildings.size()), town.counters.buildings);
    ASSERT_GT(town.counters.buildings, 5);
    ASSERT_GT(town.counters.numbers, 3);
    ASSERT_GT(town.counters.cities, 1);
    ASSERT_TRUE(std::any_of(buildings.begin(), buildings.end(), [](const Building& b) {
        return !b.holes.empty();
    })) << "some buildings have holes";

    TLN_KiwiMap source(sampleDiscFile("ALLDATA.KWI"));
    ASSERT_GT(source.LevelCount(), kDetailed);
    ASSERT_EQ(source.Level(kDetailed)->LevelCode, 0);
    ConversionOptions options = townOptions(*source.Level(kDetailed));
    // Every name class of the town is used somewhere: the numbers go to the least used one and stay out
    // of the parcels where it is busy.
    const auto [numberClass, busy] = quietestNameClass(source);
    options.numberingClass = numberClass;

    const Converted converted = convertTown("sample-imports", options, town.data);
    if (const char* keep = std::getenv("STROVANE_KEEP_CONVERTED"); keep && *keep)
        fixture::writeFile(std::string(keep) + "/sample-imports/town.mp",
                           std::vector<uint8_t>(town.mpText.begin(), town.mpText.end()));
    ASSERT_EQ(converted.result.status, ConversionStatus::Done) << converted.result.message;
    for (const std::string& problem : convtest::validateOutput(convtest::readFile(converted.output)).problems)
        ADD_FAILURE() << problem;
    const auto busyWarnings =
        std::count_if(converted.log.begin(), converted.log.end(), [](const std::string& line) {
            return line.rfind("WARNING: Numbering Display Class ", 0) == 0 &&
                   line.find(" is already BUSY in Parcel ") != std::string::npos;
        });
    EXPECT_EQ(busyWarnings, busy.empty() ? 0 : 1) << "a busy class is told once a run";
    // and the numbers it left out are in the run's report.
    EXPECT_EQ(converted.result.notes.size(), busy.empty() ? 0u : 1u);

    TLN_KiwiMap after(converted.output);
    ASSERT_EQ(after.LevelCount(), source.LevelCount());
    const TLN_Level_Management_Record& level = *after.Level(kDetailed);
    int parcelsWithBuildings = 0, clippedBuildings = 0;
    uint32_t numbersFound = 0;
    for (ParcelAt& p : parcelsOf(after, kDetailed)) {
        const auto frames = LoadParcelFrames(after, kDetailed, p.record);
        ASSERT_TRUE(frames && frames->HasHeader) << p.where;
        TLN_Background_Data_Frame bg;
        ASSERT_TRUE(ReadBackgroundDisplayClass(frames->Background, level, bg, after.SystemNumber()))
            << p.where;
        ASSERT_GT(bg.Elements.size(), size_t(options.buildingsClass));
        double decoded = 0, tolerance = 4;
        int records = 0;
        std::vector<DecodedOutline> outlines;
        for (const TLN_Background_Type_Unit& unit : bg.Elements[options.buildingsClass].TypeUnits)
            ASSERT_TRUE(DecodeOutlines(frames->Background, unit, kBuildingType, outlines)) << p.where;
        for (const DecodedOutline& outline : outlines) {
            ++records;
            for (const auto& [x, y] : outline.points)
                EXPECT_TRUE(x >= 0 && x <= 4096 && y >= 0 && y <= 4096) << p.where << ": " << x << "," << y;
            decoded += evenOddArea(outline.points);
            tolerance += perimeter(outline.points) + double(outline.steps);
        }
        // Source area inside the parcel, on the parcel's 4096 × 4096 scale.
        const double scale = 4096 / (p.x1 - p.x0) * 4096 / (p.y1 - p.y0);
        double expected = 0;
        for (const Building& b : buildings) {
            bool clipped = false;
            expected += coveredInside(b, p.x0, p.y0, p.x1, p.y1, clipped) * scale;
            clippedBuildings += clipped;
        }
        EXPECT_NEAR(decoded, expected, tolerance) << "parcel " << p.where;
        parcelsWithBuildings += records > 0;

        // House numbers: those of the parcel when the class was free, else the parcel's own names only.
        uint32_t numbers = 0;
        bd::ForEachRecord(std::span<const uint8_t>(*town.data), [&](const bd::RecordView& r) {
            const bd::Point at = r.PointAt(0);
            numbers +=
                r.kind == bd::kHouseNumber && at.x >= p.x0 && at.x < p.x1 && at.y >= p.y0 && at.y < p.y1;
        });
        TLN_Name_Data_Frame frame;
        if (frames->Name.IsValid()) {
            ASSERT_TRUE(ReadNameDataFrame(frames->Name, level, frame, after.SystemNumber()));
            ASSERT_GT(frame.Classes.size(), size_t(numberClass));
            uint32_t stored = 0;
            for (const int64_t at : NameRecordPositions(frames->Name, frame.Classes[numberClass])) {
                TLN_Name_Data_Record record;
                if (!ReadNameRecord(frames->Name, kShowAllScales, true, record, at, 0, {65001, 0}) ||
                    record.TypeCode != kNumberType)
                    continue;
                // Read back as the map view reads it: a readable string of digits (and letters).
                EXPECT_TRUE(record.Readable && !record.String.text.isEmpty() &&
                            record.String.text.at(0).isDigit())
                    << p.where << ": " << record.String.text.toStdString();
                ++stored;
            }
            EXPECT_EQ(stored, busy.count(p.where) ? 0u : numbers) << p.where;
            numbersFound += stored;
        } else
            EXPECT_EQ(numbers, 0u) << p.where;
    }
    EXPECT_GE(parcelsWithBuildings, 4);
    EXPECT_GT(clippedBuildings, 0) << "some buildings cross parcel edges";
    EXPECT_GT(numbersFound, 0u);
}

TEST(SampleDiscImport, TheAddedLevelCarriesOneWayArrowsAndNumbers) {
    const TownImports town = importTown();
    TLN_KiwiMap source(sampleDiscFile("ALLDATA.KWI"));
    ASSERT_GT(source.LevelCount(), kDetailed);
    ConversionOptions options = townOptions(*source.Level(kDetailed));
    options.addExtraLevel = true;
    options.addOneWayArrows = true;
    // City areas in a class after the buildings'; arrows and numbers share one name class.
    options.cityAreaClass = uint8_t(options.buildingsClass + 1);
    options.arrowNameClass = 0;
    options.numberingClass = 0;
    const Converted converted = convertTown("sample-imports-extra", options, town.data);
    ASSERT_EQ(converted.result.status, ConversionStatus::Done) << converted.result.message;
    for (const std::string& problem : convtest::validateOutput(convtest::readFile(converted.output)).problems)
        ADD_FAILURE() << problem;

    TLN_KiwiMap after(converted.output);
    ASSERT_EQ(after.LevelCount(), source.LevelCount() + 1);
    const uint8_t added = uint8_t(source.LevelCount());
    const TLN_Level_Management_Record& level = *after.Level(added);
    uint32_t arrows = 0, numbers = 0, cityAreas = 0;
    for (ParcelAt& p : parcelsOf(after, added)) {
        const auto frames = LoadParcelFrames(after, added, p.record);
        if (!frames || !frames->HasHeader) continue;
        TLN_Name_Data_Frame names;
        if (frames->Name.IsValid() && ReadNameDataFrame(frames->Name, level, names, after.SystemNumber()))
            for (const auto& entry : names.Classes)
                for (const int64_t at : NameRecordPositions(frames->Name, entry)) {
                    TLN_Name_Data_Record record;
                    if (!ReadNameRecord(frames->Name, kShowAllScales, true, record, at, 0, {65001, 0}))
                        continue;
                    arrows += record.TypeCode == 498;
                    numbers += record.TypeCode == kNumberType;
                }
    }
    // City areas go into the rebuilt parcels of the detailed level, in the class after the buildings'.
    for (ParcelAt& p : parcelsOf(after, kDetailed)) {
        const auto frames = LoadParcelFrames(after, kDetailed, p.record);
        TLN_Background_Data_Frame bg;
        if (frames &&
            ReadBackgroundDisplayClass(frames->Background, *after.Level(kDetailed), bg,
                                       after.SystemNumber()) &&
            bg.Elements.size() > options.cityAreaClass)
            for (const TLN_Background_Type_Unit& unit : bg.Elements[options.cityAreaClass].TypeUnits)
                cityAreas += unit.RecordCount;
    }
    EXPECT_GT(numbers, 0u);
    EXPECT_GT(cityAreas, 0u);
    // The arrows come from one-way roads of the road display classes from 6 on (the town's two lanes); the
    // arrows found are the arrows written.
    uint32_t found = UINT32_MAX;
    for (const std::string& line : converted.log)
        if (const size_t at = line.find("One-Way Arrows found: "); at != std::string::npos)
            found = uint32_t(std::stoul(line.substr(at + 22)));
    ASSERT_NE(found, UINT32_MAX);
    EXPECT_GT(found, 0u);
    EXPECT_EQ(arrows, found);
}

} // namespace
