// The guidance data frame of the route guidance data: its table references and the direction indicator,
// toward name and road structure data records.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kiwi/io/FrameSpan.h"

// The guidance tables in the order of their presence flags (bit 11 down to bit 4).
enum class TLN_Guidance_Table : uint8_t {
    Intersections,
    RoadNames,
    TowardNames,
    SpotGuides,
    DirectionGuides,
    RoadStructures,
    Buildings,
    CautionPoints,
};
constexpr int kGuidanceTableCount = 8;
// The record tree's names of the tables.
const char* GuidanceTableName(int table);

struct TLN_Guidance_Table_Reference {
    bool Present = false;
    uint16_t Offset = 0;
    // Position of the table (-1 when absent or outside the frame) and its record count as stored.
    int64_t Position = -1;
    uint16_t Count = 0;
};

struct TLN_Guidance_Data_Frame {
    int64_t Position = -1;
    // Basic Data Size in bytes.
    uint32_t BasicDataSize = 0;
    uint16_t Flags = 0;
    uint32_t IntersectionWord = 0;
    std::array<TLN_Guidance_Table_Reference, kGuidanceTableCount> Tables{};
    uint32_t ExtendedOffset = 0;
    // Position of the extended data; -1 when there is none or it lies outside the frame.
    int64_t ExtendedPosition = -1;

    bool Flag13() const { return Flags & 0x2000; }
    // Intersection Link String Display Class (bits 24-21), Number (bits 21-9) and Node Number (bits 4-0);
    // bit 21 belongs to both fields, as the format gives them.
    uint8_t IntersectionClass() const { return uint8_t((IntersectionWord >> 21) & 15); }
    uint16_t IntersectionNumber() const { return uint16_t((IntersectionWord >> 9) & 0x1FFF); }
    uint8_t IntersectionNode() const { return uint8_t(IntersectionWord & 31); }
};

struct TLN_Connected_Node_Info {
    int64_t Position = -1;
    uint32_t NodeInformation = 0;
    uint16_t DirectionInformation = 0;
};

// A guidance point of a direction indicator record. The type name is the format's.
struct TLN_Guidance_Point_Manag_Rec {
    int64_t Position = -1;
    uint32_t Attribute = 0;
    uint16_t NodeWord = 0;
    uint16_t IntersectionInformation = 0;
    // Offset to the Character String Data: words from the start of the data record; with the string flag.
    uint16_t StringOffset = 0;
    int64_t StringPosition = -1;
    std::vector<TLN_Connected_Node_Info> Nodes;

    bool StringFlag() const { return Attribute & 0x200; }
    uint8_t NodeCount() const { return uint8_t(NodeWord >> 8); }
    uint8_t GuidanceCode() const { return uint8_t(NodeWord & 0xFF); }
};

// A guidance point of a toward name record. The type name is the format's.
struct TLN_Guidance_Point_Manag_Rec_2 {
    int64_t Position = -1;
    uint16_t Attribute = 0;
    uint16_t NodeWord = 0;
    uint16_t StringOffset = 0;
    int64_t StringPosition = -1;
    std::vector<TLN_Connected_Node_Info> Nodes;

    bool StringFlag() const { return Attribute & 1; }
    uint8_t NodeCount() const { return uint8_t(NodeWord >> 8); }
};

struct TLN_Direction_Indicator_Data_Rec {
    int64_t Position = -1;
    uint16_t Attribute = 0;
    // Number of Guidance Point Management Records as stored; Points holds those in the frame.
    uint16_t StoredPointCount = 0;
    std::vector<TLN_Guidance_Point_Manag_Rec> Points;
    // Bytes from the record's start to the end of its last guidance point.
    int64_t Size = 0;
    bool Truncated = false;
};

struct TLN_Toward_Name_Data_Rec {
    int64_t Position = -1;
    uint16_t Attribute = 0;
    uint16_t DistanceInformation = 0;
    std::vector<TLN_Guidance_Point_Manag_Rec_2> Points;
    int64_t Size = 0;
    bool Truncated = false;

    // Number of guidance point management records: bits 13-11 of the attribute header.
    uint8_t PointCount() const { return uint8_t((Attribute >> 11) & 7); }
};

struct TLN_Road_Structure_Data_Rec {
    int64_t Position = -1;
    uint16_t Attribute = 0;
    uint16_t DistanceInformation = 0;
    uint16_t OffsetDistance = 0;
    uint16_t HeightInformation = 0;
    uint16_t IntersectionInformation = 0;
    uint16_t StringOffset = 0;
    int64_t StringPosition = -1;
    int64_t Size = 0;

    bool StringFlag() const { return Attribute & 0x10; }
};

// Readers over the guidance data frame span (G = frame.Position()); records are read at their position.
bool ReadGuidanceDataFrame(const TLN_FrameSpan& frame, TLN_Guidance_Data_Frame& out);
bool ReadDirectionIndicator(const TLN_FrameSpan& frame, TLN_Direction_Indicator_Data_Rec& out,
                            int64_t position);
bool ReadTowardName(const TLN_FrameSpan& frame, TLN_Toward_Name_Data_Rec& out, int64_t position);
bool ReadRoadStructure(const TLN_FrameSpan& frame, TLN_Road_Structure_Data_Rec& out, int64_t position);
// The positions of the records of a table whose records have a layout (toward names, direction guides,
// road structures), one after another, as many as its count says and fit in the frame.
std::vector<int64_t> GuidanceRecordPositions(const TLN_FrameSpan& frame,
                                             const TLN_Guidance_Data_Frame& guidance,
                                             TLN_Guidance_Table table);
