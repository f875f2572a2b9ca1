// One region's route planning frames in memory; every record is decoded from the one buffer and checked
// against the frame it belongs to.
#include "kiwi/region/Region.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"
#include "platform/MulDiv.h"

TLN_Region::TLN_Region(const TLN_RegionSource& manager, int level, int region)
    : level_(level), region_(region) {
    if (!manager.GetLevelRecord(level, levelRecord_)) return;
    if (!manager.ReadRegionRecord(level, region, record_)) return;
    // The stored address must be above 0: address 0 is no frame, also in a part at a base above 0.
    if (record_.FrameSize == 0 || KiwiAddressToOffset(record_.FrameAddress) <= 0 ||
        record_.FramePosition <= 0)
        return;
    std::string why;
    if (!manager.ReadRPDistributionHeader(level, header_, record_.FramePosition, record_.FrameFile, &why)) {
        if (!why.empty()) error_.Keep(KiwiError(why));
        return;
    }
    load(manager);
}

TLN_Region::TLN_Region(const TLN_RegionSource& manager, int level, const TLN_RP_Distribution_Header& header)
    : level_(level), header_(header) {
    if (!manager.GetLevelRecord(level, levelRecord_)) return;
    if (header_.Position < 0) return;
    load(manager);
}

TLN_Region::Span TLN_Region::clip(int64_t position, int64_t size, const Span& within) const {
    // position is a stream position; the result is the part of [position, position + size) inside within.
    if (position < 0 || size <= 0) return {};
    const int64_t start = position - bytesPosition_;
    const int64_t end = within.offset + within.size;
    if (start < within.offset || start >= end) return {};
    return {start, std::min(size, end - start)};
}

namespace {
// The bytes of the frames from the node data frame on: their sizes added up (at most nine × 128 KiB).
int64_t framesBytes(const TLN_RP_Distribution_Header& header) {
    int64_t total = 0;
    for (const auto& frame : header.Frames)
        total += frame.ByteSize();
    return total;
}

const char* const kFramesWhat = "the route planning data frames";
} // namespace

std::string RPFramesShortfall(const TLN_RP_Distribution_Header& header, TLN_Stream& stream) {
    const int64_t start = header.Frames[RP_NodeFrame].Position;
    const int64_t total = framesBytes(header);
    const int64_t size = stream.Size();
    if (start >= 0 && total <= size - start) return {};
    return ShortReadText(whole::Shortfall(stream, kFramesWhat, start, total, start < 0 ? 0 : size - start));
}

void TLN_Region::load(const TLN_RegionSource& manager) {
    const TLN_RP_Frame_Reference& nodeFrame = header_.Frames[RP_NodeFrame];
    if (nodeFrame.Position < 0) return;
    // The frames lie one after another from the node data frame: all of them, or the region is no region.
    auto stream = manager.FrameStream(header_.FrameFile);
    if (!stream) return;
    bytesPosition_ = nodeFrame.Position;
    try {
        bytes_ = whole::ReadBytes(*stream, bytesPosition_, framesBytes(header_), kFramesWhat);
    } catch (const std::exception& error) {
        error_.Keep(error);
        bytes_.clear();
        return;
    }

    const Span all{0, int64_t(bytes_.size())};
    for (int i = 0; i < kRPFrameCount; ++i)
        frames_[i] = clip(header_.Frames[i].Position, header_.Frames[i].ByteSize(), all);
    if (!DecodeRPNodeHeader(cursor(frames_[RP_NodeFrame]), nodeFrame.Position, nodeHeader_)) return;

    const TLN_RP_Node_Coord_Header& coordinates = header_.Coordinates;
    if (coordinates.Valid) {
        const Span& frame = frames_[RP_NodeCoordinateFrame];
        gridTable_ = clip(coordinates.GridTablePosition, int64_t(coordinates.GridTableSize) * 2, frame);
        coordTable_ = clip(coordinates.CoordTablePosition, int64_t(coordinates.CoordTableSize) * 2, frame);
        // size div 6 entries, as far as the table's bytes inside the frame reach.
        const int64_t count = std::min<int64_t>(coordinates.GridTableSize * 2 / 6, gridTable_.size / 6);
        const BeCursor table = cursor(gridTable_);
        grid_.reserve(size_t(count));
        for (int64_t i = 0; i < count; ++i)
            grid_.push_back(TLN_Point{table.coordinate(6 * i + 3), table.coordinate(6 * i)});
    }
    valid_ = true;
}

