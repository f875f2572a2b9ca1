// A whole conversion of a generated map with generated building data, read back by the project's readers:
// every new building record lies inside its parcel and covers the part of its source outline inside the
// parcel (checked against an independent Sutherland-Hodgman clip), house numbers land in their parcels'
// names frames, and a parcel with nothing to add is copied byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "converter/import/BuildingData.h"
#include "converter/job/ConversionJob.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"
#include "platform/CodePage.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/DecodedOutlines.h"
#include "support/converter/OutputValidator.h"
#include "support/converter/PolygonClip.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

namespace bd = building_data;
using convtest::clip;
using convtest::DecodedOutline;
using convtest::DecodeOutlines;
using convtest::perimeter;
using convtest::Poly;

constexpr uint16_t kTypeCode = 0x0ABC;
constexpr uint8_t kNumberClass = 9;
constexpr int64_t kSide = 160000; // parcel side in imported units (10000 × 16)
constexpr int64_t kSouth = 1400000 * 16;

double area(const Poly& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const auto& [x0, y0] = p[i];
        const auto& [x1, y1] = p[(i + 1) % p.size()];
        a += x0 * y1 - x1 * y0;
    }
    return std::abs(a) / 2;
}

fixture::AllDataPlan plan() {
    fixture::AllDataPlan p;
    p.frames = fixture::AllDataPlan::Frames::Full;
    p.coverageReferences = true;
    p.west = 0, p.east = 40000, p.south = 1400000, p.north = 1420000;
    fixture::LevelPlan l;
    l.codeByte = 0x00;
    l.blockSets = {1, 1};
    l.blocks = {2, 1};
    l.parcels = {2, 2};
    l.divisions[0] = {2, 2};
    l.divisions[1] = {2, 2};
    l.divisions[2] = {2, 2};
    l.nameClasses = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    p.levelRecordBytes = 80;
    p.levels = {l};
    return p;
}

struct Source {
    std::vector<Poly> buildings;                     // imported units
    std::vector<std::pair<bd::Point, bool>> numbers; // point, digits only
    std::shared_ptr<std::vector<uint8_t>> data = std::make_shared<std::vector<uint8_t>>();
};

// Convex quadrilaterals in the west block (columns 0 and 1), some across parcel edges, one exactly on a
// parcel; none in parcel (1, 1), which keeps its bytes.
Source generate() {
    Source s;
    bd::WriteBox(*s.data, bd::Box{});
    std::mt19937 random(7);
    // Row 0 only, so that row 1 of the west block gets nothing.
    std::uniform_int_distribution<int64_t> along(0, 2 * kSide - 1), up(0, kSide - 30001), size(2000, 30000);
    auto addPoly = [&](const std::vector<bd::Point>& points) {
        Poly poly;
        for (const bd::Point& p : points)
            poly.push_back({double(p.x), double(p.y)});
        s.buildings.push_back(poly);
        bd::AppendRecord(*s.data, bd::kBuilding, points);
    };
    for (int i = 0; i < 24; ++i) {
        const int64_t x = along(random), y = kSouth + up(random), w = size(random), h = size(random);
        addPoly({{int32_t(x), int32_t(y)},
                 {int32_t(x + w), int32_t(y + h / 3)},
                 {int32_t(x + w), int32_t(y + h)},
                 {int32_t(x + w / 4), int32_t(y + h)}});
    }
    addPoly({{int32_t(kSide), int32_t(kSouth)},
             {int32_t(2 * kSide), int32_t(kSouth)},
             {int32_t(2 * kSide), int32_t(kSouth + kSide)},
             {int32_t(kSide), int32_t(kSouth + kSide)}});
    const std::pair<bd::Point, std::string> numbers[] = {
        {{5000, int32_t(kSouth + 5000)}, "12"},
        {{int32_t(kSide + 9000), int32_t(kSouth + 70000)}, "7"},
        {{int32_t(kSide + 9100), int32_t(kSouth + 70000)}, "7A"},
    };
    for (const auto& [at, label] : numbers) {
        const bd::Point points[1] = {at};
        bd::AppendRecord(
            *s.data, bd::kHouseNumber, points,
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(label.data()), label.size()));
        s.numbers.push_back({at, label.find_first_not_of("0123456789") == std::string::npos});
    }
    return s;
}

struct Converted {
    std::string source;
    std::string output;
    ConversionResult result;
    std::vector<std::string> log;
};

