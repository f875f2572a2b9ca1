// A complete walk of a main map through TLN_KiwiMap: every level, block set, block, parcel and sub-parcel
// with its distribution header, printed one record per line (the text kiwiprobe's "map --walk" prints).
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

class TLN_KiwiMap;

struct MapWalkOptions {
    // Stops after this many records (0 = no limit); damaged maps can declare billions of them.
    size_t limit = 0;
};

struct MapWalkResult {
    size_t records = 0;
    size_t parcels = 0;
    bool complete = true;
};

// The data volume, the management headers in use and the main map header.
void printMapSummary(TLN_KiwiMap& map, std::ostream& out);
// Walks every level; a sub-parcel that is divided again is reported, not followed.
MapWalkResult walkMap(TLN_KiwiMap& map, std::ostream& out, const MapWalkOptions& options = {});
// Summary and walk as one text.
std::string dumpMap(TLN_KiwiMap& map, const MapWalkOptions& options = {});
