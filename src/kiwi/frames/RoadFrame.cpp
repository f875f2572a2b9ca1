// Readers of the road data frame.
#include "kiwi/frames/RoadFrame.h"

#include <algorithm>

namespace {

constexpr int64_t kRoadHeaderFixedSize = 8;

// The class offsets of 8 words or less would point into the header itself.
constexpr uint16_t kEmptyClassOffset = 8;

void decodeShape(const TLN_FrameSpan& frame, int64_t position, int64_t limit, TLN_Link_Shape_Data& out) {
    const BeCursor c = frame.At(position, limit - position);
    out = {};
    out.Position = position;
    out.Word = c.u16(0);
    out.OneWayValid = (out.Word & 0x8000) == 0;
    out.OneWayCode = uint8_t((out.Word >> 13) & 3);
    out.StoredPointCount = uint16_t(out.Word & 0x3FF);
    const uint16_t x = c.u16(2);
    const uint16_t y = c.u16(4);
    out.RelativeX = uint8_t(x >> 13);
    out.X = uint16_t(x & 0x1FFF);
    out.RelativeY = uint8_t(y >> 13);
    out.Y = uint16_t(y & 0x1FFF);
    const int64_t room = std::max<int64_t>(0, (int64_t(c.size()) - kLinkShapeFixedSize) / 2);
    const int64_t count = std::min<int64_t>(out.StoredPointCount, room);
    out.Points.resize(size_t(count));
    for (int64_t i = 0; i < count; ++i)
        out.Points[size_t(i)] = c.u16(kLinkShapeFixedSize + 2 * i);
}

// The end of the multilink's bytes: its size when it has one, else the frame's end.
int64_t multiLinkLimit(const TLN_FrameSpan& frame, const TLN_MultiLink_Data_Record& header) {
    if (header.Size == 0) return frame.End();
    return std::min(frame.End(), header.Position + int64_t(header.Size));
}

void decodeNode(const BeCursor& c, int64_t position, uint32_t recordSize, TLN_MultiLink_Node_Record& out) {
    out = {};
    out.Position = position;
    out.Word0 = c.u32(0);
    out.TargetNodeType = uint8_t(out.Word0 >> 30);
    out.OnBoundary = (out.Word0 >> 29) & 1;
    out.Flag28 = (out.Word0 >> 28) & 1;
    out.ParcelPosition = uint8_t((out.Word0 >> 25) & 7);
    out.CrossingClass = uint8_t((out.Word0 >> 21) & 15);
    out.CrossingNumber = uint16_t((out.Word0 >> 9) & 0xFFF);
    out.CrossingNode = uint16_t(out.Word0 & 0x1FF);
    out.Flags = c.u16(4);
    out.AdditionalOffset = c.u16(6);
    if (recordSize > kNodeRecordMinimumSize) out.LinkTypeCode = uint8_t(c.u16(8) >> 11);
}

} // namespace

bool ReadRoadDisplayClass(const TLN_FrameSpan& frame, int index, TLN_Road_Display_Class& out) {
    out = {};
    if (index < 0 || index >= kRoadDisplayClassLimit) return false;
    const int64_t at = frame.Position() + kRoadHeaderFixedSize + 4 * int64_t(index);
    if (!frame.Contains(at, 4)) return false;
    const BeCursor c = frame.At(at);
    out.Offset = c.u16(0);
    out.StoredPolylineCount = uint16_t(c.u16(2) & 0xFFF);
    if (out.Offset <= kEmptyClassOffset || out.Offset == 0xFFFF) return true;
    const int64_t classPosition = frame.Position() + 2 * int64_t(out.Offset);
    if (!frame.Contains(classPosition, 2)) return true;
    out.RoadType = uint8_t(frame.At(classPosition).u16(0) >> 11);
    out.Position = classPosition + 2;
    // Each multilink takes its fixed 16 bytes at least.
    const int64_t room = (frame.End() - out.Position) / kMultiLinkFixedSize;
    out.PolylineCount = uint16_t(std::min<int64_t>(out.StoredPolylineCount, room));
    return true;
}