// The generated map (its regular parcels marked undivided, as the rewriting expects) converted with data.
Converted convertWith(const std::string& name, ConversionOptions options,
                      std::shared_ptr<std::vector<uint8_t>> data,
                      const fixture::AllDataPlan& mapPlan = plan()) {
    fixture::AllDataImage image = fixture::buildAllData(mapPlan);
    for (const fixture::ParcelEntry& e : image.parcels)
        if (e.frame >= 0 && e.sub < 0 && e.identifier == 0 && size_t(e.frame) + 36 <= image.allData.size())
            image.allData[size_t(e.frame + 12)] |= 0xC0;
    const std::string root = fixture::scratchDir(name);
    Converted c;
    c.source = fixture::writeAllData(image, root + "/src");
    fixture::writeFile(root + "/out/.keep", {});
    std::remove((root + "/out/.keep").c_str());
    options.outputPath = c.output = root + "/out/ALLDATA.KWI";
    auto run = std::make_unique<ConversionRun>(c.source, options);
    run->SetBuildingData(std::move(data));
    ConversionJob job(std::move(run));
    job.Start();
    c.result = job.Result();
    c.log = job.Progress().AllLines();
    return c;
}

using Bytes = std::vector<uint8_t>;

// What one output parcel holds, as the readers find it: the imported buildings, every other background
// record, the name records class by class, and the roads frame (where the name references live).
struct ParcelContents {
    std::vector<Bytes> buildings;
    std::vector<Bytes> background;
    std::vector<std::vector<Bytes>> names;
    Bytes roads;
};

Bytes spanBytes(const TLN_FrameSpan& span, int64_t position, int64_t size) {
    const BeCursor c = span.At(position, size);
    return Bytes(c.data(), c.data() + c.size());
}

// The parcels of the single level's west and east blocks, in block and parcel order.
std::vector<ParcelContents> contentsOf(const std::string& allData) {
    TLN_KiwiMap map(allData);
    const TLN_Level_Management_Record& level = *map.Level(0);
    std::vector<ParcelContents> out;
    for (uint32_t b = 0; b < 2; ++b) {
        TLN_Block_Management_Record block;
        if (!map.ReadBlock(0, 0, b, block)) continue;
        for (uint32_t p = 0; p < 4; ++p) {
            TLN_MM_Parcel_Managenent_Record parcel;
            if (!map.ReadParcel(block.Stream, 0, p, parcel, false, block.Address)) continue;
            const auto frames = LoadParcelFrames(map, 0, parcel);
            if (!frames) continue;
            ParcelContents c;
            TLN_Background_Data_Frame bg;
            if (ReadBackgroundDisplayClass(frames->Background, level, bg, map.SystemNumber()))
                for (const TLN_Element_Management_Information& element : bg.Elements)
                    for (const TLN_Background_Type_Unit& unit : element.TypeUnits)
                        for (int64_t at : MinimumGraphicsPositions(frames->Background, unit)) {
                            TLN_Minimum_Graphics_Data_Record r;
                            if (!ReadMinimumGraphicsShape(frames->Background, unit.ShapeClassification != 0,
                                                          r, at))
                                continue;
                            (r.TypeCode == kTypeCode ? c.buildings : c.background)
                                .push_back(spanBytes(frames->Background, at, r.Size));
                        }
            TLN_Name_Data_Frame names;
            if (frames->Name.IsValid() && ReadNameDataFrame(frames->Name, level, names, map.SystemNumber()))
                for (const auto& entry : names.Classes) {
                    c.names.emplace_back();
                    for (const int64_t at : NameRecordPositions(frames->Name, entry)) {
                        TLN_Name_Data_Record record;
                        ReadNameRecord(frames->Name, kShowAllScales, true, record, at, 0, {65001, 0});
                        c.names.back().push_back(spanBytes(frames->Name, at, record.Size));
                    }
                }
            if (frames->Road.IsValid())
                c.roads = spanBytes(frames->Road, frames->Road.Position(), frames->Road.Size());
            out.push_back(std::move(c));
        }
    }
    return out;
}

ConversionOptions importOptions() {
    ConversionOptions options;
    options.buildings = true;
    options.buildingsClass = 1;
    options.buildingsTypeCode = kTypeCode;
    options.address = true;
    options.numberingClass = kNumberClass;
    options.numberingTypeCode = 450;
    return options;
}

