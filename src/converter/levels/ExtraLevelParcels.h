// The parcels of the added 25 m level: a frame holding only a names frame with the one-way arrows and
// house numbers of the parcel, and the small writers of the level's block tables and parcel management
// information.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/rewrite/OutlineWriters.h"
#include "kiwi/io/Stream.h"

namespace rewrite {

struct ExtraParcelSettings {
    uint8_t arrowClass = 0;
    uint8_t numberingClass = 0;
    NumberSettings numbers;
};

struct ExtraParcel {
    std::vector<uint8_t> frame; // empty when the parcel got nothing
    uint32_t arrows = 0;
    uint32_t numbers = 0;
    bool tooMany = false;
};

// The frame of parcel `parcel` (px parcels across its block) covering rect (imported units).
ExtraParcel WriteExtraLevelParcel(ImportedOutlines& outlines, const ParcelRect& rect, uint32_t parcel,
                                  uint32_t px, const ExtraParcelSettings& settings);

// At position, count empty references (FF FF FF FF 00 00), each padded with zeros to recordSize; returns
// count × recordSize.
int64_t WriteEmptyRecords(TLN_Stream& stream, uint32_t count, uint32_t recordSize, int64_t position);
// At the stream's end: 00 00 FF FF, count empty references, the stream padded to 32; returns where the
// block's information starts.
int64_t ReserveParcelManagementInfo(TLN_Stream& stream, uint32_t count);
// Walks blockCount block informations of parcelsPerBlock records from managementStart: every record whose
// u32 is the running parcel number gets the KIWI address of the data offset, which then moves on by the
// record's size in 32-byte sectors.
void AssignExtraParcelAddresses(TLN_Stream& stream, uint32_t blockCount, uint32_t parcelsPerBlock,
                                int64_t dataOffset, int64_t managementStart);
// From the stream's position, count u32 KIWI addresses step bytes apart move by delta (all ones stays).
void RelocateKiwiAddresses(TLN_Stream& stream, int64_t delta, uint32_t count, uint32_t step);

} // namespace rewrite
