// The distribution headers at the start of a parcel's main map and route guidance data frames, with the
// frame references that locate the parcel's road, background, name and further frames.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kiwi/core/BeCursor.h"

// Bytes of the main map distribution header before its tables.
constexpr int64_t kMainMapHeaderFixedSize = 36;
// Bytes of the route guidance distribution header before its tables.
constexpr int64_t kRouteGuidanceHeaderFixedSize = 20;
constexpr int kAdjacentParcelCount = 8;
// The frame table of ReadMainMapFrameTable holds at most this many references and regions.
constexpr int kFrameTableReferenceCount = 16;
constexpr int kFrameTableRegionCount = 5;

// A data frame: absolute byte position (-1 = none) and size in bytes.
struct TLN_Frame_Reference {
    int64_t Position = -1;
    uint32_t Size = 0;
    bool operator==(const TLN_Frame_Reference&) const = default;
};

struct TLN_Route_Region {
    // Bits 15-10 of the first word.
    uint8_t LevelCode = 0;
    uint16_t RegionNumber = 0;
    bool operator==(const TLN_Route_Region&) const = default;
};

// One adjacent parcel entry: the neighbour's frame, or for a divided neighbour (size 0, word not all ones)
// the list of its sub-parcels' frames.
struct TLN_Adjacent_Parcel {
    // The stored u32 taken as a KIWI address (-1 for all ones).
    int64_t Address = -1;
    // Size in bytes (stored 32-byte sectors × 32).
    uint32_t Size = 0;
    bool Divided = false;
    // Divided neighbour: the division counts in bits 15-12 and in bits 11-8 of the stored u32, each + 1.
    uint8_t DivisionCount1 = 0;
    uint8_t DivisionCount2 = 0;
    // Divided neighbour: bits 7-0 + 1 entries at ListPosition (frame start + 2 × bits 31-16).
    uint16_t ListCount = 0;
    int64_t ListPosition = -1;
    std::vector<TLN_Frame_Reference> List;
};

struct TLN_MM_Distribution_Header {
    uint32_t HeaderSize = 0;
    // Lower left reference in 1/8 arc-second: X = longitude, Y = latitude.
    int32_t ReferenceX = 0;
    int32_t ReferenceY = 0;
    uint8_t LocationCodeX = 0;
    uint8_t LocationCodeY = 0;
    // 0 regular, 1 divided, 2 integrated.
    uint8_t Identifier = 0;
    bool AdjacentFlag = false;
    uint8_t TypeNumber = 0;
    // For an integrated parcel the parcel counts (stored + 1); for a divided one the sub-parcel location.
    uint8_t LatitudinalNumber = 0;
    uint8_t LongitudinalNumber = 0;
    uint32_t AreaCodeWord = 0;
    uint32_t Scale = 0;
    // Metres.
    uint32_t RealLengthX = 0;
    uint32_t RealLengthY = 0;
    uint16_t GeomagneticStrength = 0;
    uint16_t GeomagneticDeclination = 0;
    int64_t RouteGuidancePosition = -1;
    uint32_t RouteGuidanceSize = 0;
    uint16_t RegionCount = 0;
    bool TablesInsideHeader = false;
    // True when a table ran past the end of the stream and was cut.
    bool Truncated = false;
    std::vector<TLN_Route_Region> Regions;
    std::vector<TLN_Frame_Reference> Basic;
    std::vector<TLN_Frame_Reference> Extended;
    std::array<TLN_Adjacent_Parcel, kAdjacentParcelCount> Adjacent;
};

struct TLN_RG_Distribution_Header {
    uint32_t HeaderSize = 0;
    int32_t ReferenceX = 0;
    int32_t ReferenceY = 0;
    uint8_t LocationCodeX = 0;
    uint8_t LocationCodeY = 0;
    uint8_t Identifier = 0;
    // Set when bit 13 of the flags word is clear.
    bool AdjacentFlag = false;
    uint8_t TypeNumber = 0;
    uint8_t LatitudinalNumber = 0;
    uint8_t LongitudinalNumber = 0;
    uint32_t PracticalManagementCode = 0;
    bool HeightInformation = false;
    // Clear: 1/100, set: 1/10000.
    bool BaseMapScaleStandard = false;
    uint16_t BaseMapIdentifier = 0;
    bool Truncated = false;
    std::vector<TLN_Frame_Reference> Basic;
    std::vector<TLN_Frame_Reference> Extended;
};

// The fixed-size frame table that drawing and conversion use: the flags, up to 5 regions and the level's
// frame references (basic, then extended); the remaining references are absent (position -1).
struct TLN_MM_Frame_Table {
    uint8_t LocationCodeX = 0;
    uint8_t LocationCodeY = 0;
    // The raw word at +12 (identifier, adjacent flag, type number, the two numbers).
    uint16_t Flags = 0;
    uint16_t RegionCount = 0;
    std::vector<TLN_Route_Region> Regions;
    // How many references the level defines (basic + extended, at most 16).
    int ReferenceCount = 0;
    std::array<TLN_Frame_Reference, kFrameTableReferenceCount> References{};

    uint8_t Identifier() const { return uint8_t(Flags >> 14); }
};

// Decoders over a span whose byte 0 is the frame start; frameStart makes positions absolute.
// The scale of a Data Source Flag word and a real length in metres, as stored.
uint32_t DataSourceScale(uint16_t word);
uint32_t RealLengthMetres(uint16_t word);
void DecodeMainMapHeaderFixed(const BeCursor& span, TLN_MM_Distribution_Header& out);
// Bytes from the frame start that the header's tables occupy (regions, references, adjacent entries).
int64_t MainMapHeaderTablesEnd(const TLN_MM_Distribution_Header& header, int basicCount, int extendedCount);
// Regions, references and adjacent entries (their divided lists are left to the caller, which knows where
// they lie); tables cut by the end of the span mark the header truncated.
void DecodeMainMapHeaderTables(const BeCursor& span, int64_t frameStart, int basicCount, int extendedCount,
                               TLN_MM_Distribution_Header& out);
// A divided neighbour's list of count 6-byte entries.
std::vector<TLN_Frame_Reference> DecodeAdjacentList(const BeCursor& span, int64_t offset, int count);
void DecodeRouteGuidanceHeader(const BeCursor& span, int64_t frameStart, int basicCount, int extendedCount,
                               TLN_RG_Distribution_Header& out);
void DecodeMainMapFrameTable(const BeCursor& span, int64_t frameStart, int basicCount, int extendedCount,
                             TLN_MM_Frame_Table& out);