int64_t TLN_Region::MemoryBytes() const {
    return int64_t(sizeof(TLN_Region)) + int64_t(bytes_.capacity()) +
           int64_t(grid_.capacity() * sizeof(TLN_Point)) +
           int64_t(nodeHeader_.Ranks.capacity() * sizeof(TLN_RP_Rank)) +
           int64_t(header_.Extended.capacity() * sizeof(TLN_RP_Frame_Reference));
}

int TLN_Region::NodeRecordCount() const {
    if (!valid_) return 0;
    const int64_t recordBytes = int64_t(levelRecord_.NodeRecordSize) * 2;
    const int64_t available = frames_[RP_NodeFrame].size - int64_t(nodeHeader_.HeaderSize) * 2;
    if (recordBytes < kRPNodeRecordSize || available < kRPNodeRecordSize) return 0;
    // The last record needs only the six bytes that are read.
    const int64_t fitting = (available - kRPNodeRecordSize) / recordBytes + 1;
    return int(std::min<int64_t>(nodeHeader_.NodeCount, fitting));
}

std::string TLN_Region::NodeCountError() const {
    const int readable = NodeRecordCount();
    if (!valid_ || readable >= nodeHeader_.NodeCount) return {};
    return "Total Number of Node Records " + std::to_string(nodeHeader_.NodeCount) +
           ", the node data frame of " + std::to_string(frames_[RP_NodeFrame].size) + " bytes holds " +
           std::to_string(readable) + " of them";
}

int TLN_Region::GetNodeCount() const {
    if (!valid_ || nodeHeader_.Ranks.empty()) return 0;
    return std::min<int>(nodeHeader_.Ranks[0].NodeCount, NodeRecordCount());
}

bool TLN_Region::nodeOffset(int node, int64_t& offset) const {
    if (node < 0 || node >= NodeRecordCount()) return false;
    offset = int64_t(nodeHeader_.HeaderSize) * 2 + int64_t(node) * levelRecord_.NodeRecordSize * 2;
    return true;
}

bool TLN_Region::GetNodePosition(int node, TLN_Point& out) const {
    if (!valid_ || node < 0) return false;
    const BeCursor table = cursor(coordTable_);
    if (!table.fits(int64_t(node) * 4, 4)) return false;
    const uint32_t v = table.u32(int64_t(node) * 4);
    const size_t cell = v >> 24;
    if (cell >= grid_.size()) return false;
    const TLN_RP_Node_Coord_Header& c = header_.Coordinates;
    out.X = MulDiv(c.LongitudeWidth, int32_t((v >> 12) & 0xFFF), 4096) + grid_[cell].X;
    out.Y = MulDiv(c.LatitudeWidth, int32_t(v & 0xFFF), 4096) + grid_[cell].Y;
    return true;
}

int TLN_Region::GetNodeLinks(int node, std::array<TLN_RP_Node_Link, kRPMaxLinks>& out) const {
    int64_t offset = 0;
    if (!nodeOffset(node, offset)) return 0;
    TLN_RP_Node_Record record;
    if (!DecodeRPNodeRecord(cursor(frames_[RP_NodeFrame]).sub(offset, kRPNodeRecordSize), 0, record))
        return 0;
    const int step = record.Boundary ? 8 : 6;
    const BeCursor table = cursor(frames_[RP_LinkFrame])
                               .sub(int64_t(record.LinkTableOffset) * 2, int64_t(record.LinkCount) * step);
    if (table.size() == 0) return 0;
    for (int i = 0; i < record.LinkCount; ++i) {
        out[i].Node = table.u16(i * step) & 0x1FFF;
        out[i].Boundary = record.Boundary;
        out[i].Region = record.Boundary ? table.u16(i * step + 6) : 0;
    }
    return record.LinkCount;
}

