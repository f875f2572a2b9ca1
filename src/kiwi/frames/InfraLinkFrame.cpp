// Readers of the infrastructure link data frame.
#include "kiwi/frames/InfraLinkFrame.h"

#include <algorithm>

namespace {

// The upper three bytes of the identification code of an accepted frame.
constexpr uint32_t kAcceptedIdentification = 0x003101;
constexpr uint16_t kNoDistance = 0xFFFF;

int32_t distance(uint16_t stored) {
    return stored == kNoDistance ? -1 : int32_t(stored) * 10;
}

// Where area a's reference and mesh records start: after the earlier areas and their mesh records.
int64_t areaPosition(const TLN_Infra_Link_Frame& header, int area) {
    return header.Position + kInfraLinkHeaderSize +
           int64_t(area) * (6 + int64_t(header.MeshCount) * header.MeshRecordSize);
}

} // namespace

uint32_t TLN_TmcMeshInfoRec::Total() const {
    uint32_t total = 0;
    for (uint16_t count : Counts)
        total += count;
    return total;
}

bool ReadInfraLinkFrame(const TLN_FrameSpan& frame, TLN_Infra_Link_Frame& out) {
    out = {};
    const int64_t i = frame.Position();
    if (!frame.Contains(i, kInfraLinkHeaderSize)) return false;
    const BeCursor c = frame.At(i);
    out.Position = i;
    out.Office.Y = c.coordinate(0);
    out.Office.X = c.coordinate(4);
    out.Office.ByteValue = c.u8(8);
    out.Office.WordValue = c.u16(10);
    out.IdentificationCode = c.u32(12);
    out.Accepted = (out.IdentificationCode >> 8) == kAcceptedIdentification;
    out.HeaderSize = 2u * c.u16(16);
    out.MeshCount = c.u16(18);
    out.LinkIdWord = c.u16(20);
    out.MeshRecordSize = 2u * c.u16(22);
    out.LinkRecordSize = 2u * c.u16(24);
    out.RoadLinkRecordSize = 2u * c.u16(26) + (out.LinkIdFlag() ? 6u : 0u);
    out.RoadLinkTableOffset = c.u32(28);
    out.RoadLinkTableSize = 2u * c.u16(32);
    // Tables and areas of no records may start right at the frame's end.
    out.RoadLinkTablePosition = FrameListPosition32(frame, i + 16, out.RoadLinkTableOffset);
    for (int a = 0; a < kInfraLinkAreaCount; ++a) {
        TLN_Infra_Link_Area& area = out.Areas[size_t(a)];
        const int64_t at = areaPosition(out, a);
        if (!frame.Contains(at, 6)) break;
        area.Position = at;
        const BeCursor reference = frame.At(at);
        area.Offset = reference.u32(0);
        area.Size = 2u * reference.u16(4);
        area.DataPosition = FrameListPosition32(frame, i + 16, area.Offset);
    }
    return out.Accepted;
}

int InfraLinkMeshCount(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header, int area) {
    if (area < 0 || area >= kInfraLinkAreaCount || header.MeshRecordSize < 2) return 0;
    const int64_t first = areaPosition(header, area) + 6;
    if (!frame.Contains(first, 0)) return 0;
    return int(std::min<int64_t>(header.MeshCount, (frame.End() - first) / header.MeshRecordSize));
}

bool ReadMeshInfo(const TLN_FrameSpan& frame, int area, TLN_TmcMeshInfoRec& out, int mesh) {
    out = {};
    TLN_Infra_Link_Frame header;
    return ReadInfraLinkFrame(frame, header) && ReadMeshInfo(frame, header, area, out, mesh);
}

bool ReadMeshInfo(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header, int area,
                  TLN_TmcMeshInfoRec& out, int mesh) {
    out = {};
    if (!header.Accepted || mesh < 0 || mesh >= InfraLinkMeshCount(frame, header, area)) return false;
    const int64_t position = areaPosition(header, area) + 6 + int64_t(mesh) * header.MeshRecordSize;
    const BeCursor c = frame.At(position, header.MeshRecordSize);
    out.Position = position;
    out.MeshCode = c.u16(0);
    out.StoredCountWords = uint16_t((header.MeshRecordSize - 2) / 2);
    const int kept = std::min<int>(out.StoredCountWords, kMeshCountLimit);
    out.Counts.reserve(size_t(std::max(kept, 0)));
    for (int k = 0; k < kept; ++k)
        out.Counts.push_back(c.u16(2 + 2 * k));
    return !out.Counts.empty();
}

