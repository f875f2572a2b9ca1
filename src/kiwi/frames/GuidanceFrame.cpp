// Readers of the guidance data frame and its records.
#include "kiwi/frames/GuidanceFrame.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"

namespace {

constexpr int64_t kGuidanceFixedSize = 8;
constexpr int64_t kConnectedNodeSize = 6;

// Reads count connected node records from at on; false when one does not fit.
bool readNodes(const BeCursor& c, int64_t recordPosition, int64_t& at, int count,
               std::vector<TLN_Connected_Node_Info>& out) {
    out.reserve(size_t(std::clamp<int64_t>((int64_t(c.size()) - at) / kConnectedNodeSize, 0, count)));
    for (int j = 0; j < count; ++j) {
        if (!c.fits(at, kConnectedNodeSize)) return false;
        out.push_back(TLN_Connected_Node_Info{recordPosition + at, c.u32(at), c.u16(at + 4)});
        at += kConnectedNodeSize;
    }
    return true;
}

// The part both guidance point layouts share after their fixed words: the string offset when the point's
// string flag is set, then its connected nodes; next advances past them.
template <typename Point>
bool readPointTail(const BeCursor& c, int64_t position, int64_t& next, Point& point) {
    if (point.StringFlag()) {
        if (!c.fits(next, 2)) return false;
        point.StringOffset = c.u16(next);
        point.StringPosition = WordOffset16ToPosition(point.StringOffset, position);
        next += 2;
    }
    return readNodes(c, position, next, point.NodeCount(), point.Nodes);
}

} // namespace

const char* GuidanceTableName(int table) {
    static const char* const names[kGuidanceTableCount] = {
        "Intersections",   "Road_Names",     "Toward_Names", "Spot_Guide",
        "Direction_Guide", "Road_Structure", "Buildings",    "Caution_Points"};
    return table >= 0 && table < kGuidanceTableCount ? names[table] : "";
}

bool ReadGuidanceDataFrame(const TLN_FrameSpan& frame, TLN_Guidance_Data_Frame& out) {
    out = {};
    const int64_t g = frame.Position();
    if (!frame.Contains(g, kGuidanceFixedSize)) return false;
    const BeCursor c = frame.At(g);
    out.Position = g;
    out.BasicDataSize = 2u * c.u16(0);
    out.Flags = c.u16(2);
    out.IntersectionWord = c.u32(4);
    int64_t at = kGuidanceFixedSize;
    for (int t = 0; t < kGuidanceTableCount; ++t) {
        TLN_Guidance_Table_Reference& table = out.Tables[size_t(t)];
        table.Present = (out.Flags >> (11 - t)) & 1;
        if (!table.Present) continue;
        if (!c.fits(at, 4)) return true;
        table.Offset = c.u16(at);
        table.Count = c.u16(at + 2);
        at += 4;
        // A table of no records may start right at the frame's end.
        table.Position = FrameListPosition16(frame, g, table.Offset);
    }
    if (!c.fits(at, 4)) return true;
    out.ExtendedOffset = c.u32(at);
    if (out.ExtendedOffset != 0 && out.ExtendedOffset != 0xFFFFFFFFu) {
        const int64_t position = g + 2 * int64_t(out.ExtendedOffset);
        if (frame.Contains(position, 2)) out.ExtendedPosition = position;
    }
    return true;
}

bool ReadDirectionIndicator(const TLN_FrameSpan& frame, TLN_Direction_Indicator_Data_Rec& out,
                            int64_t position) {
    out = {};
    if (!frame.Contains(position, 4)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.Attribute = c.u16(0);
    out.StoredPointCount = c.u16(2);
    int64_t at = 4;
    out.Points.reserve(size_t(std::min<int64_t>(out.StoredPointCount, (int64_t(c.size()) - at) / 8)));
    for (uint16_t i = 0; i < out.StoredPointCount; ++i) {
        TLN_Guidance_Point_Manag_Rec point;
        point.Position = position + at;
        if (!c.fits(at, 8)) break;
        point.Attribute = c.u32(at);
        point.NodeWord = c.u16(at + 4);
        point.IntersectionInformation = c.u16(at + 6);
        int64_t next = at + 8;
        if (!readPointTail(c, position, next, point)) break;
        at = next;
        out.Points.push_back(std::move(point));
    }
    out.Truncated = out.Points.size() < out.StoredPointCount;
    out.Size = at;
    return true;
}

bool ReadTowardName(const TLN_FrameSpan& frame, TLN_Toward_Name_Data_Rec& out, int64_t position) {
    out = {};
    if (!frame.Contains(position, 4)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.Attribute = c.u16(0);
    out.DistanceInformation = c.u16(2);
    int64_t at = 4;
    out.Points.reserve(size_t(std::min<int64_t>(out.PointCount(), (int64_t(c.size()) - at) / 4)));
    for (int i = 0; i < out.PointCount(); ++i) {
        TLN_Guidance_Point_Manag_Rec_2 point;
        point.Position = position + at;
        if (!c.fits(at, 4)) break;
        point.Attribute = c.u16(at);
        point.NodeWord = c.u16(at + 2);
        int64_t next = at + 4;
        if (!readPointTail(c, position, next, point)) break;
        at = next;
        out.Points.push_back(std::move(point));
    }
    out.Truncated = out.Points.size() < out.PointCount();
    out.Size = at;
    return true;
}

bool ReadRoadStructure(const TLN_FrameSpan& frame, TLN_Road_Structure_Data_Rec& out, int64_t position) {
    out = {};
    if (!frame.Contains(position, 2)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.Attribute = c.u16(0);
    const uint16_t a = out.Attribute;
    int64_t at = 2;
    auto next = [&](bool present, uint16_t& field) {
        if (!present) return;
        field = c.u16(at);
        at += 2;
    };
    next(a & 0x200, out.DistanceInformation);
    next(a & 0x180, out.OffsetDistance);
    next(a & 0x40, out.HeightInformation);
    next(a & 0x20, out.IntersectionInformation);
    next(a & 0x10, out.StringOffset);
    if (out.StringFlag()) out.StringPosition = WordOffset16ToPosition(out.StringOffset, position);
    out.Size = at;
    return !c.bad();
}

std::vector<int64_t> GuidanceRecordPositions(const TLN_FrameSpan& frame,
                                             const TLN_Guidance_Data_Frame& guidance,
                                             TLN_Guidance_Table table) {
    const TLN_Guidance_Table_Reference& reference = guidance.Tables[size_t(table)];
    if (reference.Position < 0) return {};
    return ChainedRecords(
        frame, reference.Position, reference.Count, 2, [&](const BeCursor&, int64_t position) -> int64_t {
            switch (table) {
            case TLN_Guidance_Table::TowardNames: {
                TLN_Toward_Name_Data_Rec record;
                return ReadTowardName(frame, record, position) && !record.Truncated ? record.Size : 0;
            }
            case TLN_Guidance_Table::DirectionGuides: {
                TLN_Direction_Indicator_Data_Rec record;
                return ReadDirectionIndicator(frame, record, position) && !record.Truncated ? record.Size : 0;
            }
            case TLN_Guidance_Table::RoadStructures: {
                TLN_Road_Structure_Data_Rec record;
                return ReadRoadStructure(frame, record, position) ? record.Size : 0;
            }
            default:
                return 0;
            }
        });
}
