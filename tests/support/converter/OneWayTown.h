// A generated two-level map with a one-way street in every parcel, and building data that covers it with
// one city area and a house number in each parcel of the added 25 m level: the source of the conversions
// that build the added level's parcels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "converter/source/ConversionOptions.h"
#include "support/fixtures/AllDataFixture.h"

namespace convtest {

// The map's coverage in map units.
inline constexpr int32_t kTownWest = 0, kTownEast = 40000, kTownSouth = 1400000, kTownNorth = 1420000;

// Level 0 has 2 × 2 parcels, level 1 (the last) 4 × 4; every parcel has a one-way street across its
// middle with five nodes, the first four marked one-way, which gives three arrows a parcel.
fixture::AllDataPlan oneWayTownPlan();
// The map in "<scratch name>/src", its regular parcels marked undivided as the rewriting expects; returns
// the path of its "ALLDATA.KWI".
std::string writeOneWayTown(const std::string& name);
// One city area over the whole coverage and a 16 × 16 grid of house numbers "5"; the box is the data's
// true box.
std::shared_ptr<std::vector<uint8_t>> oneWayTownData();
// The added level with arrows and house numbers, both in name class 0.
ConversionOptions oneWayTownOptions();

} // namespace convtest
