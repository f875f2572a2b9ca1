// Block and parcel rectangles.
#include "converter/rewrite/BlockGeometry.h"

#include <algorithm>

#include "kiwi/map/CoverageLongitude.h"
#include "kiwi/map/KiwiMap.h"
#include "platform/MulDiv.h"

namespace rewrite {

namespace {

int32_t clamp32(int64_t v) {
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v);
}

} // namespace

int64_t LongitudeInCoverage(const TLN_Rect& coverage, int64_t longitude) {
    return coverage.Right > kLongitudeHalfCircle ? CoverageLongitude(coverage, longitude) : longitude;
}

LevelGeometry GeometryOf(const TLN_KiwiMap& map, const TLN_Level_Management_Record& level) {
    LevelGeometry g;
    // The map's coverage rectangle: across 180 degrees its right edge counts on past 180 degrees east, so
    // that the width stays positive.
    const TLN_Rect& coverage = map.Coverage();
    g.left = coverage.Left, g.top = coverage.Top, g.right = coverage.Right, g.bottom = coverage.Bottom;
    g.sx = level.BlockSets.X, g.sy = level.BlockSets.Y;
    g.bx = level.Blocks.X, g.by = level.Blocks.Y;
    g.px = level.Parcels.X, g.py = level.Parcels.Y;
    g.w = int64_t(level.ParcelWidth) * 16, g.h = int64_t(level.ParcelHeight) * 16;
    return g;
}

MapRect BlockRectangle(const LevelGeometry& g, uint32_t set, uint32_t block) {
    const int32_t across = g.right - g.left, down = g.top - g.bottom;
    const int32_t sets = int32_t(set), blocks = int32_t(block);
    const int64_t x0 =
        int64_t(g.left) + MulDiv(across, sets % g.sx, g.sx) + MulDiv(across, blocks % g.bx, g.sx * g.bx);
    const int64_t y0 =
        int64_t(g.bottom) + MulDiv(down, sets / g.sx, g.sy) + MulDiv(down, blocks / g.bx, g.sy * g.by);
    const int64_t x1 = x0 + MulDiv(clamp32(g.w), g.px, 16);
    const int64_t y1 = y0 + MulDiv(clamp32(g.h), g.py, 16);
    return {clamp32(x0), clamp32(y1), clamp32(x1), clamp32(y0)};
}

MapRect ParcelRectangle(const LevelGeometry& g, uint32_t set, uint32_t block, uint32_t parcel) {
    const int32_t across = g.right - g.left, down = g.top - g.bottom;
    const int32_t s = int32_t(set), b = int32_t(block), p = int32_t(parcel);
    const int64_t x0 = int64_t(g.left) + MulDiv(across, s % g.sx, g.sx) +
                       MulDiv(across, b % g.bx, g.sx * g.bx) + MulDiv(across, p % g.px, g.sx * g.bx * g.px);
    const int64_t y0 = int64_t(g.bottom) + MulDiv(down, s / g.sx, g.sy) +
                       MulDiv(down, b / g.bx, g.sy * g.by) + MulDiv(down, p / g.px, g.sy * g.by * g.py);
    return {clamp32(x0), clamp32(y0 + g.h / 16), clamp32(x0 + g.w / 16), clamp32(y0)};
}

building_data::Box ToImported(const MapRect& r) {
    return {clamp32(int64_t(r.west) * 16), clamp32(int64_t(r.north) * 16), clamp32(int64_t(r.east) * 16),
            clamp32(int64_t(r.south) * 16)};
}

TrimArea TrimAreaOf(const MapRect& edges) {
    TrimArea trim;
    trim.north = edges.north, trim.south = edges.south;
    if (edges.north < edges.south) return trim;
    int64_t width = int64_t(edges.east) - edges.west;
    if (width < 0) width = width % kLongitudeFullCircle + kLongitudeFullCircle;
    trim.west = WrapLongitude(edges.west);
    trim.width = std::min(width, kLongitudeFullCircle);
    return trim;
}

bool MeetsTrim(const MapRect& r, const TrimArea& trim) {
    if (trim.width < 0 || r.north < trim.south || r.south > trim.north) return false;
    // Rectangles count in the coverage's longitudes, which run on past 180 degrees east on a coverage
    // across it: the area a turn either way is the same area.
    for (int64_t turn = -1; turn <= 1; ++turn) {
        const int64_t west = trim.west + turn * kLongitudeFullCircle;
        if (r.east >= west && r.west <= west + trim.width) return true;
    }
    return false;
}

bool BlockHoldsOutlines(const LevelGeometry& g, uint32_t set, uint32_t block,
                        const building_data::Box& bounds) {
    const building_data::Box r = ToImported(BlockRectangle(g, set, block));
    return r.west < bounds.east && r.east > bounds.west && r.north > bounds.south && r.south < bounds.north;
}

building_data::Box ExtraBlockSetRectangle(const LevelGeometry& g, uint32_t set) {
    const int64_t sx = set % uint32_t(g.sx), sy = set / uint32_t(g.sx);
    const int64_t x0 = g.w * sx * g.bx * g.px + 16 * int64_t(g.left);
    const int64_t x1 = g.w * (sx + 1) * g.bx * g.px + 16 * int64_t(g.left);
    const int64_t y0 = g.h * sy * g.by * g.py + 16 * int64_t(g.bottom);
    const int64_t y1 = g.h * (sy + 1) * g.by * g.py + 16 * int64_t(g.bottom);
    return {clamp32(x0), clamp32(y1), clamp32(x1), clamp32(y0)};
}

building_data::Box ExtraBlockRectangle(const LevelGeometry& g, uint32_t set, uint32_t block) {
    const building_data::Box s = ExtraBlockSetRectangle(g, set);
    const int64_t bx = block % uint32_t(g.bx), by = block / uint32_t(g.bx);
    const int64_t x0 = s.west + g.w * bx * g.px, y0 = s.south + g.h * by * g.py;
    return {clamp32(x0), clamp32(y0 + g.h * g.py), clamp32(x0 + g.w * g.px), clamp32(y0)};
}

building_data::Box ExtraParcelRectangle(const LevelGeometry& g, uint32_t set, uint32_t block,
                                        uint32_t parcel) {
    const building_data::Box b = ExtraBlockRectangle(g, set, block);
    const int64_t px = parcel % uint32_t(g.px), py = parcel / uint32_t(g.px);
    const int64_t x0 = b.west + g.w * px, y0 = b.south + g.h * py;
    return {clamp32(x0), clamp32(y0 + g.h), clamp32(x0 + g.w), clamp32(y0)};
}

} // namespace rewrite
