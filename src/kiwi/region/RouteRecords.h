// Records of a route planning data frame (distribution header, node coordinate header, node header and
// ranks, node, link, regulation, between-links cost and link cost records) and their decoders.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/BeCursor.h"

// The nine data frames the route planning distribution header locates, in header order.
enum TLN_RP_FrameKind {
    RP_NodeFrame,
    RP_LinkFrame,
    RP_LinkCostFrame,
    RP_UpperNodeFrame,
    RP_UpperLinkFrame,
    RP_PassageCodeFrame,
    RP_StatisticalCostFrame,
    RP_NodeCoordinateFrame,
    RP_RoadReferenceTable,
};
constexpr int kRPFrameCount = 9;
constexpr int kRPHeaderFixedSize = 62;
constexpr int kRPNodeCoordHeaderSize = 18;
constexpr int kRPNodeHeaderFixedSize = 8;
constexpr int kRPRankSize = 10;
constexpr int kRPNodeRecordSize = 6;
constexpr int kRPLinkCostRecordSize = 20;
// At most 16 links per node: the count is a 4-bit field plus one.
constexpr int kRPMaxLinks = 16;

// A frame reference: word offset and size in words as stored, and the frame's stream position
// (-1 when the offset is all ones).
struct TLN_RP_Frame_Reference {
    uint32_t Offset = 0;
    uint16_t Size = 0;
    int64_t Position = -1;
    int64_t ByteSize() const { return int64_t(Size) * 2; }
};

// Node coordinate distribution header; Valid when the node coordinate frame exists and the header read.
struct TLN_RP_Node_Coord_Header {
    bool Valid = false;
    int64_t Position = -1;
    uint16_t HeaderSize = 0;   // words
    int32_t LatitudeWidth = 0; // of the reference grid area, 1/8 arc-second
    int32_t LongitudeWidth = 0;
    uint8_t LatitudeGridCount = 0;
    uint8_t LongitudeGridCount = 0;
    uint16_t GridTableOffset = 0; // words from this header
    uint16_t GridTableSize = 0;   // words
    uint16_t CoordTableOffset = 0;
    uint16_t CoordTableSize = 0;
    int64_t GridTablePosition = -1;
    int64_t CoordTablePosition = -1;
};

// Route planning distribution header at the start of a route planning data frame.
struct TLN_RP_Distribution_Header {
    int64_t Position = -1;   // the frame start
    std::string FrameFile;   // the stream it was read from: "" = the reader's own stream
    uint16_t HeaderSize = 0; // words
    uint16_t RegionNumber = 0;
    uint32_t PracticalCode = 0;
    std::array<TLN_RP_Frame_Reference, kRPFrameCount> Frames{};
    std::vector<TLN_RP_Frame_Reference> Extended;
    TLN_RP_Node_Coord_Header Coordinates;
};

// Rank management information of the node distribution header.
struct TLN_RP_Rank {
    uint16_t NodeCount = 0;
    uint16_t BoundaryNodeCount = 0;
    uint16_t LinkCount = 0;
    uint16_t RoadClass = 0;
    uint8_t CorrespondingLevel = 0; // bits 7-1 of the last byte
    bool AverageTimeFlag = false;   // bit 0
};

// Node distribution header. Ranks holds as many entries as the stored count names and the bytes can hold.
struct TLN_RP_Node_Header {
    int64_t Position = -1;
    uint16_t HeaderSize = 0; // words
    uint16_t NodeCount = 0;
    uint16_t LinkCount = 0;
    uint16_t RankCount = 0; // as stored
    std::vector<TLN_RP_Rank> Ranks;
};

struct TLN_RP_Link_Cost_Record {
    int64_t Position = -1;
    uint32_t AbsoluteLinkID = 0;
    uint16_t DestinationSide = 0;
    uint8_t UppermostLevel = 0; // bits 15-13
    bool Toll = false;
    bool Bypass = false;
    bool ForwardPassage = false;
    bool ReversePassage = false;
    bool CenterLine = false;
    bool SameCostApplied = false;
    bool StatisticsCost = false;
    uint8_t LanesAndWidth = 0;
    uint8_t LinkClass = 0;
    uint8_t RoadClass = 0;
    uint16_t LengthWord = 0;
    int32_t LinkLength = 0; // meters
    uint16_t ConnectedNode = 0;
    uint16_t TimeWord = 0;
    int32_t AverageTravelingTime = -1; // -1 when the rank's average traveling time flag is clear
    uint8_t RoadStatus = 0;            // bits 7-6
    uint8_t SpeedLimits = 0;           // bits 7-4
    uint8_t SublinkType = 0;           // bits 15-11
};

