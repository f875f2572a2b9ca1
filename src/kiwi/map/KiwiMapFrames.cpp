// TLN_KiwiMap: the distribution headers at the start of a parcel's frames, each read as one span.
#include <algorithm>
#include <array>

#include "kiwi/io/BoundedRead.h"
#include "kiwi/map/KiwiMap.h"

namespace {
// The first read of a header; it holds the fixed part and the tables of an ordinary parcel.
constexpr int64_t kFirstHeaderRead = 256;
constexpr int64_t kAdjacentListEntryBytes = 6;

// The bytes of one header read: on the stack for ordinary headers, on the heap for long tables.
class FrameBytes {
public:
    // Up to count bytes at position (fewer at the end of the stream, none for a negative position).
    BeCursor Read(TLN_Stream& stream, int64_t position, int64_t count) {
        if (position < 0 || count <= 0) return {};
        uint8_t* target = local_.data();
        if (count > int64_t(local_.size())) {
            heap_.resize(size_t(count));
            target = heap_.data();
        }
        return BeCursor(target, size_t(bounded::readInto(stream, position, target, count)));
    }

private:
    std::array<uint8_t, kFirstHeaderRead> local_;
    std::vector<uint8_t> heap_;
};
} // namespace

bool TLN_KiwiMap::ReadMainMapHeader(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                    TLN_MM_Distribution_Header& out, bool withTables, int64_t frameStart) {
    out = {};
    if (!stream || frameStart < 0) return false;
    const TLN_Level_Management_Record* record = Level(level);
    if (withTables && !record) return false;
    const int64_t first = withTables ? kFirstHeaderRead : kMainMapHeaderFixedSize;
    FrameBytes bytes;
    BeCursor cursor = bytes.Read(*stream, frameStart, first);
    if (cursor.size() < size_t(kMainMapHeaderFixedSize)) return false;
    DecodeMainMapHeaderFixed(cursor, out);
    if (!withTables) return true;

    const int basic = record->MainMapBasicCount;
    const int extended = record->MainMapExtendedCount;
    const int64_t end = MainMapHeaderTablesEnd(out, basic, extended);
    if (end > int64_t(cursor.size()) && cursor.size() == size_t(first))
        cursor = bytes.Read(*stream, frameStart, end);
    DecodeMainMapHeaderTables(cursor, frameStart, basic, extended, out);

    for (TLN_Adjacent_Parcel& adjacent : out.Adjacent) {
        if (!adjacent.Divided) continue;
        const int64_t offset = adjacent.ListPosition - frameStart;
        const int64_t listBytes = kAdjacentListEntryBytes * adjacent.ListCount;
        if (cursor.fits(offset, listBytes)) {
            adjacent.List = DecodeAdjacentList(cursor, offset, adjacent.ListCount);
        } else {
            FrameBytes list;
            adjacent.List = DecodeAdjacentList(list.Read(*stream, adjacent.ListPosition, listBytes), 0,
                                               adjacent.ListCount);
        }
        if (adjacent.List.size() < adjacent.ListCount) out.Truncated = true;
        if (offset + listBytes >= int64_t(out.HeaderSize)) out.TablesInsideHeader = false;
    }
    return true;
}

bool TLN_KiwiMap::ReadMainMapFrameTable(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                        TLN_MM_Frame_Table& out, int64_t frameStart) {
    out = {};
    const TLN_Level_Management_Record* record = Level(level);
    if (!stream || !record || frameStart < 0) return false;
    FrameBytes bytes;
    BeCursor cursor = bytes.Read(*stream, frameStart, kFirstHeaderRead);
    if (cursor.size() < size_t(kMainMapHeaderFixedSize)) return false;
    const int count =
        std::min(record->MainMapBasicCount + record->MainMapExtendedCount, kFrameTableReferenceCount);
    const int64_t end = kMainMapHeaderFixedSize + 4 * int64_t(cursor.u16(34)) + 6 * int64_t(count);
    if (end > int64_t(cursor.size()) && cursor.size() == size_t(kFirstHeaderRead))
        cursor = bytes.Read(*stream, frameStart, end);
    DecodeMainMapFrameTable(cursor, frameStart, record->MainMapBasicCount, record->MainMapExtendedCount, out);
    return true;
}

uint8_t TLN_KiwiMap::ReadAreaCodeByte(const std::shared_ptr<TLN_Stream>& stream, int64_t frameStart) {
    if (!stream || frameStart < 0) return 0;
    FrameBytes bytes;
    return bytes.Read(*stream, frameStart + 14, 1).u8(0);
}

bool TLN_KiwiMap::ReadReferencePoint(const std::shared_ptr<TLN_Stream>& stream, TLN_Point& out,
                                     int64_t frameStart) {
    if (!stream || frameStart < 0) return false;
    FrameBytes bytes;
    const BeCursor cursor = bytes.Read(*stream, frameStart + 2, 8);
    if (cursor.size() < 8) return false;
    out.Y = cursor.coordinate(0);
    out.X = cursor.coordinate(4);
    return true;
}

bool TLN_KiwiMap::ReadRouteGuidanceHeader(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                          TLN_RG_Distribution_Header& out, int64_t frameStart) {
    out = {};
    const TLN_Level_Management_Record* record = Level(level);
    if (!stream || !record || frameStart <= 0) return false;
    const int basic = record->RouteGuidanceBasicCount;
    const int extended = record->RouteGuidanceExtendedCount;
    FrameBytes bytes;
    const BeCursor cursor =
        bytes.Read(*stream, frameStart, kRouteGuidanceHeaderFixedSize + 6 * int64_t(basic + extended));
    if (cursor.size() < size_t(kRouteGuidanceHeaderFixedSize)) return false;
    DecodeRouteGuidanceHeader(cursor, frameStart, basic, extended, out);
    return true;
}
