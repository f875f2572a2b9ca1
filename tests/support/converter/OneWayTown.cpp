// The one-way town: its map plan, its building data and the options that add the 25 m level over it.
#include "support/converter/OneWayTown.h"

#include "converter/import/BuildingData.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/SketchFrames.h"

namespace convtest {

namespace bd = building_data;

fixture::AllDataPlan oneWayTownPlan() {
    fixture::LevelPlan overview = fixture::sketchLevelPlan(1, 1, 2, 2);
    overview.codeByte = 0x04;
    fixture::LevelPlan detailed = fixture::sketchLevelPlan(2, 2, 2, 2);
    detailed.codeByte = 0x00;
    fixture::AllDataPlan plan = fixture::sketchAllDataPlan(detailed, [](const fixture::FrameRequest&) {
        fixture::SketchFrames f;
        fixture::SketchRoad road =
            fixture::sketchRoad(6, {{300, 2048}, {1100, 2048}, {1900, 2048}, {2700, 2048}, {3500, 2048}});
        road.oneWay = 1;
        f.roads.push_back(road);
        return f;
    });
    plan.levels = {overview, detailed};
    plan.coverageReferences = true;
    plan.west = kTownWest, plan.east = kTownEast, plan.south = kTownSouth, plan.north = kTownNorth;
    return plan;
}

std::string writeOneWayTown(const std::string& name) {
    fixture::AllDataImage image = fixture::buildAllData(oneWayTownPlan());
    for (const fixture::ParcelEntry& e : image.parcels)
        if (e.frame >= 0 && e.sub < 0 && e.identifier == 0 && size_t(e.frame) + 36 <= image.allData.size())
            image.allData[size_t(e.frame + 12)] |= 0xC0;
    return fixture::writeAllData(image, fixture::scratchDir(name) + "/src");
}

std::shared_ptr<std::vector<uint8_t>> oneWayTownData() {
    const int32_t w = kTownWest * 16, e = kTownEast * 16, s = kTownSouth * 16, n = kTownNorth * 16;
    auto data = std::make_shared<std::vector<uint8_t>>();
    bd::WriteBox(*data, bd::Box{w, n, e, s});
    const bd::Point area[4] = {{w, s}, {e, s}, {e, n}, {w, n}};
    bd::AppendRecord(*data, bd::kCityArea, area);
    const uint8_t label[1] = {'5'};
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j) {
            const bd::Point at[1] = {{w + (e - w) * (2 * i + 1) / 32, s + (n - s) * (2 * j + 1) / 32}};
            bd::AppendRecord(*data, bd::kHouseNumber, at, label);
        }
    return data;
}

ConversionOptions oneWayTownOptions() {
    ConversionOptions o;
    o.addExtraLevel = true;
    o.addOneWayArrows = true;
    o.address = true;
    o.numberingTypeCode = 450;
    o.numberingClass = 0;
    o.arrowNameClass = 0;
    return o;
}

} // namespace convtest
