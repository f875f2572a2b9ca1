// TLN_KiwiMap: parcel management information and parcel management records, divided parcels included.
#include <algorithm>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/PageCache.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/map/ParcelListType.h"

namespace {
// The first read of an information takes at most this much; larger lists take one more read.
constexpr int64_t kFirstInformationRead = 4096;

// The first read of an information of level: its header and a list of the level's largest division in
// records of up to 8 bytes (every list type but the one naming a file per record), so that a block of a few
// parcels reads and holds a few hundred bytes, not 4 KiB. Not less than a read the source's pages leave
// alone: a list is read once into the map's cache, and paging it would read 64 KiB for it.
int64_t firstInformationRead(const TLN_Level_Management_Record& level) {
    int64_t records = 0;
    for (const TLN_Division& division : level.Divisions)
        records = std::max<int64_t>(records, int64_t(division.X) * division.Y);
    return std::clamp<int64_t>(4 + 14 + 8 * records, PageCache::smallReadLimit + 1, kFirstInformationRead);
}

// Decodes the information's header from a span starting at the information; false when it does not fit.
bool decodeInformation(const BeCursor& span, const TLN_Level_Management_Record& level, int64_t position,
                       TLN_Parcel_Management_Info& info) {
    if (!span.fits(0, 4)) return false;
    info = {};
    info.Position = position;
    info.FirstByte = span.u8(0);
    info.DivisionType = info.FirstByte & 3;
    info.ListType = span.u8(1);
    info.RouteGuidanceListPosition = WordOffset16ToPosition(span.u16(2), position);
    const TLN_Division& division = level.Divisions[info.DivisionType];
    info.StoredRecordCount = uint32_t(division.X) * division.Y;
    info.RecordCount = info.StoredRecordCount;
    const ParcelListLayout& layout = ParcelListLayoutOf(info.ListType);
    if (layout.HasExtension) {
        if (!span.fits(4, 2)) return false;
        info.FileNameFlag = span.u16(4);
        // The name is there exactly when the list starts after it.
        if (info.FileNameFlag == 1) {
            if (!span.fits(6, 12)) return false;
            info.FileName = span.fixedString(6, 12);
        }
    }
    info.ListPosition = position + 4 + layout.Extension(info.FileNameFlag);
    return true;
}

// Cuts the information's record count to the records of its list that lie inside the stream.
void boundRecords(TLN_Parcel_Management_Info& info, int64_t streamSize) {
    const ParcelListLayout& layout = ParcelListLayoutOf(info.ListType);
    if (!layout.Known()) return;
    info.RecordCount = uint32_t(bounded::recordsThatFit(info.StoredRecordCount, info.ListPosition,
                                                        layout.RecordSize, layout.RecordSize, streamSize));
}

// Bytes from the information's start to the end of its parcel list.
int64_t informationBytes(const TLN_Parcel_Management_Info& info) {
    const ParcelListLayout& layout = ParcelListLayoutOf(info.ListType);
    if (!layout.Known()) return 4;
    return (info.ListPosition - info.Position) + int64_t(info.RecordCount) * layout.RecordSize;
}
} // namespace

TLN_KiwiMap::Span TLN_KiwiMap::parcelManagementSpan(const std::shared_ptr<TLN_Stream>& stream,
                                                    const TLN_Level_Management_Record& level,
                                                    int64_t position, TLN_Parcel_Management_Info& info,
                                                    int64_t streamSize) {
    const uint32_t tag = uint32_t(&level - levels_.data());
    const auto kind = MapSpanCache::Kind::ParcelManagement;
    Span span = cache_.Find(stream.get(), position, kind, tag);
    if (!span) {
        const int64_t firstRead = firstInformationRead(level);
        span = readSpan(*stream, position, firstRead);
        if (!decodeInformation(BeCursor(span->data(), span->size()), level, position, info)) return nullptr;
        boundRecords(info, streamSize >= 0 ? streamSize : stream->Size());
        const int64_t needed = informationBytes(info);
        if (needed > int64_t(span->size()) && span->size() == size_t(firstRead))
            span = readSpan(*stream, position, needed);
        cache_.Insert(stream, position, kind, span, tag);
        return span;
    }
    if (!decodeInformation(BeCursor(span->data(), span->size()), level, position, info)) return nullptr;
    // A cached span was read up to the bounded list's end, or up to the stream's end when that came first,
    // so its end bounds the records as the stream did, without asking the stream for its size again.
    boundRecords(info, position + int64_t(span->size()));
    return span;
}

bool TLN_KiwiMap::ReadParcelManagement(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                       TLN_Parcel_Management_Info& out, int64_t position,
                                       int64_t streamSize) {
    out = {};
    const TLN_Level_Management_Record* record = Level(level);
    if (!record || !stream || position <= 0) return false;
    TLN_Parcel_Management_Info info;
    if (!parcelManagementSpan(stream, *record, position, info, streamSize)) return false;
    out = std::move(info);
    return true;
}

