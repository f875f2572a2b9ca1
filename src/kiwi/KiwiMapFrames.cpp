// TLN_KiwiMap: the distribution headers at the start of a parcel's frames, each read as one span.
#include <algorithm>

#include "kiwi/KiwiMap.h"

namespace {
// The first read of a header; it holds the fixed part and the tables of an ordinary parcel.
constexpr int64_t kFirstHeaderRead = 256;
constexpr int64_t kAdjacentListEntryBytes = 6;
} // namespace

bool TLN_KiwiMap::ReadMainMapHeader(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                    TLN_MM_Distribution_Header& out, bool withTables, int64_t frameStart) {
    out = {};
    if (!stream || frameStart < 0) return false;
    const TLN_Level_Management_Record* record = Level(level);
    if (withTables && !record) return false;
    const int64_t first = withTables ? kFirstHeaderRead : kMainMapHeaderFixedSize;
    Span span = readSpan(*stream, frameStart, first);
    if (span->size() < size_t(kMainMapHeaderFixedSize)) return false;
    DecodeMainMapHeaderFixed(BeCursor(span->data(), span->size()), out);
    if (!withTables) return true;

    const int basic = record->MainMapBasicCount;
    const int extended = record->MainMapExtendedCount;
    const int64_t end = MainMapHeaderTablesEnd(out, basic, extended);
    if (end > int64_t(span->size()) && span->size() == size_t(first))
        span = readSpan(*stream, frameStart, end);
    const BeCursor cursor(span->data(), span->size());
    DecodeMainMapHeaderTables(cursor, frameStart, basic, extended, out);

    for (TLN_Adjacent_Parcel& adjacent : out.Adjacent) {
        if (!adjacent.Divided) continue;
        const int64_t offset = adjacent.ListPosition - frameStart;
        const int64_t bytes = kAdjacentListEntryBytes * adjacent.ListCount;
        if (cursor.fits(offset, bytes)) {
            adjacent.List = DecodeAdjacentList(cursor, offset, adjacent.ListCount);
        } else {
            const Span list = readSpan(*stream, adjacent.ListPosition, bytes);
            adjacent.List = DecodeAdjacentList(BeCursor(list->data(), list->size()), 0, adjacent.ListCount);
        }
        if (adjacent.List.size() < adjacent.ListCount) out.Truncated = true;
        if (offset + bytes >= int64_t(out.HeaderSize)) out.TablesInsideHeader = false;
    }
    return true;
}

bool TLN_KiwiMap::ReadMainMapFrameTable(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                        TLN_MM_Frame_Table& out, int64_t frameStart) {
    out = {};
    const TLN_Level_Management_Record* record = Level(level);
    if (!stream || !record || frameStart < 0) return false;
    Span span = readSpan(*stream, frameStart, kFirstHeaderRead);
    if (span->size() < size_t(kMainMapHeaderFixedSize)) return false;
    const int count =
        std::min(record->MainMapBasicCount + record->MainMapExtendedCount, kFrameTableReferenceCount);
    const int64_t regions = BeCursor(span->data(), span->size()).u16(34);
    const int64_t end = kMainMapHeaderFixedSize + 4 * regions + 6 * int64_t(count);
    if (end > int64_t(span->size()) && span->size() == size_t(kFirstHeaderRead))
        span = readSpan(*stream, frameStart, end);
    DecodeMainMapFrameTable(BeCursor(span->data(), span->size()), frameStart, record->MainMapBasicCount,
                            record->MainMapExtendedCount, out);
    return true;
}

uint8_t TLN_KiwiMap::ReadAreaCodeByte(const std::shared_ptr<TLN_Stream>& stream, int64_t frameStart) {
    if (!stream || frameStart < 0) return 0;
    const Span span = readSpan(*stream, frameStart + 14, 1);
    return span->empty() ? 0 : (*span)[0];
}

bool TLN_KiwiMap::ReadReferencePoint(const std::shared_ptr<TLN_Stream>& stream, TLN_Point& out,
                                     int64_t frameStart) {
    if (!stream || frameStart < 0) return false;
    const Span span = readSpan(*stream, frameStart + 2, 8);
    if (span->size() < 8) return false;
    const BeCursor cursor(span->data(), span->size());
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
    const Span span =
        readSpan(*stream, frameStart, kRouteGuidanceHeaderFixedSize + 6 * int64_t(basic + extended));
    if (span->size() < size_t(kRouteGuidanceHeaderFixedSize)) return false;
    DecodeRouteGuidanceHeader(BeCursor(span->data(), span->size()), frameStart, basic, extended, out);
    return true;
}
