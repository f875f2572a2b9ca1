// The level management record of the main map: counts of block sets, blocks and parcels, division types,
// display scales and display class lists of one level.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/BeCursor.h"

// Normalised units per parcel side.
constexpr int64_t kParcelSide = 4096;

// A pair of counts stored as "count - 1" in one byte each; 1..256 (a stored 255 means 256).
struct TLN_Division {
    uint16_t X = 1;
    uint16_t Y = 1;
    bool operator==(const TLN_Division&) const = default;
};

struct TLN_Level_Management_Record {
    // The first byte as a signed byte divided by 4 (truncating toward zero).
    int8_t LevelCode = 0;
    // Sizes in normalised units (4096 per parcel side); 64-bit because a level spans up to 2^36 units.
    int64_t BlockSetWidth = 0;
    int64_t BlockSetHeight = 0;
    int64_t BlockWidth = 0;
    int64_t BlockHeight = 0;
    int32_t ParcelsPerBlockSetX = 0;
    int32_t ParcelsPerBlockSetY = 0;
    int32_t ParcelsAcrossX = 0;
    int32_t ParcelsAcrossY = 0;
    // Parcel size in 1/8 arc-second; 0 for data variants 3 and 4.
    int32_t ParcelWidth = 0;
    int32_t ParcelHeight = 0;
    TLN_Division BlockSets;
    TLN_Division Blocks;
    TLN_Division Parcels;
    // Entry 0 is the undivided parcel (a copy of Parcels); entries 1..3 are division types 1..3.
    std::array<TLN_Division, 4> Divisions{};
    uint16_t IntegratedCount = 1;
    uint16_t DividedCount = 1;
    uint8_t MainMapBasicCount = 0;
    uint8_t MainMapExtendedCount = 0;
    uint8_t RouteGuidanceBasicCount = 0;
    uint8_t RouteGuidanceExtendedCount = 0;
    std::array<uint32_t, 5> Scales{};
    std::array<std::string, 5> ScaleLabels;
    // Byte position of the level's block set table; -1 when there is none.
    int64_t BlockSetTablePosition = -1;
    // Block set records the map accepts: BlockSetCount() cut to the records of the table that fit in the
    // file (BlockSets keeps the stored counts, which place the parcels).
    uint32_t AcceptedBlockSetCount = 0;
    uint32_t NodeRecordSize = 0;
    bool HasClassLists = false;
    uint8_t RoadClassCount = 16;
    uint8_t BackgroundClassCount = 32;
    uint8_t NameClassCount = 16;
    std::vector<uint16_t> RoadClassCodes;
    std::vector<uint16_t> BackgroundClassCodes;
    std::vector<uint16_t> NameClassCodes;
    // For a class code (road codes modulo 16, the others modulo 32): its index in the list; 0 when unnamed.
    std::array<int16_t, 32> RoadClassIndex{};
    std::array<int16_t, 32> BackgroundClassIndex{};
    std::array<int16_t, 32> NameClassIndex{};
    // Byte position of the record in the file.
    int64_t Position = -1;

    int64_t LevelWidth() const { return int64_t(ParcelsAcrossX) * kParcelSide; }
    int64_t LevelHeight() const { return int64_t(ParcelsAcrossY) * kParcelSide; }
    // Number of blocks sets, blocks per set and parcels per block.
    int32_t BlockSetCount() const { return int32_t(BlockSets.X) * BlockSets.Y; }
    int32_t BlockCount() const { return int32_t(Blocks.X) * Blocks.Y; }
};

// The scale label of a denominator in cm: "" for all ones, "1:N km" from 100000 cm on, else "1:N m".
std::string ScaleLabel(uint32_t denominator);

// Decodes the record from a span holding exactly the record's recordSize bytes (or fewer at the end of
// the file). partBase turns the block set table's word offset into a byte position; coverageWidth and
// coverageHeight (1/8 arc-second) give the parcel size when computeParcelSize is set.
TLN_Level_Management_Record DecodeLevelRecord(const BeCursor& span, uint32_t recordSize, int64_t partBase,
                                              int64_t position, int64_t coverageWidth, int64_t coverageHeight,
                                              bool computeParcelSize);