bool ReadRoadDataFrame(const TLN_FrameSpan& frame, TLN_Road_Data_Frame& out) {
    out = {};
    if (!frame.Contains(frame.Position(), kRoadHeaderFixedSize)) return false;
    const BeCursor c = frame.At(frame.Position());
    out.Position = frame.Position();
    out.HeaderSize = 2u * c.u16(0);
    out.IntersectionCount = c.u16(2);
    out.DisplayClassCount = uint8_t(c.u8(4) & 0x1F);
    out.AdditionalDataCount = c.u8(5);
    out.RoutePlanningLevel = c.u16(6);
    const int count = std::min<int>(out.DisplayClassCount, kRoadDisplayClassLimit);
    out.Classes.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        TLN_Road_Display_Class roadClass;
        if (!ReadRoadDisplayClass(frame, i, roadClass)) break;
        out.Classes.push_back(roadClass);
    }
    return true;
}

bool ReadMultiLinkHeader(const TLN_FrameSpan& frame, TLN_MultiLink_Data_Record& out, int64_t position) {
    out = {};
    if (!frame.Contains(position, kMultiLinkFixedSize)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.Word0 = c.u32(0);
    out.DataExpansionFlag = (out.Word0 >> 29) & 1;
    out.HeaderExpansionFlag = (out.Word0 >> 28) & 1;
    out.Size = 2u * ((out.Word0 >> 16) & 0xFFF);
    out.StreetAddressFlag = (out.Word0 >> 15) & 1;
    out.HeaderSize = 2u * (out.Word0 & 0xFF);
    out.NodeCount = uint16_t(c.u16(4) & 0x7FF);
    out.ShapeInfoSize = 2u * (c.u16(6) & 0xFFF);
    out.NodeAdditionalInfoSize = 2u * (c.u16(8) & 0xFFF);
    out.AltitudeInfoSize = 2u * (c.u16(10) & 0xFFF);
    out.PassageRegulationInfoSize = 2u * (c.u16(12) & 0xFFF);
    out.Flags = c.u16(14);
    out.RoadTypeCode = uint8_t(out.Flags >> 12);
    out.LinkIdFlag = (out.Flags >> 11) & 1;
    out.InfraLinkFlag = (out.Flags >> 10) & 1;
    out.RouteNumberFlag = (out.Flags >> 9) & 1;
    out.RoutePlanningFlag = (out.Flags >> 5) & 1;
    out.RouteGuidanceFlag = (out.Flags >> 1) & 1;
    out.AltitudeFlag = out.Flags & 1;
    // The link ID words exist only with their flag, yet the route number stays at +24 either way.
    if (out.LinkIdFlag) {
        out.StartLinkId = c.u32(16);
        out.EndLinkId = out.StartLinkId + c.u16(20);
    }
    out.RouteNumber = c.u16(24);
    int64_t at = 26;
    if (out.RouteGuidanceFlag) {
        out.RouteGuidanceDataOffset = c.u16(at);
        at += 2;
    }
    if (out.StreetAddressFlag) out.StreetAddressInfoSize = 2u * (c.u16(at) & 0xFFF);
    return true;
}

bool ReadMultiLink(const TLN_FrameSpan& frame, TLN_MultiLink_Data_Record& out, int64_t position) {
    if (!ReadMultiLinkHeader(frame, out, position)) return false;
    const int64_t limit = multiLinkLimit(frame, out);
    int64_t at = out.ShapePosition();
    out.Links.reserve(std::min<size_t>(out.NodeCount, size_t(std::max<int64_t>(0, limit - at) / 6)));
    for (uint16_t k = 0; k < out.NodeCount; ++k) {
        if (at < frame.Position() || at + kLinkShapeFixedSize > limit) break;
        TLN_Link_Shape_Data shape;
        decodeShape(frame, at, limit, shape);
        at += shape.Size();
        // A node whose points run past the multilink is cut, and no further node follows it.
        const bool cut = shape.Points.size() < shape.StoredPointCount;
        out.Links.push_back(std::move(shape));
        if (cut) break;
    }
    out.Truncated =
        out.Links.size() < out.NodeCount ||
        (!out.Links.empty() && out.Links.back().Points.size() < out.Links.back().StoredPointCount);
    return true;
}

uint32_t ReadMultiLinkSize(const TLN_FrameSpan& frame, int64_t position) {
    if (!frame.Contains(position, 4)) return 0;
    return 2u * ((frame.At(position).u32(0) >> 16) & 0xFFF);
}

std::vector<int64_t> MultiLinkPositions(const TLN_FrameSpan& frame, const TLN_Road_Display_Class& roadClass) {
    if (roadClass.Position < 0) return {};
    return ChainedRecords(frame, roadClass.Position, roadClass.PolylineCount, kMultiLinkFixedSize,
                          [](const BeCursor& c, int64_t) { return int64_t(2 * ((c.u32(0) >> 16) & 0xFFF)); });
}

bool ReadNodeAdditionalInfo(const TLN_FrameSpan& frame, const TLN_MultiLink_Node_Record& node,
                            TLN_Node_Additional_Info& out, int64_t position) {
    out = {};
    out.Position = position;
    if (!frame.Contains(position, 2)) return false;
    const BeCursor c = frame.At(position);
    int64_t at = 0;
    auto next = [&](bool present, uint16_t& field) {
        if (!present) return;
        field = c.u16(at);
        at += 2;
    };
    next(true, out.LinkShapeDataOffset);
    next(node.LinkIdChange(), out.DifferentialLinkId);
    next(node.WidthLaneChange(), out.RoadWidthLanes);
    next(node.IntersectionGuidance(), out.IntersectionGuidanceOffset);
    next(node.StreetName(), out.StreetNameOffset);
    next(node.StreetAddress(), out.StreetAddressOffset);
    next(node.PassageRegulation(), out.PassageRegulationOffset);
    next(node.RegionChange(), out.RegionNumber);
    next(node.LinkLength(), out.LinkLength);
    next(node.OnBoundary && node.TargetNodeType == 1, out.BoundaryWord);
    out.Found = !c.bad();
    return out.Found;
}

namespace {

// Reads the multilink header at position and finds node k's shape data, which follow the shape data of
// nodes 0..k-1; -1 when the node or its shape data's fixed part is not there.
int64_t locateNodeShape(const TLN_FrameSpan& frame, int node, TLN_MultiLink_Data_Record& header,
                        int64_t position) {
    if (node < 0 || !ReadMultiLinkHeader(frame, header, position) || node >= header.NodeCount) return -1;
    const int64_t limit = multiLinkLimit(frame, header);
    int64_t at = header.ShapePosition();
    for (int k = 0;; ++k) {
        if (at + kLinkShapeFixedSize > limit || !frame.Contains(at, kLinkShapeFixedSize)) return -1;
        if (k == node) return at;
        at += kLinkShapeFixedSize + 2 * int64_t(frame.At(at).u16(0) & 0x3FF);
    }
}

} // namespace

bool ReadLinkNodeConnection(const TLN_FrameSpan& frame, int node, TLN_Link_Node_Connection& out,
                            const TLN_Level_Management_Record& level, int64_t position) {
    out = {};
    const int64_t at = locateNodeShape(frame, node, out.Header, position);
    if (at < 0) return false;
    decodeShape(frame, at, multiLinkLimit(frame, out.Header), out.Shape);
    return ReadMultiLinkNode(frame, out.Header, node, level, out.Node, out.Additional);
}

bool ReadMultiLinkNode(const TLN_FrameSpan& frame, const TLN_MultiLink_Data_Record& multiLink, int node,
                       const TLN_Level_Management_Record& level, TLN_MultiLink_Node_Record& out,
                       TLN_Node_Additional_Info& additional) {
    out = {};
    additional = {};
    if (node < 0 || node >= multiLink.NodeCount) return false;
    const uint32_t recordSize = std::max<uint32_t>(level.NodeRecordSize, uint32_t(kNodeRecordMinimumSize));
    const int64_t record = multiLink.NodeRecordsPosition() + int64_t(node) * recordSize;
    if (!frame.Contains(record, kNodeRecordMinimumSize)) return false;
    decodeNode(frame.At(record, recordSize), record, level.NodeRecordSize, out);
    if (out.AdditionalOffset != 0xFFFF)
        ReadNodeAdditionalInfo(frame, out, additional, frame.Position() + 2 * int64_t(out.AdditionalOffset));
    return true;
}

bool ReadStreetAddressRecord(const TLN_FrameSpan& frame, TLN_Street_Address_Record& out, int64_t position) {
    out = {};
    if (!frame.Contains(position, 6)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.Size = 2u * c.u16(0);
    out.Details = c.u16(2);
    const uint16_t d = out.Details;
    int64_t at = 4;
    auto word = [&]() {
        const uint16_t value = c.u16(at);
        at += 2;
        return value;
    };
    auto dword = [&]() {
        const uint32_t value = c.u32(at);
        at += 4;
        return value;
    };
    out.AdministrativeLeft = 2 * int64_t(word());
    out.AdministrativeRight = (d & 0x8000) ? out.AdministrativeLeft : 2 * int64_t(word());
    if (d & 0x2000) out.StreetLeft = 2 * int64_t(word());
    if (d & 0x4000)
        out.StreetRight = out.StreetLeft;
    else if (d & 0x1000)
        out.StreetRight = 2 * int64_t(word());
    out.LeftKind = uint8_t((d >> 10) & 3);
    out.RightKind = uint8_t((d >> 8) & 3);
    out.AddressType = uint8_t((d >> 5) & 7);
    switch (out.AddressType) {
    case 1:
        out.HouseNumber = word();
        break;
    case 2:
        out.HouseNumber = dword();
        break;
    case 3:
    case 4: {
        const bool wide = out.AddressType == 4;
        if (out.LeftKind != 0) {
            out.LeftStart = wide ? dword() : word();
            out.LeftEnd = wide ? dword() : word();
        }
        if (out.RightKind != 0) {
            out.RightStart = wide ? dword() : word();
            out.RightEnd = wide ? dword() : word();
        }
        break;
    }
    default:
        break;
    }
    return !c.bad();
}

bool ReadStreetAddressInfo(const TLN_FrameSpan& frame, int node, TLN_Street_Address_Record& out,
                           const TLN_Level_Management_Record& level, int64_t position, int64_t base) {
    out = {};
    // The node's shape data must be there, but its points are not needed.
    TLN_MultiLink_Data_Record header;
    TLN_MultiLink_Node_Record record;
    TLN_Node_Additional_Info nodeAdditional;
    if (locateNodeShape(frame, node, header, position) < 0 ||
        !ReadMultiLinkNode(frame, header, node, level, record, nodeAdditional))
        return false;
    if (!header.StreetAddressFlag || !record.StreetAddress() || record.AdditionalOffset == 0xFFFF)
        return false;
    const int64_t additional = base + 2 * int64_t(record.AdditionalOffset);
    // After the record's first word, one word for each of the flags 15 to 12 that is set.
    int64_t at = additional + 2;
    for (const bool present : {record.LinkIdChange(), record.WidthLaneChange(), record.IntersectionGuidance(),
                               record.StreetName()})
        at += present ? 2 : 0;
    if (!frame.Contains(at, 2)) return false;
    const uint16_t offset = frame.At(at).u16(0);
    if (offset == 0xFFFF) return false;
    return ReadStreetAddressRecord(frame, out, base + 2 * int64_t(offset));
}

uint32_t ReadSizeWord(const TLN_FrameSpan& frame, int64_t position) {
    if (!frame.Contains(position, 2)) return 0;
    return 2u * (frame.At(position).u16(0) & 0x0FFF);
}
