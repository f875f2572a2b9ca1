// Rectangles of blocks and parcels in the map's coverage, as the block and parcel filters and the
// per-block selection of imported records use them, and the trim filter over them.
#pragma once

#include <cstdint>

#include "converter/import/BuildingData.h"

class TLN_KiwiMap;
struct TLN_Level_Management_Record;
struct TLN_Rect;

namespace rewrite {

// A stored longitude (1/8 arc-second) as the map's coverage rectangle counts it: a coverage across 180
// degrees counts on past it, where places are stored as west longitudes; on any other map it is unchanged.
int64_t LongitudeInCoverage(const TLN_Rect& coverage, int64_t longitude);

// The numbers of one level that place its blocks and parcels.
struct LevelGeometry {
    int32_t left = 0, top = 0, right = 0, bottom = 0; // coverage, 1/8 arc-second
    int32_t sx = 1, sy = 1;                           // block sets across and down
    int32_t bx = 1, by = 1;                           // blocks per block set
    int32_t px = 1, py = 1;                           // parcels per block
    int64_t w = 0, h = 0;                             // parcel width and height, imported units (16 per 1/8")
};

LevelGeometry GeometryOf(const TLN_KiwiMap& map, const TLN_Level_Management_Record& level);

// A rectangle in 1/8 arc-second, {west, north, east, south}.
using MapRect = building_data::Box;

// The block's rectangle in 1/8 arc-second.
MapRect BlockRectangle(const LevelGeometry& g, uint32_t set, uint32_t block);
// The parcel's rectangle in 1/8 arc-second (west edge from the coverage, width W div 16).
MapRect ParcelRectangle(const LevelGeometry& g, uint32_t set, uint32_t block, uint32_t parcel);
// The same rectangle times 16: imported units.
building_data::Box ToImported(const MapRect& rect);

// A trim rectangle as the filters test it: its west edge taken into -180..180 degrees and its width
// eastward from there. A west edge that lies east of the east edge runs eastward across 180 degrees, so
// that 150 to 142 degrees west and 210 to 218 degrees east are the same area; a south edge north of the
// north edge covers nothing (width -1).
struct TrimArea {
    int64_t west = 0;
    int64_t width = -1;
    int32_t north = 0, south = 0;
};
TrimArea TrimAreaOf(const MapRect& edges);

// Whether rect meets the trim area at any turn of it: east >= x0, west <= x1, north >= y0, south <= y1.
bool MeetsTrim(const MapRect& rect, const TrimArea& trim);
// Whether the block's rectangle, times 16, meets the imported box with strict comparisons on all sides.
bool BlockHoldsOutlines(const LevelGeometry& g, uint32_t set, uint32_t block,
                        const building_data::Box& bounds);

// Rectangles of the added level in imported units.
building_data::Box ExtraBlockSetRectangle(const LevelGeometry& g, uint32_t set);
building_data::Box ExtraBlockRectangle(const LevelGeometry& g, uint32_t set, uint32_t block);
building_data::Box ExtraParcelRectangle(const LevelGeometry& g, uint32_t set, uint32_t block,
                                        uint32_t parcel);

} // namespace rewrite