struct TLN_RP_Link_Record {
    int64_t Position = -1;
    uint16_t AdjacentNode = 0;     // bits 12-0
    uint16_t LinkCostNumber = 0;   // bits 14-0
    bool CitySuburbs = false;      // bit 15
    bool SemiUrbanHighway = false; // bit 14
    bool ForwardReverse = false;   // bit 13
    uint8_t FollowingSameRoad = 0; // bits 12-9
    bool HasRegionNumber = false;  // only links of boundary nodes carry it
    uint16_t RegionNumber = 0;
    bool CostRead = false;
    TLN_RP_Link_Cost_Record Cost;
};

struct TLN_RP_Regulation_Record {
    int64_t Position = -1;
    uint8_t InNumber = 0;      // bits 15-12
    uint8_t OutNumber = 0;     // bits 11-8
    bool RegulationID = false; // bit 3
    uint8_t PassageCode = 0;   // bits 2-0
};

struct TLN_RP_Between_Links_Record {
    int64_t Position = -1;
    uint8_t InNumber = 0;
    uint8_t OutNumber = 0;
    uint8_t NonFollowingNodes = 0;       // bits 6-5
    bool AggregatedIntersection = false; // bit 3
    uint8_t LengthMultiplier = 0;        // bits 3-2
    uint8_t TimeMultiplier = 0;          // bits 1-0
    uint8_t LinkLength = 0;
    uint8_t AverageTravelingTime = 0;
};

// A node with everything that hangs on it. Complete is false when one of its records lay outside its frame.
struct TLN_RP_Node_Record {
    int64_t Position = -1;
    uint32_t Flags = 0;            // the first u32 as stored
    bool UpperTableExists = false; // bit 29
    uint8_t UppermostLevel = 0;    // bits 29-27
    bool AggregatedIntersection = false;
    bool Boundary = false;
    uint8_t LinkCount = 0; // bits 24-21 + 1
    bool ParcelBoundary = false;
    bool TrafficLight = false;
    bool Rotary = false;
    uint32_t LinkTableOffset = 0; // words from the link data frame
    uint8_t RegulationCount = 0;
    uint8_t BetweenLinksCount = 0;
    bool HasCoordinate = false;
    int32_t X = 0; // longitude, 1/8 arc-second
    int32_t Y = 0; // latitude
    std::vector<TLN_RP_Link_Record> Links;
    std::vector<TLN_RP_Regulation_Record> Regulations;
    std::vector<TLN_RP_Between_Links_Record> BetweenLinks;
    bool Complete = false;
    std::string Reason; // why not, when not Complete
};

// bits 11-0 × 4^(bits 14-12): the scale of link lengths and traveling times.
int32_t ScaledLinkCostValue(uint16_t word);

// Decoders over a span that starts at the record; position is the record's stream position. They return
// false when the span cannot hold the record.
bool DecodeRPDistributionHeader(const BeCursor& span, int64_t position, int extendedCount,
                                TLN_RP_Distribution_Header& out);
bool DecodeRPNodeCoordHeader(const BeCursor& span, int64_t position, TLN_RP_Node_Coord_Header& out);
// Ranks are cut to the entries the span holds.
bool DecodeRPNodeHeader(const BeCursor& span, int64_t position, TLN_RP_Node_Header& out);
// The node's first six bytes (flags, regulation and between-links counts).
bool DecodeRPNodeRecord(const BeCursor& span, int64_t position, TLN_RP_Node_Record& out);
// A link is 8 bytes for a boundary node (with a region number), else 6.
bool DecodeRPLinkRecord(const BeCursor& span, int64_t position, bool boundary, TLN_RP_Link_Record& out);
bool DecodeRPRegulationRecord(const BeCursor& span, int64_t position, TLN_RP_Regulation_Record& out);
bool DecodeRPBetweenLinksRecord(const BeCursor& span, int64_t position, TLN_RP_Between_Links_Record& out);
bool DecodeRPLinkCostRecord(const BeCursor& span, int64_t position, bool withTime,
                            TLN_RP_Link_Cost_Record& out);
