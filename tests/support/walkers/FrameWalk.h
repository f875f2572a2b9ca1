// Every parcel of a main map with its data frames: the parcels in map order (sub-parcels of divided
// parcels included, frames shared by an integrated group once), each loaded as one buffer and dumped.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>

#include "support/walkers/FrameDump.h"

class TLN_KiwiMap;

struct FrameWalkOptions {
    FrameDumpOptions dump;
    // Stops after this many parcels (0 = no limit).
    size_t limit = 0;
    // Called around each parcel's frame loading and dump (to count the reads they cost).
    std::function<void()> beforeFrames;
    std::function<void()> afterFrames;
};

struct FrameWalkResult {
    // Block records tried.
    size_t blocks = 0;
    size_t parcels = 0;
    size_t records = 0;
};

// Walks the map; prints to out when given.
FrameWalkResult walkFrames(TLN_KiwiMap& map, std::ostream* out, const FrameWalkOptions& options = {});
