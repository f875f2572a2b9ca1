// Region data written anew: the region management tables of every level with the regions kept and filler
// records for the others, each kept region's route planning frame copied and its record re-pointed at the
// copy. A new "REGION.KWI" keeps the chosen level-1 regions and the regions below them; the region data
// inserted into a new map keeps every region.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/Stream.h"
#include "kiwi/region/RegionManager.h"

// A part of the source region data that the file does not hold whole: what it is and what was short.
class ERegionDataShort : public EReadError {
public:
    using EReadError::EReadError;
};

// Which regions of each level are kept: kept[level][region].
using RegionSelection = std::vector<std::vector<bool>>;

struct RegionWriteHooks {
    // Told how many of the kept frames are done, of how many.
    std::function<void(int64_t done, int64_t total)> progress;
    // Raises to stop the work (between frames).
    std::function<void()> checkStop;
    // Told of each kept region whose frame cannot be read whole (its record keeps no frame then); when
    // not given, such a region raises ERegionDataShort.
    std::function<void(const ERegionDataShort& why)> unreadable;
};

// Every region of every level.
RegionSelection AllRegions(const TLN_RegionManager& regions);

// The region data's header with its level records copied to `at` of out; returns its size in bytes.
// Raises ERegionDataShort naming what the source does not hold.
int64_t CopyRegionHeader(const TLN_RegionManager& regions, TLN_Stream& out, int64_t at);

// Writes the tables of every level one after another from `table` and the kept regions' frames from
// `frames` on (each at a multiple of 32); addresses count from base. Records whose frame lies in a file of
// its own are copied as they are. Returns the end of the frames. Raises ERegionDataShort naming the table
// the source does not hold whole.
int64_t WriteRegionTables(const TLN_RegionManager& regions, const RegionSelection& kept, TLN_Stream& out,
                          int64_t base, int64_t table, int64_t frames, const RegionWriteHooks& hooks);

// The bytes the tables of every level take.
int64_t RegionTablesBytes(const TLN_RegionManager& regions);

// Writes a new "REGION.KWI" at position 0 of out and returns its size before padding. chosen: level-1
// region indices. Every level-0 region is kept (the whole area, one record or several). progress(percent),
// when given, is told how far the frames have got; each frame the source does not hold whole is told to
// unreadable (the record then names no frame). Raises ConversionStopped when stop is set.
int64_t BuildRegionFile(const TLN_RegionManager& regions, const std::vector<int>& chosen, TLN_Stream& out,
                        const std::function<void(int)>& progress, const std::atomic<bool>& stop,
                        const std::function<void(const ERegionDataShort&)>& unreadable);