bool TLN_KiwiMap::ReadParcel(const std::shared_ptr<TLN_Stream>& stream, uint8_t level, uint32_t index,
                             TLN_MM_Parcel_Managenent_Record& out, bool routeGuidance, int64_t position) {
    return readParcel(stream, level, index, out, routeGuidance, position, nullptr);
}

bool TLN_KiwiMap::ReadParcelInFile(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                   const std::string& fileName, TLN_MM_Parcel_Managenent_Record& out,
                                   bool routeGuidance, uint32_t index, int64_t position) {
    return readParcel(stream, level, index, out, routeGuidance, position, &fileName);
}

bool TLN_KiwiMap::readParcel(const std::shared_ptr<TLN_Stream>& stream, uint8_t level, uint32_t index,
                             TLN_MM_Parcel_Managenent_Record& out, bool routeGuidance, int64_t position,
                             const std::string* fallbackFileName) {
    out = {};
    const TLN_Level_Management_Record* record = Level(level);
    if (!record || !stream || position <= 0) return false;
    TLN_Parcel_Management_Info info;
    const Span information = parcelManagementSpan(stream, *record, position, info);
    if (!information) return false;
    const ParcelListLayout& layout = ParcelListLayoutOf(info.ListType);
    // An index past the list's records would read a neighbour's record or the next structure.
    if (!layout.Known() || index >= info.RecordCount) return false;

    const int64_t extension = layout.Extension(info.FileNameFlag);
    Span list = information;
    int64_t listStart = info.ListPosition;
    int64_t at = (info.ListPosition - position) + int64_t(index) * layout.RecordSize;
    if (routeGuidance) {
        if (info.RouteGuidanceListPosition < 0) return false;
        listStart = info.RouteGuidanceListPosition + extension;
        const int64_t bytes = int64_t(info.RecordCount) * layout.RecordSize;
        list = cachedSpan(stream, listStart, bytes, MapSpanCache::Kind::RouteGuidanceList, level);
        // A list the stream cuts short is not read (as TLN_ParcelList does not).
        if (int64_t(list->size()) < bytes) return false;
        at = int64_t(index) * layout.RecordSize;
    }
    const BeCursor cursor(list->data(), list->size());
    if (!cursor.fits(at, layout.RecordSize)) return false;

    const uint32_t word = cursor.u32(at);
    out.Size = 32u * cursor.u16(at + 4);
    out.ListType = info.ListType;
    out.Position = listStart + int64_t(index) * layout.RecordSize;
    if (layout.HasExtraWord) out.ExtraWord = cursor.u16(at + 6);
    if (layout.HasExtension) out.FileName = info.FileName;

    if (out.IsDivided()) {
        // The word is an offset from this information to the sub-parcels' own information, always in the
        // list's stream. An offset of 0 would make the parcel its own sub-parcel list.
        out.Address = WordOffsetToPosition(word, position);
        out.Stream = stream;
        if (out.Address < 0 || out.Address == position) return false;
        TLN_Parcel_Management_Info sub;
        if (!parcelManagementSpan(stream, *record, out.Address, sub)) return false;
        out.DivisionType = sub.DivisionType;
        return true;
    }

    out.Address = KiwiAddressToOffset(word);
    switch (layout.Source) {
    case ParcelListLayout::FrameSource::RecordFile:
        out.FileName = cursor.fixedString(at + 6, 12);
        out.Stream = GetDataFileStream(out.FileName);
        break;
    case ParcelListLayout::FrameSource::InformationFile:
        if (info.FileNameFlag == 1) {
            out.Stream = GetDataFileStream(info.FileName);
        } else if (fallbackFileName && !fallbackFileName->empty()) {
            out.FileName = *fallbackFileName;
            out.Stream = GetDataFileStream(out.FileName);
        } else {
            out.Stream = stream;
        }
        break;
    default:
        out.Stream = stream;
        break;
    }
    return out.Address >= 0 && out.Stream != nullptr;
}

bool TLN_KiwiMap::FindParcel(const TLN_ParcelNumber& number, bool routeGuidance,
                             TLN_MM_Parcel_Managenent_Record& out) {
    out = {};
    const TLN_Level_Management_Record* level = Level(number.Level);
    if (!level) return false;
    // Each index is a row-major position inside its parent; an index past its count is another parcel's.
    if (number.BlockSetX >= level->BlockSets.X || number.BlockSetY >= level->BlockSets.Y ||
        number.BlockX >= level->Blocks.X || number.BlockY >= level->Blocks.Y ||
        number.ParcelX >= level->Parcels.X || number.ParcelY >= level->Parcels.Y)
        return false;
    const uint32_t blockSet = uint32_t(level->BlockSets.X) * number.BlockSetY + number.BlockSetX;
    const uint32_t block = uint32_t(level->Blocks.X) * number.BlockY + number.BlockX;
    const uint32_t parcel = uint32_t(level->Parcels.X) * number.ParcelY + number.ParcelX;
    TLN_Block_Management_Record blockRecord;
    if (!ReadBlock(number.Level, blockSet, block, blockRecord) || !blockRecord.Stream) return false;
    return ReadParcel(blockRecord.Stream, number.Level, parcel, out, routeGuidance, blockRecord.Address);
}
