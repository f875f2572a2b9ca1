// TLN_KiwiMap: block set and block management records, read through the per-map table cache.
#include <algorithm>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/map/MainMapLayout.h"

namespace {
namespace layout = main_map_layout;
constexpr int64_t kBlockSetRecordBytes = layout::kBlockSetRecordBytes;
// Tables larger than this are read record by record instead of being cached whole.
constexpr int64_t kMaxTableSpan = 1 << 20;

void decodeBlockSet(const BeCursor& span, int64_t offset, int64_t partBase,
                    TLN_BlockSet_Management_Record& out) {
    out.LevelCode = uint8_t(span.u8(offset) >> 2);
    out.BlockSetNumber = span.u8(offset + 1);
    out.BlockTablePosition =
        WordOffsetToPosition(span.u32(offset + layout::kBlockSetBlockTableField), partBase);
    out.BlockTableSize = 2u * span.u32(offset + layout::kBlockSetTableSizeField);
}
} // namespace

TLN_KiwiMap::Span TLN_KiwiMap::cachedSpan(const std::shared_ptr<TLN_Stream>& stream, int64_t position,
                                          int64_t count, MapSpanCache::Kind kind, uint32_t tag) {
    // Records of different sizes may name one table: a span cached for a shorter one is read again, so
    // that what is found never depends on which record was read first.
    const Span cached = cache_.Find(stream.get(), position, kind, tag);
    if (cached && int64_t(cached->size()) >= count) return cached;
    Span span = readSpan(*stream, position, count);
    cache_.Insert(stream, position, kind, span, tag);
    return span;
}

bool TLN_KiwiMap::ReadBlockSetAt(uint32_t index, TLN_BlockSet_Management_Record& out, int64_t tablePosition) {
    out = {};
    if (!partStream_ || tablePosition < 0) return false;
    const int64_t position = tablePosition + int64_t(index) * blockSetRecordSize_;
    const Span span = readSpan(*partStream_, position, kBlockSetRecordBytes);
    if (span->size() < size_t(kBlockSetRecordBytes)) return false;
    decodeBlockSet(BeCursor(span->data(), span->size()), 0, partBase_, out);
    out.Position = position;
    return out.BlockTablePosition > 0;
}

bool TLN_KiwiMap::ReadBlockSet(uint8_t level, uint32_t index, TLN_BlockSet_Management_Record& out) {
    out = {};
    const TLN_Level_Management_Record* record = Level(level);
    if (!record || !partStream_ || record->BlockSetTablePosition < 0) return false;
    const uint32_t count = record->AcceptedBlockSetCount;
    if (index >= count) return false;
    const int64_t tableBytes = int64_t(count - 1) * blockSetRecordSize_ + kBlockSetRecordBytes;
    if (tableBytes > kMaxTableSpan) {
        const bool found = ReadBlockSetAt(index, out, record->BlockSetTablePosition);
        out.BlockCount = acceptedBlocks(out, uint32_t(record->BlockCount()));
        return found;
    }
    const Span table = cachedSpan(partStream_, record->BlockSetTablePosition, tableBytes,
                                  MapSpanCache::Kind::BlockSetTable, level);
    const BeCursor cursor(table->data(), table->size());
    const int64_t offset = int64_t(index) * blockSetRecordSize_;
    if (!cursor.fits(offset, kBlockSetRecordBytes)) return false;
    decodeBlockSet(cursor, offset, partBase_, out);
    out.Position = record->BlockSetTablePosition + offset;
    out.BlockCount = acceptedBlocks(out, uint32_t(record->BlockCount()));
    return out.BlockTablePosition > 0;
}

uint32_t TLN_KiwiMap::acceptedBlocks(const TLN_BlockSet_Management_Record& set, uint32_t declared) const {
    if (!partStream_ || set.BlockTablePosition <= 0) return 0;
    // The level's block division names the blocks, not the table's size field: its records as far as
    // they lie inside the file.
    const int64_t recordBytes = layout::BlockRecordBytes(fileNameDesignation_);
    return uint32_t(
        bounded::recordsThatFit(declared, set.BlockTablePosition, blockRecordSize_, recordBytes, partSize_));
}

bool TLN_KiwiMap::ReadBlock(uint8_t level, uint32_t blockSet, uint32_t block,
                            TLN_Block_Management_Record& out) {
    out = {};
    TLN_BlockSet_Management_Record set;
    if (!ReadBlockSet(level, blockSet, set)) return false;
    return ReadBlock(level, set, block, out);
}

bool TLN_KiwiMap::ReadBlock(uint8_t level, const TLN_BlockSet_Management_Record& set, uint32_t block,
                            TLN_Block_Management_Record& out) {
    out = {};
    const uint32_t count = set.BlockCount;
    const int64_t recordBytes = layout::BlockRecordBytes(fileNameDesignation_);
    const int64_t offset = int64_t(block) * blockRecordSize_;
    // The record must be one of the level's blocks whose record lies inside the file.
    if (block >= count) return false;
    const int64_t tableBytes = int64_t(count - 1) * blockRecordSize_ + recordBytes;
    Span table;
    int64_t at = offset;
    if (tableBytes <= kMaxTableSpan) {
        table = cachedSpan(partStream_, set.BlockTablePosition, tableBytes, MapSpanCache::Kind::BlockTable,
                           level);
    } else {
        table = readSpan(*partStream_, set.BlockTablePosition + offset, recordBytes);
        at = 0;
    }
    const BeCursor cursor(table->data(), table->size());
    if (!cursor.fits(at, recordBytes)) return false;
    out.Address = KiwiAddressToOffset(cursor.u32(at));
    out.Size = uint32_t(cursor.u16(at + 4)) * logicalSectorSize_;
    if (fileNameDesignation_)
        out.FileName = cursor.fixedString(at + layout::kBlockFileNameField, layout::kBlockFileNameBytes);
    out.Position = set.BlockTablePosition + offset;
    out.Stream = out.FileName.empty() ? partStream_ : GetDataFileStream(out.FileName);
    return out.Address >= 0;
}
