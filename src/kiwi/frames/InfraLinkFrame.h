// The infrastructure link data frame of a parcel (an extended frame): the parcel infrastructure
// corresponding header, the mesh information records of its three areas, the infrastructure link data
// records and the road link corresponding records that tie them to the road data frame.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/io/FrameSpan.h"

// The three areas: wide, medium and narrow bounds.
constexpr int kInfraLinkAreaCount = 3;
// A mesh information record keeps at most this many counts.
constexpr int kMeshCountLimit = 16;
constexpr int64_t kInfraLinkHeaderSize = 34;
constexpr int64_t kRoadLinkRecordSize = 12;

struct TLN_Infra_Link_Area {
    // Where the area's reference and mesh records start.
    int64_t Position = -1;
    // The reference to the area's infrastructure link data: offset in words from I + 16, size in bytes.
    uint32_t Offset = 0;
    uint32_t Size = 0;
    // Position of the area's infrastructure link data records (-1 when outside the frame).
    int64_t DataPosition = -1;
};

struct TLN_Infra_Link_Frame {
    int64_t Position = -1;
    // Latitude and longitude of the user's office, the floor (byte) and the word at +10.
    TLN_PointRecord Office;
    // Date of User Identification / Data Identification Code.
    uint32_t IdentificationCode = 0;
    // Set when the identification code begins with the bytes 00 31 01.
    bool Accepted = false;
    // Sizes in bytes (stored in words).
    uint32_t HeaderSize = 0;
    uint16_t MeshCount = 0;
    uint16_t LinkIdWord = 0;
    uint32_t MeshRecordSize = 0;
    uint32_t LinkRecordSize = 0;
    // Size of Road Link Corresponding Record, 6 bytes more with the link ID flag.
    uint32_t RoadLinkRecordSize = 0;
    uint32_t RoadLinkTableOffset = 0;
    int64_t RoadLinkTablePosition = -1;
    uint32_t RoadLinkTableSize = 0;
    std::array<TLN_Infra_Link_Area, kInfraLinkAreaCount> Areas{};

    bool LinkIdFlag() const { return LinkIdWord & 0x8000; }
};

// The type name is the format's.
struct TLN_TmcMeshInfoRec {
    int64_t Position = -1;
    // Mesh Code (Region code).
    uint16_t MeshCode = 0;
    // Record counts per road kind and exception class; at most 16 kept of the stored ones.
    uint16_t StoredCountWords = 0;
    std::vector<uint16_t> Counts;

    uint32_t Total() const;
};

struct TLN_Infra_Link_Record {
    int64_t Position = -1;
    uint32_t Size = 0;
    uint16_t Word0 = 0;
    // 0 independent link, 1 top link, 2 end-point link, 3 midpoint link.
    uint8_t Attribute = 0;
    // Exceptional flag: 1 the origin, 2 the end point, 3 both are beyond the parcel boundary.
    uint8_t Exceptional = 0;
    uint16_t LinkNumber = 0;
    // Infrastructure Link Length in metres (stored in units of 10 m).
    uint32_t Length = 0;
    // The two record numbers as stored (their meaning depends on the attribute).
    uint16_t FirstNumber = 0;
    uint16_t SecondNumber = 0;
    // Origin and end point distances in metres; -1 when absent.
    int32_t OriginDistance = -1;
    int32_t EndDistance = -1;
    // The final u32 of a record of 12 bytes or more (a 32-bit link number).
    bool HasLongNumber = false;
    uint32_t LongNumber = 0;
};

struct TLN_Road_Link_Corresponding_Rec {
    int64_t Position = -1;
    // Offset to Link String Data Record: words from the top of the road data frame.
    uint16_t RoadOffset = 0;
    uint16_t DirectionWord = 0;
    uint16_t NodeChangeCount = 0;
    uint32_t StartLinkId = 0;
    uint16_t IdChangeCount = 0;

    bool Backward() const { return DirectionWord & 0x8000; }
    uint16_t StartNode() const { return uint16_t(DirectionWord & 0xFFF); }
};

// Record j of a mesh, located, with where its road link corresponding records are.
struct TLN_Infra_Link_Data {
    TLN_Infra_Link_Record Record;
    int64_t RoadLinkTablePosition = -1;
    // The link's first road link corresponding record and how many follow (as far as the table holds them).
    int64_t RoadLinkPosition = -1;
    uint16_t RoadLinkCount = 0;
};

// Readers over the infrastructure link frame span (I = frame.Position()).
// The header; true when the frame is accepted (identification bytes 00 31 01).
bool ReadInfraLinkFrame(const TLN_FrameSpan& frame, TLN_Infra_Link_Frame& out);
// Mesh j of area a (0..2); true for an accepted frame, a mesh inside the frame and at least one count.
bool ReadMeshInfo(const TLN_FrameSpan& frame, int area, TLN_TmcMeshInfoRec& out, int mesh);
// The same with the frame's header already read.
bool ReadMeshInfo(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header, int area,
                  TLN_TmcMeshInfoRec& out, int mesh);
// The record at position, recordSize bytes long (the header's Size of Infrastructure Link Data Record).
bool ReadInfraLinkRecord(const TLN_FrameSpan& frame, uint32_t recordSize, TLN_Infra_Link_Record& out,
                         int64_t position);
// Record j of mesh m of area a: its records follow those of the earlier meshes of the area.
bool ReadInfraLinkData(const TLN_FrameSpan& frame, int area, int mesh, uint32_t record,
                       TLN_Infra_Link_Data& out);
// The same with the header and the mesh read, and the number of records of the area's earlier meshes.
bool ReadInfraLinkData(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header, int area,
                       const TLN_TmcMeshInfoRec& mesh, int64_t recordsBefore, uint32_t record,
                       TLN_Infra_Link_Data& out);
bool ReadRoadLinkCorrespondence(const TLN_FrameSpan& frame, TLN_Road_Link_Corresponding_Rec& out,
                                int64_t position);
// The meshes of an area that lie in the frame (the stored count, cut at the frame's end).
int InfraLinkMeshCount(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header, int area);
