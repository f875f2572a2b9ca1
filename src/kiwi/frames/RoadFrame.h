// The road data frame of a parcel: its distribution header, road display classes, multilinks with their
// link shape data, node records, additional node information and street address records.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kiwi/io/FrameSpan.h"
#include "kiwi/map/LevelRecord.h"

// The header keeps at most this many display classes.
constexpr int kRoadDisplayClassLimit = 16;
// Bytes of a multilink's fixed header, of a link shape data record before its points, of a node record.
constexpr int64_t kMultiLinkFixedSize = 16;
constexpr int64_t kLinkShapeFixedSize = 6;
constexpr int64_t kNodeRecordMinimumSize = 8;

struct TLN_Road_Display_Class {
    // Position of the first multilink; -1 when the class is empty or lies outside the frame.
    int64_t Position = -1;
    // Offset to Display Class as stored (words from the frame start).
    uint16_t Offset = 0;
    // Number of Polylines: bits 11-0 as stored, and as many as can fit in the frame (16 bytes each at least).
    uint16_t StoredPolylineCount = 0;
    uint16_t PolylineCount = 0;
    // Bits 15-11 of the class's first word: its five display scale flags (flag 1 = bit 4).
    uint8_t RoadType = 0;
};

struct TLN_Road_Data_Frame {
    int64_t Position = -1;
    // Size of Distribution Header in bytes.
    uint32_t HeaderSize = 0;
    uint16_t IntersectionCount = 0;
    // Number of Display Classes as stored (bits 4-0); Classes holds at most 16 of them.
    uint8_t DisplayClassCount = 0;
    uint8_t AdditionalDataCount = 0;
    // Level of Route Planning Data and Expansion Flag, as one word.
    uint16_t RoutePlanningLevel = 0;
    std::vector<TLN_Road_Display_Class> Classes;

    bool ExpansionFlag() const { return (RoutePlanningLevel & 0x8000) != 0; }
};

struct TLN_Link_Shape_Data {
    int64_t Position = -1;
    uint16_t Word = 0;
    // Bit 15 clear.
    bool OneWayValid = false;
    // 0 no direction, 1 forward, 2 backward, 3 road closed.
    uint8_t OneWayCode = 0;
    // Number_of_intermediate_Points as stored (bits 9-0); Points holds those that fit in the frame.
    uint16_t StoredPointCount = 0;
    uint8_t RelativeX = 0;
    uint16_t X = 0;
    uint8_t RelativeY = 0;
    uint16_t Y = 0;
    // Intermediate points as stored: a signed byte pair (X high, Y low) relative to the previous point.
    std::vector<uint16_t> Points;

    int64_t Size() const { return kLinkShapeFixedSize + 2 * int64_t(StoredPointCount); }
};

// The type name is the format's.
struct TLN_MultiLink_Data_Record {
    int64_t Position = -1;
    uint32_t Word0 = 0;
    bool DataExpansionFlag = false;
    bool HeaderExpansionFlag = false;
    bool StreetAddressFlag = false;
    // Sizes in bytes (stored in words).
    uint32_t Size = 0;
    uint32_t HeaderSize = 0;
    uint32_t ShapeInfoSize = 0;
    uint32_t NodeAdditionalInfoSize = 0;
    uint32_t AltitudeInfoSize = 0;
    uint32_t PassageRegulationInfoSize = 0;
    uint32_t StreetAddressInfoSize = 0;
    // Number_of_Nodes as stored (bits 10-0).
    uint16_t NodeCount = 0;
    uint16_t Flags = 0;
    uint8_t RoadTypeCode = 0;
    bool LinkIdFlag = false;
    bool InfraLinkFlag = false;
    bool RouteNumberFlag = false;
    bool RoutePlanningFlag = false;
    bool RouteGuidanceFlag = false;
    bool AltitudeFlag = false;
    uint32_t StartLinkId = 0;
    uint32_t EndLinkId = 0;
    uint16_t RouteNumber = 0;
    // Route-type Guidance Data Offset: displacement from the top of the guidance data frame.
    uint16_t RouteGuidanceDataOffset = 0;
    // ReadMultiLink: the link shape data of the nodes, as many as fit in the multilink and the frame.
    std::vector<TLN_Link_Shape_Data> Links;
    // Set when Links holds fewer nodes than NodeCount.
    bool Truncated = false;

    // Where the shape data and the node records start.
    int64_t ShapePosition() const { return Position + HeaderSize; }
    int64_t NodeRecordsPosition() const { return Position + HeaderSize + ShapeInfoSize; }
};

struct TLN_MultiLink_Node_Record {
    int64_t Position = -1;
    uint32_t Word0 = 0;
    // 0 intermediate point, 1 start point, 2 end point of the multilink, 3 reserved.
    uint8_t TargetNodeType = 0;
    bool OnBoundary = false;
    bool Flag28 = false;
    // 0 Upper, 1 Upper right, 2 Right, ... 7 Upper left.
    uint8_t ParcelPosition = 0;
    uint8_t CrossingClass = 0;
    uint16_t CrossingNumber = 0;
    uint16_t CrossingNode = 0;
    uint16_t Flags = 0;
    // Offset to Additional Node Record as stored (words from the road frame start; all ones = none).
    uint16_t AdditionalOffset = 0xFFFF;
    // Bits 15-11 of the word at +8; only when the node record is longer than 8 bytes.
    uint8_t LinkTypeCode = 0;

