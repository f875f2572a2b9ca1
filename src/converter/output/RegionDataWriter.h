// Region data (the route planning regions) written into the new map: the distribution header, the region
// management tables of every level, and the route planning frames they name, re-pointed to their new
// places. Addresses count from the start of the written region data, as readers take them.
#pragma once

#include <cstdint>

#include "converter/job/ConversionContext.h"
#include "kiwi/region/RegionManager.h"

// Writes the region data of regions at `at` of the output; returns the bytes written. Raises EReadError
// naming what the source region data does not hold whole.
int64_t WriteRegionData(ConversionContext& context, const TLN_RegionManager& regions, int64_t at);