TEST(ImportConversion, BuildingsAndNumbersLandInsideTheirParcels) {
    Source source = generate();
    const Converted converted = convertWith("convert-imports", importOptions(), source.data);
    ASSERT_EQ(converted.result.status, ConversionStatus::Done) << converted.result.message;
    EXPECT_TRUE(convtest::validateOutput(convtest::readFile(converted.output)).problems.empty());
    const std::string allData = converted.source;
    ConversionOptions options;
    options.outputPath = converted.output;
    TLN_KiwiMap before(allData), after(options.outputPath);
    ASSERT_EQ(after.LevelCount(), 1u);
    const TLN_Level_Management_Record& level = *after.Level(0);
    ASSERT_EQ(level.ParcelWidth, 10000);
    int parcelsWithBuildings = 0, unchanged = 0;
    for (uint32_t b = 0; b < 2; ++b) {
        TLN_Block_Management_Record oldBlock, newBlock;
        ASSERT_TRUE(before.ReadBlock(0, 0, b, oldBlock));
        ASSERT_TRUE(after.ReadBlock(0, 0, b, newBlock));
        for (uint32_t p = 0; p < 4; ++p) {
            TLN_MM_Parcel_Managenent_Record oldParcel, newParcel;
            ASSERT_TRUE(before.ReadParcel(oldBlock.Stream, 0, p, oldParcel, false, oldBlock.Address));
            ASSERT_TRUE(after.ReadParcel(newBlock.Stream, 0, p, newParcel, false, newBlock.Address));
            const int column = int(b * 2 + p % 2), row = int(p / 2);
            const double x0 = double(column) * kSide, y0 = double(kSouth + row * kSide);
            const auto frames = LoadParcelFrames(after, 0, newParcel);
            ASSERT_TRUE(frames && frames->HasHeader);
            // Buildings of this parcel as the readers see them, in parcel units.
            TLN_Background_Data_Frame bg;
            ASSERT_TRUE(ReadBackgroundDisplayClass(frames->Background, level, bg, after.SystemNumber()));
            double decoded = 0, tolerance = 4;
            int records = 0;
            std::vector<DecodedOutline> outlines;
            for (const TLN_Element_Management_Information& element : bg.Elements)
                for (const TLN_Background_Type_Unit& unit : element.TypeUnits)
                    ASSERT_TRUE(DecodeOutlines(frames->Background, unit, kTypeCode, outlines));
            // Every record reads whole: the imported outlines carry no additional information pointer.
            for (const TLN_Element_Management_Information& element : bg.Elements)
                for (const TLN_Background_Type_Unit& unit : element.TypeUnits)
                    for (const int64_t at : MinimumGraphicsPositions(frames->Background, unit)) {
                        TLN_Minimum_Graphics_Data_Record r;
                        ASSERT_TRUE(ReadMinimumGraphicsShape(frames->Background,
                                                             unit.ShapeClassification != 0, r, at));
                        EXPECT_FALSE(r.Truncated) << "type " << r.TypeCode << " at " << at;
                    }
            for (const DecodedOutline& outline : outlines) {
                ++records;
                for (const auto& [x, y] : outline.points) {
                    EXPECT_TRUE(x >= 0 && x <= 4096 && y >= 0 && y <= 4096) << x << "," << y;
                }
                decoded += area(outline.points);
                tolerance += perimeter(outline.points) + double(outline.steps);
            }
            double expected = 0;
            for (const Poly& building : source.buildings) {
                Poly inside = clip(building, x0, y0, x0 + kSide, y0 + kSide);
                for (auto& [x, y] : inside)
                    x = (x - x0) * 4096 / kSide, y = (y - y0) * 4096 / kSide;
                if (inside.size() >= 3) expected += area(inside);
            }
            EXPECT_NEAR(decoded, expected, tolerance) << "parcel " << column << "/" << row;
            parcelsWithBuildings += records > 0;
            // House numbers with digits only, counted in the numbering class.
            uint32_t numbers = 0;
            for (const auto& [at, digits] : source.numbers)
                numbers += digits && at.x >= x0 && at.x < x0 + kSide && at.y >= y0 && at.y < y0 + kSide;
            TLN_Name_Data_Frame names;
            if (frames->Name.IsValid()) {
                ASSERT_TRUE(ReadNameDataFrame(frames->Name, level, names, after.SystemNumber()));
                ASSERT_GT(names.Classes.size(), size_t(kNumberClass));
                EXPECT_EQ(names.Classes[kNumberClass].StoredRecordCount, numbers) << column << "/" << row;
            } else
                EXPECT_EQ(numbers, 0u);
            if (column == 1 && row == 1) {
                std::vector<uint8_t> a(oldParcel.Size), c(newParcel.Size);
                oldParcel.Stream->ReadExactAt(oldParcel.Address, a.data(), int64_t(a.size()));
                newParcel.Stream->ReadExactAt(newParcel.Address, c.data(), int64_t(c.size()));
                std::fill(a.begin() + 28, a.begin() + 34, 0);
                std::fill(c.begin() + 28, c.begin() + 34, 0);
                EXPECT_EQ(a, c) << "a parcel with nothing to add keeps its bytes";
                ++unchanged;
            }
        }
    }
    EXPECT_GE(parcelsWithBuildings, 2);
    EXPECT_EQ(unchanged, 1);
}