    bool LinkIdChange() const { return Flags & 0x8000; }
    bool WidthLaneChange() const { return Flags & 0x4000; }
    bool IntersectionGuidance() const { return Flags & 0x2000; }
    bool StreetName() const { return Flags & 0x1000; }
    bool StreetAddress() const { return Flags & 0x0800; }
    bool PassageRegulation() const { return Flags & 0x0400; }
    bool RegionChange() const { return Flags & 0x0200; }
    bool LinkLength() const { return Flags & 0x0040; }
    uint8_t LowBits() const { return uint8_t(Flags & 7); }
};

// Additional node information: each field is present only when its node flag is set.
struct TLN_Node_Additional_Info {
    int64_t Position = -1;
    bool Found = false;
    uint16_t LinkShapeDataOffset = 0;
    uint16_t DifferentialLinkId = 0;
    uint16_t RoadWidthLanes = 0;
    uint16_t IntersectionGuidanceOffset = 0;
    uint16_t StreetNameOffset = 0;
    uint16_t StreetAddressOffset = 0;
    uint16_t PassageRegulationOffset = 0;
    uint16_t RegionNumber = 0;
    uint16_t LinkLength = 0;
    // The word that follows for an on-boundary start node.
    uint16_t BoundaryWord = 0;

    bool WidthFlag15() const { return RoadWidthLanes & 0x8000; }
    // 0 no direction, 1 forward, 2 backward, 3 both.
    uint8_t WidthDirection() const { return uint8_t((RoadWidthLanes >> 13) & 3); }
    bool WidthFlag12() const { return RoadWidthLanes & 0x1000; }
    uint8_t ForwardLanes() const { return uint8_t((RoadWidthLanes >> 9) & 7); }
    uint8_t ForwardWidth() const { return uint8_t((RoadWidthLanes >> 6) & 7); }
    uint8_t BackwardLanes() const { return uint8_t((RoadWidthLanes >> 3) & 7); }
    uint8_t BackwardWidth() const { return uint8_t(RoadWidthLanes & 7); }
};

// A node of a multilink: the multilink header, the node's link shape data, node record and additional
// information.
struct TLN_Link_Node_Connection {
    TLN_MultiLink_Data_Record Header;
    TLN_Link_Shape_Data Shape;
    TLN_MultiLink_Node_Record Node;
    TLN_Node_Additional_Info Additional;
};

struct TLN_Street_Address_Record {
    int64_t Position = -1;
    // Size of Street Address Information Record in bytes.
    uint32_t Size = 0;
    // Storage Information Details.
    uint16_t Details = 0;
    // Name data offsets in bytes (stored in words); -1 when the record holds none.
    int64_t AdministrativeLeft = -1;
    int64_t AdministrativeRight = -1;
    int64_t StreetLeft = -1;
    int64_t StreetRight = -1;
    uint8_t LeftKind = 0;
    uint8_t RightKind = 0;
    uint8_t AddressType = 0;
    uint32_t HouseNumber = 0;
    uint32_t LeftStart = 0;
    uint32_t LeftEnd = 0;
    uint32_t RightStart = 0;
    uint32_t RightEnd = 0;
};

// Readers over the road data frame span (road frame start = frame.Position()).
// The header and up to 16 display classes; false for a frame that is not there.
bool ReadRoadDataFrame(const TLN_FrameSpan& frame, TLN_Road_Data_Frame& out);
// Display class i (of the 16 the header may hold).
bool ReadRoadDisplayClass(const TLN_FrameSpan& frame, int index, TLN_Road_Display_Class& out);
// The multilink header at M.
bool ReadMultiLinkHeader(const TLN_FrameSpan& frame, TLN_MultiLink_Data_Record& out, int64_t position);
// The header and every node's link shape data.
bool ReadMultiLink(const TLN_FrameSpan& frame, TLN_MultiLink_Data_Record& out, int64_t position);
// MultiLink_Size in bytes (0 when the header is not in the frame).
uint32_t ReadMultiLinkSize(const TLN_FrameSpan& frame, int64_t position);
// The multilinks of a class one after another, as many as its count says and fit in the frame.
std::vector<int64_t> MultiLinkPositions(const TLN_FrameSpan& frame, const TLN_Road_Display_Class& roadClass);
// Node k of the multilink at M: header, shape data, node record and additional information.
bool ReadLinkNodeConnection(const TLN_FrameSpan& frame, int node, TLN_Link_Node_Connection& out,
                            const TLN_Level_Management_Record& level, int64_t position);
// Node k's record and additional information of a multilink read by ReadMultiLink (no second walk of its
// shape data); false when the node record is not in the frame.
bool ReadMultiLinkNode(const TLN_FrameSpan& frame, const TLN_MultiLink_Data_Record& multiLink, int node,
                       const TLN_Level_Management_Record& level, TLN_MultiLink_Node_Record& out,
                       TLN_Node_Additional_Info& additional);
// The additional node information of node at position (its flags decide the fields).
bool ReadNodeAdditionalInfo(const TLN_FrameSpan& frame, const TLN_MultiLink_Node_Record& node,
                            TLN_Node_Additional_Info& out, int64_t position);
// The street address information record at A.
bool ReadStreetAddressRecord(const TLN_FrameSpan& frame, TLN_Street_Address_Record& out, int64_t position);
// Node k's street address record, found through its additional node record; offsets count from base
// (the road frame start).
bool ReadStreetAddressInfo(const TLN_FrameSpan& frame, int node, TLN_Street_Address_Record& out,
                           const TLN_Level_Management_Record& level, int64_t position, int64_t base);
// (u16 and 0x0FFF) × 2.
uint32_t ReadSizeWord(const TLN_FrameSpan& frame, int64_t position);