namespace {
std::string outside(const std::string& record, const char* frame) {
    return record + " lies outside the " + frame;
}
} // namespace

bool TLN_Region::ReadNode(int node, TLN_RP_Node_Record& out) const {
    int64_t offset = 0;
    if (!nodeOffset(node, offset)) return false;
    const Span& nodes = frames_[RP_NodeFrame];
    if (!DecodeRPNodeRecord(cursor(nodes).sub(offset, kRPNodeRecordSize), positionOf(nodes, offset), out))
        return false;
    TLN_Point point;
    out.HasCoordinate = GetNodePosition(node, point);
    out.X = point.X;
    out.Y = point.Y;

    const Span& links = frames_[RP_LinkFrame];
    const Span& costs = frames_[RP_LinkCostFrame];
    const BeCursor linkFrame = cursor(links);
    const BeCursor costFrame = cursor(costs);
    const int64_t costBytes = int64_t(levelRecord_.LinkCostRecordSize) * 2;
    const int step = out.Boundary ? 8 : 6;
    int64_t at = int64_t(out.LinkTableOffset) * 2;
    // inTable: the records so far lay inside the link frame, so the position of the next one is known.
    bool inTable = true;
    bool costsRead = true;
    for (int i = 0; i < out.LinkCount; ++i, at += step) {
        TLN_RP_Link_Record link;
        if (!DecodeRPLinkRecord(linkFrame.sub(at, step), positionOf(links, at), out.Boundary, link)) {
            inTable = false;
            out.Reason = outside("link record " + std::to_string(i), "link data frame");
            break;
        }
        const int64_t costAt = int64_t(link.LinkCostNumber) * costBytes;
        link.CostRead = DecodeRPLinkCostRecord(costFrame.sub(costAt, kRPLinkCostRecordSize),
                                               positionOf(costs, costAt), withTime(), link.Cost);
        if (!link.CostRead && costsRead)
            out.Reason = outside("the link cost record of link " + std::to_string(i), "link cost data frame");
        costsRead = costsRead && link.CostRead;
        out.Links.push_back(link);
    }
    // Regulations follow the links, between-links cost records follow the regulations, each at steps of its
    // record size; the counts are bytes, so the loops stay short, and each record is checked against the
    // frame.
    const int64_t regulationStep = int64_t(levelRecord_.RegulationRecordSize) * 2;
    for (int i = 0; inTable && i < out.RegulationCount; ++i, at += regulationStep) {
        TLN_RP_Regulation_Record regulation;
        if (!DecodeRPRegulationRecord(linkFrame.sub(at, 2), positionOf(links, at), regulation)) {
            inTable = false;
            out.Reason = outside("regulation record " + std::to_string(i), "link data frame");
        } else
            out.Regulations.push_back(regulation);
    }
    const int64_t betweenStep = int64_t(levelRecord_.BetweenLinksRecordSize) * 2;
    for (int i = 0; inTable && i < out.BetweenLinksCount; ++i, at += betweenStep) {
        TLN_RP_Between_Links_Record between;
        if (!DecodeRPBetweenLinksRecord(linkFrame.sub(at, 4), positionOf(links, at), between)) {
            inTable = false;
            out.Reason = outside("between-links cost record " + std::to_string(i), "link data frame");
        } else
            out.BetweenLinks.push_back(between);
    }
    out.Complete = inTable && costsRead;
    return true;
}