TEST(ImportConversion, TheAddedLevelGetsTheNumbersOfItsCityAreas) {
    Source source = generate();
    // A city area over the west block's lower row.
    const std::vector<bd::Point> area = {{0, int32_t(kSouth)},
                                         {int32_t(2 * kSide), int32_t(kSouth)},
                                         {int32_t(2 * kSide), int32_t(kSouth + kSide)},
                                         {0, int32_t(kSouth + kSide)}};
    bd::AppendRecord(*source.data, bd::kCityArea, area);
    ConversionOptions options = importOptions();
    options.addExtraLevel = true;
    options.buildingsClass = 0;
    options.cityAreaClass = 1;
    const Converted converted = convertWith("convert-imports-extra", options, source.data);
    ASSERT_EQ(converted.result.status, ConversionStatus::Done) << converted.result.message;
    const auto problems = convtest::validateOutput(convtest::readFile(converted.output)).problems;
    for (const std::string& problem : problems)
        ADD_FAILURE() << problem;

    TLN_KiwiMap after(converted.output);
    ASSERT_EQ(after.LevelCount(), 2u);
    const TLN_Level_Management_Record& level = *after.Level(1);
    uint32_t numbers = 0, parcels = 0;
    for (uint32_t s = 0; s < uint32_t(level.BlockSetCount()); ++s)
        for (uint32_t b = 0; b < uint32_t(level.BlockCount()); ++b) {
            TLN_Block_Management_Record block;
            TLN_Parcel_Management_Info info;
            if (!after.ReadBlock(1, s, b, block) ||
                !after.ReadParcelManagement(block.Stream, 1, info, block.Address))
                continue;
            for (uint32_t p = 0; p < info.StoredRecordCount; ++p) {
                TLN_MM_Parcel_Managenent_Record parcel;
                if (!after.ReadParcel(block.Stream, 1, p, parcel, false, block.Address)) continue;
                const auto frames = LoadParcelFrames(after, 1, parcel);
                ASSERT_TRUE(frames && frames->Name.IsValid());
                TLN_Name_Data_Frame names;
                ASSERT_TRUE(ReadNameDataFrame(frames->Name, level, names, after.SystemNumber()));
                ASSERT_GT(names.Classes.size(), size_t(kNumberClass));
                EXPECT_EQ(names.Classes[kNumberClass].Offset, 33);
                numbers += names.Classes[kNumberClass].StoredRecordCount;
                ++parcels;
            }
        }
    EXPECT_EQ(numbers, 2u) << "the two numbers with digits only";
    EXPECT_GE(parcels, 1u);
    bool counted = false;
    for (const std::string& line : converted.log)
        counted = counted || line.rfind("New Parcels Count : " + std::to_string(parcels), 0) == 0;
    EXPECT_TRUE(counted);
}

TEST(ImportConversion, OutlinesAndTranslatedNamesGoTogether) {
    const Source source = generate();
    ConversionOptions translation;
    translation.translate = true;
    translation.translateByWords = true;
    translation.translationLevel = 5;
    translation.dictionaryPath = fixture::scratchDir("convert-both-dict") + "/dict.txt";
    const QByteArray dictionary =
        encodeToCodePage(QString::fromUtf8("Kremlin=Кремль\r\nМосква=Moskva\r\n"), 1251);
    std::ofstream(translation.dictionaryPath, std::ios::binary)
        .write(dictionary.constData(), std::streamsize(dictionary.size()));
    ConversionOptions both = importOptions();
    both.translate = translation.translate;
    both.translateByWords = translation.translateByWords;
    both.translationLevel = translation.translationLevel;
    both.dictionaryPath = translation.dictionaryPath;

    // The runs share one buffer: a run never consumes the records it is given.
    const Converted outlines = convertWith("convert-both-outlines", importOptions(), source.data);
    const Converted names = convertWith("convert-both-names", translation, source.data);
    const Converted together = convertWith("convert-both", both, source.data);
    for (const Converted* run : {&outlines, &names, &together})
        ASSERT_EQ(run->result.status, ConversionStatus::Done) << run->result.message;
    for (const std::string& problem : convtest::validateOutput(convtest::readFile(together.output)).problems)
        ADD_FAILURE() << problem;

    const std::vector<ParcelContents> a = contentsOf(outlines.output), n = contentsOf(names.output),
                                      t = contentsOf(together.output), old = contentsOf(together.source);
    ASSERT_EQ(t.size(), 8u);
    ASSERT_EQ(a.size(), t.size());
    ASSERT_EQ(n.size(), t.size());
    size_t buildings = 0, numbers = 0, translated = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].buildings, a[i].buildings) << "parcel " << i;
        EXPECT_EQ(t[i].background, n[i].background) << "parcel " << i;
        EXPECT_EQ(t[i].roads, n[i].roads) << "the name references of parcel " << i;
        ASSERT_EQ(t[i].names.size(), n[i].names.size());
        for (size_t k = 0; k < t[i].names.size(); ++k) {
            if (k == kNumberClass && n[i].names[k].empty()) {
                EXPECT_EQ(t[i].names[k], a[i].names[k]) << "the house numbers of parcel " << i;
                numbers += t[i].names[k].size();
            } else
                EXPECT_EQ(t[i].names[k], n[i].names[k]) << "class " << k << " of parcel " << i;
            for (size_t r = 0; r < n[i].names[k].size() && k < old[i].names.size(); ++r)
                translated += r < old[i].names[k].size() && n[i].names[k][r] != old[i].names[k][r];
        }
        buildings += t[i].buildings.size();
    }
    EXPECT_GT(buildings, 0u);
    EXPECT_GT(numbers, 0u);
    EXPECT_GT(translated, 0u) << "the dictionary changed some names";
}

