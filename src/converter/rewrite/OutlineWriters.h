// The record writers of one parcel: imported buildings and city areas clipped to the parcel and encoded
// as background records, house numbers and one-way arrows as name records. Each walks the block's
// selection and tests its size limit before a record is added, so no frame outgrows its 16-bit fields.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "converter/rewrite/ImportedOutlines.h"
#include "converter/rewrite/OutlineEncoding.h"

namespace rewrite {

// Frame bytes past which the writers add no more records (the frames' word offsets must stay in 16 bits).
inline constexpr int64_t kBuildingLimit = 130000;
inline constexpr int64_t kNameLimit = 130000;
inline constexpr int64_t kCityAreaLimit = 130046;
inline constexpr int64_t kArrowLimit = 130046;
// Records per type entry.
inline constexpr uint32_t kBatchRecords = 4095;

struct WrittenRecords {
    std::vector<uint8_t> bytes;
    uint32_t count = 0;
    bool tooMany = false; // a limit was reached (the caller logs it)
    bool holesLeftOut = false;
};

struct BuildingSettings {
    uint16_t typeCode = 323;
    bool extraLevel = false;
    SizeFilters filters;
};

// The parcel rectangle as a box in the selection's terms.
building_data::Box RectBox(const ParcelRect& rect);

// Outline clipped to the rectangle (even-odd on both), each path closed; holes of the result left out.
std::vector<std::vector<building_data::Point>>
ClipToRectangle(const std::vector<building_data::Point>& outline, const ParcelRect& rect, bool& holesLeftOut);

// Buildings of the selection from *index on (index advances over what was looked at), one batch of at
// most 4095 records; budget = bytes the frame holds besides the new records.
WrittenRecords WriteBuildings(ImportedOutlines& outlines, size_t& index, const ParcelRect& rect,
                              int64_t budget, const BuildingSettings& settings);
// City areas of the block meeting the parcel; base = background bytes written so far.
WrittenRecords WriteCityAreas(const ImportedOutlines& outlines, const ParcelRect& rect, int64_t base);
// Whether any city area of the block meets the rectangle.
bool CityAreaMeets(const ImportedOutlines& outlines, const ParcelRect& rect);

struct NumberSettings {
    uint16_t typeCode = 450;
    bool lettersAllowed = false;
    int codePage = 1251;
};
// House numbers of the selection inside the rectangle; consume: take 33 hex only and use them up, else
// 34 hex too and leave them.
WrittenRecords WriteHouseNumbers(ImportedOutlines& outlines, const ParcelRect& rect, int64_t budget,
                                 bool consume, const NumberSettings& settings);
// One-way arrow points inside the rectangle, used up; base as for the limit.
WrittenRecords WriteArrowNames(ImportedOutlines& outlines, const ParcelRect& rect, int64_t base);

} // namespace rewrite
