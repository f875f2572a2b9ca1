// A new "REGION.KWI" holding the chosen level-1 regions and the regions below them: other regions become
// filler records, chosen regions keep their records and their route planning frames, re-pointed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "kiwi/io/Stream.h"
#include "kiwi/region/RegionManager.h"

// Writes the file image at position 0 of out and returns its size before padding. chosen: level-1 region
// indices. progress(percent), when given, is told how far the frames have got. Raises ConversionStopped
// when stop is set.
int64_t BuildRegionFile(const TLN_RegionManager& regions, const std::vector<int>& chosen, TLN_Stream& out,
                        const std::function<void(int)>& progress, const std::atomic<bool>& stop);