// The map runs from 20000 units west of 180 degrees to 20000 east of it, one block on each side; the
// import stores the east block's places as west longitudes, as Polish-format files give them.
TEST(ImportConversion, OutlinesPast180DegreesLandInTheirBlockOnAMapAcross180Degrees) {
    constexpr int32_t k180 = 180 * 28800;
    fixture::AllDataPlan across = plan();
    across.west = k180 - 20000, across.east = -k180 + 20000;
    auto data = std::make_shared<std::vector<uint8_t>>();
    bd::WriteBox(*data, bd::Box{});
    bd::Box box;
    // West of 180 degrees, then east of it: each 2000 to 8000 units into its block's first parcel.
    for (const int32_t west : {k180 - 18000, -k180 + 2000}) {
        const bd::Point points[4] = {{west * 16, int32_t(kSouth + 32000)},
                                     {(west + 6000) * 16, int32_t(kSouth + 32000)},
                                     {(west + 6000) * 16, int32_t(kSouth + 128000)},
                                     {west * 16, int32_t(kSouth + 128000)}};
        bd::AppendRecord(*data, bd::kBuilding, points);
        for (const bd::Point& p : points)
            box.Widen(p);
    }
    bd::WriteBox(*data, box);
    const Converted converted = convertWith("convert-across-180", importOptions(), data, across);
    ASSERT_EQ(converted.result.status, ConversionStatus::Done) << converted.result.message;
    const std::vector<ParcelContents> parcels = contentsOf(converted.output);
    ASSERT_EQ(parcels.size(), 8u);
    // Parcel 0 of each block, and no other parcel.
    for (size_t i = 0; i < parcels.size(); ++i)
        EXPECT_EQ(parcels[i].buildings.size(), i % 4 == 0 ? 1u : 0u) << "parcel " << i;
    // In each, 2000 to 8000 units of its 10000 on both axes: 819 to 3277 parcel units of 4096.
    TLN_KiwiMap after(converted.output);
    for (uint32_t b = 0; b < 2; ++b) {
        TLN_Block_Management_Record block;
        TLN_MM_Parcel_Managenent_Record parcel;
        ASSERT_TRUE(after.ReadBlock(0, 0, b, block));
        ASSERT_TRUE(after.ReadParcel(block.Stream, 0, 0, parcel, false, block.Address));
        const auto frames = LoadParcelFrames(after, 0, parcel);
        TLN_Background_Data_Frame bg;
        ASSERT_TRUE(frames && ReadBackgroundDisplayClass(frames->Background, *after.Level(0), bg, 2));
        std::vector<DecodedOutline> outlines;
        for (const TLN_Element_Management_Information& element : bg.Elements)
            for (const TLN_Background_Type_Unit& unit : element.TypeUnits)
                ASSERT_TRUE(DecodeOutlines(frames->Background, unit, kTypeCode, outlines));
        ASSERT_EQ(outlines.size(), 1u) << "block " << b;
        double x0 = 4096, x1 = 0, y0 = 4096, y1 = 0;
        for (const auto& [x, y] : outlines[0].points)
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        for (const auto& [edge, expected] : {std::pair{x0, 819}, {x1, 3277}, {y0, 819}, {y1, 3277}})
            EXPECT_NEAR(edge, expected, 2) << "block " << b;
    }
}

} // namespace
