// Longitudes of a coverage that may run across 180 degrees: stored longitudes lie in -180..180 degrees,
// while the map's coverage rectangle counts on past 180 degrees east (Right gets 360 degrees added).
#pragma once

#include <cstdint>

#include "kiwi/core/KiwiPrimitives.h"

// 360 and 180 degrees in 1/8 arc-second.
constexpr int64_t kLongitudeFullCircle = 10368000;
constexpr int64_t kLongitudeHalfCircle = kLongitudeFullCircle / 2;

// A longitude taken into -180 degrees (included) .. 180 degrees (excluded).
inline int64_t WrapLongitude(int64_t longitude) {
    const int64_t shifted = (longitude + kLongitudeHalfCircle) % kLongitudeFullCircle;
    return (shifted < 0 ? shifted + kLongitudeFullCircle : shifted) - kLongitudeHalfCircle;
}

// The stored longitude as the coverage rectangle counts it: the turn of it nearest the rectangle's
// middle, so that a place east of 180 degrees on a coverage across 180 degrees lies past Right's side of
// 180 degrees rather than 360 degrees to the west of its coverage.
inline int64_t CoverageLongitude(const TLN_Rect& coverage, int64_t longitude) {
    const int64_t middle = (int64_t(coverage.Left) + coverage.Right) / 2;
    return middle + WrapLongitude(longitude - middle);
}
