// Decoding of the records of a route planning data frame.
#include "kiwi/region/RouteRecords.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"

int32_t ScaledLinkCostValue(uint16_t word) {
    const int shift = 2 * ((word >> 12) & 7); // 4^k
    return int32_t(word & 0x0FFF) << shift;
}

bool DecodeRPDistributionHeader(const BeCursor& c, int64_t position, int extendedCount,
                                TLN_RP_Distribution_Header& out) {
    if (!c.fits(0, kRPHeaderFixedSize)) return false;
    out = {};
    out.Position = position;
    out.HeaderSize = c.u16(0);
    out.RegionNumber = c.u16(2);
    out.PracticalCode = c.u32(4);
    auto frame = [&](int at) {
        TLN_RP_Frame_Reference f;
        f.Offset = c.u32(at);
        f.Size = c.u16(at + 4);
        f.Position = WordOffsetToPosition(f.Offset, position);
        return f;
    };
    for (int i = 0; i < kRPFrameCount; ++i)
        out.Frames[i] = frame(8 + 6 * i);
    // The extended records follow only as far as the span holds them.
    for (int i = 0; i < extendedCount && c.fits(kRPHeaderFixedSize + 6 * i, 6); ++i)
        out.Extended.push_back(frame(kRPHeaderFixedSize + 6 * i));
    return true;
}

bool DecodeRPNodeCoordHeader(const BeCursor& c, int64_t position, TLN_RP_Node_Coord_Header& out) {
    out = {};
    if (!c.fits(0, kRPNodeCoordHeaderSize)) return false;
    out.Position = position;
    out.HeaderSize = c.u16(0);
    out.LatitudeWidth = c.coordinate(2);
    out.LongitudeWidth = c.coordinate(5);
    out.LatitudeGridCount = c.u8(8);
    out.LongitudeGridCount = c.u8(9);
    out.GridTableOffset = c.u16(10);
    out.GridTableSize = c.u16(12);
    out.CoordTableOffset = c.u16(14);
    out.CoordTableSize = c.u16(16);
    out.GridTablePosition = WordOffset16ToPosition(out.GridTableOffset, position);
    out.CoordTablePosition = WordOffset16ToPosition(out.CoordTableOffset, position);
    out.Valid = true;
    return true;
}

bool DecodeRPNodeHeader(const BeCursor& c, int64_t position, TLN_RP_Node_Header& out) {
    if (!c.fits(0, kRPNodeHeaderFixedSize)) return false;
    out = {};
    out.Position = position;
    out.HeaderSize = c.u16(0);
    out.NodeCount = c.u16(2);
    out.LinkCount = c.u16(4);
    out.RankCount = c.u16(6);
    // The count is trusted only as far as the bytes can hold the entries.
    const int64_t available = (int64_t(c.size()) - kRPNodeHeaderFixedSize) / kRPRankSize;
    const int64_t count = std::min<int64_t>(out.RankCount, available);
    out.Ranks.reserve(size_t(count));
    for (int64_t i = 0; i < count; ++i) {
        const int64_t at = kRPNodeHeaderFixedSize + i * kRPRankSize;
        TLN_RP_Rank rank;
        rank.NodeCount = c.u16(at);
        rank.BoundaryNodeCount = c.u16(at + 2);
        rank.LinkCount = c.u16(at + 4);
        rank.RoadClass = c.u16(at + 6);
        rank.CorrespondingLevel = c.u8(at + 9) >> 1;
        rank.AverageTimeFlag = c.u8(at + 9) & 1;
        out.Ranks.push_back(rank);
    }
    return true;
}

bool DecodeRPNodeRecord(const BeCursor& c, int64_t position, TLN_RP_Node_Record& out) {
    if (!c.fits(0, kRPNodeRecordSize)) return false;
    out = {};
    out.Position = position;
    const uint32_t v = c.u32(0);
    out.Flags = v;
    // Bit 29 belongs to both fields; both are read as stored.
    out.UpperTableExists = (v >> 29) & 1;
    out.UppermostLevel = (v >> 27) & 7;
    out.AggregatedIntersection = (v >> 26) & 1;
    out.Boundary = (v >> 25) & 1;
    out.LinkCount = uint8_t(((v >> 21) & 0x0F) + 1);
    out.ParcelBoundary = (v >> 20) & 1;
    out.TrafficLight = (v >> 19) & 1;
    out.Rotary = (v >> 18) & 1;
    out.LinkTableOffset = v & 0x3FFFF;
    out.RegulationCount = c.u8(4);
    out.BetweenLinksCount = c.u8(5);
    return true;
}

