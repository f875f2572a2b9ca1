// Rebuilds one parcel's main map data frame with new name texts: the names data frame record by record,
// every frame after it moved, and every reference to a moved name record (street addresses of the road
// frame, Name Offsets of the background frame) pointed at its new place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "converter/names/NameTextPolicy.h"
#include "kiwi/map/LevelRecord.h"

struct NameRebuildResult {
    // The new frame (not yet aligned), or empty when the parcel is to be copied as it is.
    std::vector<uint8_t> bytes;
    int rewritten = 0;
    // Why the parcel was copied unchanged although it has names (a warning), or "".
    std::string warning;
};

// parcel: the whole main map data frame as read, its byte 0 at stream position `position`.
NameRebuildResult RebuildParcelNames(const std::vector<uint8_t>& parcel, int64_t position,
                                     const TLN_Level_Management_Record& level, NameTextPolicy& policy);

// Largest names data frame (u16 word size) and largest name record (12-bit word size).
inline constexpr int64_t kMaxNameFrameBytes = 131070;
inline constexpr int64_t kMaxNameRecordBytes = 8190;
