// TLN_Region: one region's route planning data frame held in memory, answering node positions, node links
// and whole node records; immutable once built, so several threads may read one region at once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/ErrorText.h"
#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/region/RegionRecords.h"
#include "kiwi/region/RegionSource.h"
#include "kiwi/region/RouteRecords.h"

// A node's link as the route planning overlay draws it.
struct TLN_RP_Node_Link {
    uint16_t Node = 0;     // Adjacent Node ID Number
    uint16_t Region = 0;   // the neighbouring region's number (links of boundary nodes only)
    bool Boundary = false; // the link leads into another region
    bool operator==(const TLN_RP_Node_Link&) const = default;
};

// Why the frames a route planning distribution header locates cannot be read from stream ("" when they
// lie wholly in it): they lie one after another from the node data frame, as long as their sizes add up to.
std::string RPFramesShortfall(const TLN_RP_Distribution_Header& header, TLN_Stream& stream);

class TLN_Region {
public:
    // Region `region` of level `level` (indices into the manager's level and region tables).
    TLN_Region(const TLN_RegionSource& manager, int level, int region);
    // The frames that a route planning distribution header read elsewhere locates (no region record).
    TLN_Region(const TLN_RegionSource& manager, int level, const TLN_RP_Distribution_Header& header);

    TLN_Region(const TLN_Region&) = delete;
    TLN_Region& operator=(const TLN_Region&) = delete;

    // Valid when the frame exists (size not 0, address > 0) and its headers and frames read whole;
    // ErrorString says why not when something was short.
    bool IsValid() const { return valid_; }
    std::string ErrorString() const { return error_.Get(); }
    Failure ErrorReason() const { return error_.Reason(); }
    int Level() const { return level_; }
    int RegionNumber() const { return region_; }
    const TLN_Region_Level_Record& LevelRecord() const { return levelRecord_; }
    const TLN_Region_Manag_Record& Record() const { return record_; }
    const TLN_RP_Distribution_Header& RPHeader() const { return header_; }
    const TLN_RP_Node_Header& NodeHeader() const { return nodeHeader_; }
    // Reference grid cells: X = longitude, Y = latitude of each cell's origin.
    const std::vector<TLN_Point>& Grid() const { return grid_; }
    // Bytes held in memory (the cache's measure).
    int64_t MemoryBytes() const;

    // The first rank's node count (what the overlay draws), cut to the node records the frame holds;
    // 0 without ranks.
    int GetNodeCount() const;
    // Node records the node data frame holds: the stored total, cut to the frame's bytes.
    int NodeRecordCount() const;
    // Why the node data frame holds fewer node records than its header counts ("" when it holds them all).
    std::string NodeCountError() const;
    // Node k's position from the node coordinate table; false when the entry or its grid cell is missing.
    bool GetNodePosition(int node, TLN_Point& out) const;
    // Node k's link count with its links filled in; 0 when the node or its link table lies outside the
    // frames.
    int GetNodeLinks(int node, std::array<TLN_RP_Node_Link, kRPMaxLinks>& out) const;
    // Node k with its links and their link costs, regulations, between-links costs and coordinate. False when
    // the node is not available; Complete is false when a link, link cost, regulation or between-links record
    // lay outside its frame (HasCoordinate tells about the coordinate).
    bool ReadNode(int node, TLN_RP_Node_Record& out) const;

private:
    struct Span {
        int64_t offset = 0; // in bytes_
        int64_t size = 0;
    };
    void load(const TLN_RegionSource& manager);
    Span clip(int64_t position, int64_t size, const Span& within) const;
    BeCursor cursor(const Span& span) const {
        return BeCursor(bytes_.data() + span.offset, size_t(span.size));
    }
    int64_t positionOf(const Span& span, int64_t offset) const {
        return bytesPosition_ + span.offset + offset;
    }
    bool nodeOffset(int node, int64_t& offset) const;
    bool withTime() const { return !nodeHeader_.Ranks.empty() && nodeHeader_.Ranks[0].AverageTimeFlag; }

    int level_ = -1;
    int region_ = -1;
    bool valid_ = false;
    TLN_Region_Level_Record levelRecord_;
    TLN_Region_Manag_Record record_;
    TLN_RP_Distribution_Header header_;
    TLN_RP_Node_Header nodeHeader_;
    // The frames from the node data frame onward, as one buffer; bytes_[0] lies at bytesPosition_.
    std::vector<uint8_t> bytes_;
    // Why the region's bytes could not be read ("" when they could).
    ErrorText error_;
    int64_t bytesPosition_ = 0;
    std::array<Span, kRPFrameCount> frames_{};
    Span gridTable_;
    Span coordTable_;
    std::vector<TLN_Point> grid_;
};
