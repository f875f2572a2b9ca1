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

// Whether rect meets the trim rectangle: east >= x0, west <= x1, north >= y0, south <= y1.
bool MeetsTrim(const MapRect& rect, const MapRect& trim);
// Whether the block's rectangle, times 16, meets the imported box with strict comparisons on all sides.
bool BlockHoldsOutlines(const LevelGeometry& g, uint32_t set, uint32_t block,
                        const building_data::Box& bounds);

// Rectangles of the added level in imported units.
building_data::Box ExtraBlockSetRectangle(const LevelGeometry& g, uint32_t set);
building_data::Box ExtraBlockRectangle(const LevelGeometry& g, uint32_t set, uint32_t block);
building_data::Box ExtraParcelRectangle(const LevelGeometry& g, uint32_t set, uint32_t block,
                                        uint32_t parcel);

} // namespace rewrite
