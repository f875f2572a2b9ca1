// Encodings of imported outlines and labels inside a parcel: positions on the parcel's 0..4096 scale,
// outlines as byte-sized steps, and the background and name records that carry them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "converter/import/BuildingData.h"
#include "converter/levels/FrameBytes.h"

namespace rewrite {

// A parcel rectangle in imported units {x0, y1, x1, y0}: west, north, east, south.
struct ParcelRect {
    int64_t x0 = 0;
    int64_t y1 = 0;
    int64_t x1 = 0;
    int64_t y0 = 0;
    // The extent that 4096 position units span: the parcel's own width and height, or for an integrated
    // parcel that of one of its parts (its positions then run past 4096).
    int64_t extentX = 0;
    int64_t extentY = 0;
    int64_t Width() const { return x1 - x0; }
    int64_t Height() const { return y1 - y0; }
    int64_t ExtentX() const { return extentX > 0 ? extentX : Width(); }
    int64_t ExtentY() const { return extentY > 0 ? extentY : Height(); }
};

// MulDiv(coordinate - reference, 4096, extent) kept in the 15 bits a position word holds:
// (p and FFF) or ((p and 7000) shl 1), so 4096 becomes 2000 hex.
uint16_t EncodePosition(int32_t p);
int32_t ParcelPosition(int64_t coordinate, int64_t reference, int64_t extent, int32_t scale = 4096);

struct Step {
    int32_t x = 0;
    int32_t y = 0;
};
// The next point from a toward b, at most 127 along either axis.
Step StepToward(Step a, Step b);

// An outline as a start point (encoded position words) and signed byte steps.
struct EncodedOutline {
    uint16_t startX = 0;
    uint16_t startY = 0;
    std::vector<int8_t> steps; // dx, dy pairs
    size_t StepCount() const { return steps.size() / 2; }
};
// Positions relative to the parcel's reference point (rect.x0, rect.y0); steps on 4096 shr shift.
EncodedOutline EncodeOutline(const ParcelRect& rect, const std::vector<building_data::Point>& path,
                             int shift);

// Records whose size in words would not fit the 12-bit size field are never built.
inline constexpr size_t kMaxOutlineSteps = 4089;

// The minimum graphics record of a building: 12-byte header, then the steps.
std::vector<uint8_t> BuildingRecord(const EncodedOutline& outline, uint16_t typeCode, bool extraLevel,
                                    bool detailed);
// The minimum graphics record of a city area.
std::vector<uint8_t> CityAreaRecord(const EncodedOutline& outline);

// The name record of a house number; label is 8-bit ANSI text, converted to codePage.
std::vector<uint8_t> HouseNumberRecord(const ParcelRect& rect, building_data::Point at, uint16_t typeCode,
                                       const std::string& label, int codePage);
// The 16-byte name record of a one-way arrow.
std::vector<uint8_t> ArrowNameRecord(const ParcelRect& rect, building_data::Point at, uint16_t angle);

} // namespace rewrite