bool ReadInfraLinkRecord(const TLN_FrameSpan& frame, uint32_t recordSize, TLN_Infra_Link_Record& out,
                         int64_t position) {
    out = {};
    if (!frame.Contains(position, 8)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.Size = recordSize;
    out.Word0 = c.u16(0);
    out.Attribute = uint8_t(out.Word0 >> 14);
    out.Exceptional = uint8_t((out.Word0 >> 12) & 3);
    out.LinkNumber = uint16_t(out.Word0 & 0xFFF);
    out.Length = uint32_t(c.u16(2)) * 10;
    out.FirstNumber = c.u16(4);
    out.SecondNumber = c.u16(6);
    int64_t at = 8;
    if (out.Exceptional & 1) {
        out.OriginDistance = distance(c.u16(at));
        at += 2;
    }
    if (out.Exceptional & 2) {
        out.EndDistance = distance(c.u16(at));
        at += 2;
    }
    if (recordSize >= 12) {
        out.HasLongNumber = true;
        out.LongNumber = c.u32(at);
    }
    return !c.bad();
}

bool ReadInfraLinkData(const TLN_FrameSpan& frame, int area, int mesh, uint32_t record,
                       TLN_Infra_Link_Data& out) {
    out = {};
    TLN_Infra_Link_Frame header;
    TLN_TmcMeshInfoRec info;
    if (!ReadInfraLinkFrame(frame, header) || !ReadMeshInfo(frame, header, area, info, mesh)) return false;
    // The records of the earlier meshes of the area come first.
    int64_t before = 0;
    for (int m = 0; m < mesh; ++m) {
        TLN_TmcMeshInfoRec earlier;
        ReadMeshInfo(frame, header, area, earlier, m);
        before += earlier.Total();
    }
    return ReadInfraLinkData(frame, header, area, info, before, record, out);
}

bool ReadInfraLinkData(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header, int area,
                       const TLN_TmcMeshInfoRec& mesh, int64_t recordsBefore, uint32_t record,
                       TLN_Infra_Link_Data& out) {
    out = {};
    if (area < 0 || area >= kInfraLinkAreaCount || record >= mesh.Total() || header.LinkRecordSize == 0)
        return false;
    const int64_t start = header.Areas[size_t(area)].DataPosition;
    if (start < 0) return false;
    const int64_t position = start + int64_t(header.LinkRecordSize) * (recordsBefore + record);
    if (!frame.Contains(position, header.LinkRecordSize) ||
        !ReadInfraLinkRecord(frame, header.LinkRecordSize, out.Record, position))
        return false;
    out.RoadLinkTablePosition = header.RoadLinkTablePosition;
    // The second record number is the first road link of every link but a midpoint link; an independent link
    // names its road link count in the first.
    if (out.RoadLinkTablePosition >= 0 && out.Record.Attribute != 3 && header.RoadLinkRecordSize > 0) {
        const uint32_t count = out.Record.Attribute == 0 ? out.Record.FirstNumber : 1;
        const int64_t first =
            out.RoadLinkTablePosition + int64_t(out.Record.SecondNumber) * header.RoadLinkRecordSize;
        const int64_t tableEnd =
            std::min(frame.End(), out.RoadLinkTablePosition + int64_t(header.RoadLinkTableSize));
        if (first + int64_t(header.RoadLinkRecordSize) <= tableEnd) {
            out.RoadLinkPosition = first;
            out.RoadLinkCount =
                uint16_t(std::min<int64_t>(count, (tableEnd - first) / int64_t(header.RoadLinkRecordSize)));
        }
    }
    return true;
}

bool ReadRoadLinkCorrespondence(const TLN_FrameSpan& frame, TLN_Road_Link_Corresponding_Rec& out,
                                int64_t position) {
    out = {};
    if (!frame.Contains(position, kRoadLinkRecordSize)) return false;
    const BeCursor c = frame.At(position);
    out.Position = position;
    out.RoadOffset = c.u16(0);
    out.DirectionWord = c.u16(2);
    out.NodeChangeCount = c.u16(4);
    out.StartLinkId = c.u32(6);
    out.IdChangeCount = c.u16(10);
    return true;
}