bool DecodeRPLinkRecord(const BeCursor& c, int64_t position, bool boundary, TLN_RP_Link_Record& out) {
    if (!c.fits(0, boundary ? 8 : 6)) return false;
    out = {};
    out.Position = position;
    out.AdjacentNode = c.u16(0) & 0x1FFF;
    out.LinkCostNumber = c.u16(2) & 0x7FFF;
    const uint16_t flags = c.u16(4);
    out.CitySuburbs = (flags >> 15) & 1;
    out.SemiUrbanHighway = (flags >> 14) & 1;
    out.ForwardReverse = (flags >> 13) & 1;
    out.FollowingSameRoad = (flags >> 9) & 0x0F;
    out.HasRegionNumber = boundary;
    if (boundary) out.RegionNumber = c.u16(6);
    return true;
}

bool DecodeRPRegulationRecord(const BeCursor& c, int64_t position, TLN_RP_Regulation_Record& out) {
    if (!c.fits(0, 2)) return false;
    const uint16_t v = c.u16(0);
    out = {};
    out.Position = position;
    out.InNumber = uint8_t(v >> 12);
    out.OutNumber = (v >> 8) & 0x0F;
    out.RegulationID = (v >> 3) & 1;
    out.PassageCode = v & 7;
    return true;
}

bool DecodeRPBetweenLinksRecord(const BeCursor& c, int64_t position, TLN_RP_Between_Links_Record& out) {
    if (!c.fits(0, 4)) return false;
    const uint16_t v = c.u16(0);
    out = {};
    out.Position = position;
    out.InNumber = uint8_t(v >> 12);
    out.OutNumber = (v >> 8) & 0x0F;
    out.NonFollowingNodes = (v >> 5) & 3;
    // Bit 3 belongs to both the flag and the length multiplier; both are read as stored.
    out.AggregatedIntersection = (v >> 3) & 1;
    out.LengthMultiplier = (v >> 2) & 3;
    out.TimeMultiplier = v & 3;
    out.LinkLength = c.u8(2);
    out.AverageTravelingTime = c.u8(3);
    return true;
}

bool DecodeRPLinkCostRecord(const BeCursor& c, int64_t position, bool withTime,
                            TLN_RP_Link_Cost_Record& out) {
    if (!c.fits(0, kRPLinkCostRecordSize)) return false;
    out = {};
    out.Position = position;
    out.AbsoluteLinkID = c.u32(0);
    out.DestinationSide = c.u16(4);
    const uint16_t level = c.u16(6);
    out.UppermostLevel = uint8_t(level >> 13);
    out.Toll = (level >> 10) & 1;
    out.Bypass = (level >> 9) & 1;
    const uint16_t road = c.u16(8);
    out.ForwardPassage = (road >> 15) & 1;
    out.ReversePassage = (road >> 14) & 1;
    out.CenterLine = (road >> 13) & 1;
    out.SameCostApplied = (road >> 11) & 1;
    out.StatisticsCost = (road >> 10) & 1;
    out.LanesAndWidth = (road >> 7) & 7;
    out.LinkClass = (road >> 4) & 7;
    out.RoadClass = road & 0x0F;
    out.LengthWord = c.u16(10);
    out.LinkLength = ScaledLinkCostValue(out.LengthWord);
    out.ConnectedNode = c.u16(12);
    out.TimeWord = c.u16(14);
    out.AverageTravelingTime = withTime ? ScaledLinkCostValue(out.TimeWord) / 10 : -1;
    out.RoadStatus = uint8_t(c.u8(16) >> 6);
    out.SpeedLimits = c.u8(17) >> 4;
    out.SublinkType = uint8_t(c.u16(18) >> 11);
    return true;
}
