// Parameters part: distribution header, management pointers, frame headers and pattern table records.
#include "kiwi/parts/ParamManager.h"

#include <stdexcept>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {

constexpr int kMaxRecords = 9;
constexpr int kPointerBytes = 20;

void decodeFlags(uint16_t flags, uint8_t& format, uint32_t& bitsPerPixel) {
    format = uint8_t(flags >> 12);
    bitsPerPixel = 1u << (flags & 0x0F);
}

} // namespace

TLN_ParamManager::TLN_ParamManager(const std::string& fileName) : TLN_Manager(fileName) {
    if (valid_) ReadHeader();
}

TLN_ParamManager::TLN_ParamManager(std::shared_ptr<TLN_Stream> stream, int64_t offset)
    : TLN_Manager(std::move(stream), offset) {
    if (valid_) ReadHeader();
}

void TLN_ParamManager::ReadHeader() {
    try {
        const auto header = bounded::readRecord<4 + kPointerBytes * kMaxRecords>(*stream_, base_);
        if (header.delivered < 4)
            throw EShortRead(
                whole::Shortfall(*stream_, "the parameter data header", base_, 4, header.delivered));
        const BeCursor c = header.cursor();
        headerSize_ = int64_t(c.u16(0)) * 2;
        numberOfRecords_ = c.u16(2);
        valid_ = numberOfRecords_ >= 1 && numberOfRecords_ <= kMaxRecords;
        if (!valid_) return;
        // The pointers the file holds whole are read; the count stays as stored.
        const whole::Counted pointers =
            whole::CountRecords(*stream_, "Number of Records", numberOfRecords_, base_ + 4, kPointerBytes,
                                base_ + header.delivered);
        noteDamage(pointers.reason);
        for (int i = 0; i < pointers.readable; ++i) {
            const int64_t p = 4 + int64_t(kPointerBytes) * i;
            TLN_ParamManagementPointer pointer;
            pointer.Point = bounded::pointRecord(c, p);
            pointer.DataClassificationCode = c.u16(p + 13);
            pointer.RecordPosition = WordOffset16ToPosition(c.u16(p + 16), base_);
            pointer.RecordSize = int64_t(c.u16(p + 18)) * 2;
            const auto record = bounded::readRecord<9>(*stream_, pointer.RecordPosition);
            const BeCursor r = record.cursor();
            pointer.DataFramePosition = WordOffsetToPosition(r.u32(0), base_);
            pointer.DataFrameSize = int64_t(r.u32(4)) * 2;
            pointer.LineStylePaletteTableExists = r.u8(8) & 0x80;
            pointer.MapElementParametersExist = r.u8(8) & 0x40;
            if (!record.complete())
                pointer.Error = whole::Short(*stream_, "management record " + std::to_string(i),
                                             pointer.RecordPosition, 9, record.delivered);
            pointers_.push_back(pointer);
        }
    } catch (const KiwiError& error) {
        fail(error);
        pointers_.clear();
    }
}

const TLN_ParamManagementPointer& TLN_ParamManager::GetManagementPointer(int index) const {
    if (index < 0 || size_t(index) >= pointers_.size())
        throw std::out_of_range("parameters management pointer " + std::to_string(index));
    return pointers_[size_t(index)];
}

bool TLN_ParamManager::ReadManagementRecord(int64_t position, TLN_DrawingParamHeader& record) const {
    const auto bytes = bounded::readRecord<28>(*stream_, position);
    const BeCursor c = bytes.cursor();
    record = {};
    record.HeaderSize = int64_t(c.u16(0)) * 2;
    record.ColorPaletteTablePosition = WordOffset16ToPosition(c.u16(4), position);
    record.ColorsPerPalette = c.u16(6);
    record.NumberOfPalettes = c.u16(8);
    record.LineStylePaletteTablePosition = WordOffset16ToPosition(c.u16(10), position);
    record.LineStylePaletteSize = int64_t(c.u16(12)) * 2;
    record.NumberOfLineStylePalettes = c.u16(14);
    record.MapElementPosition = WordOffset16ToPosition(c.u16(16), position);
    record.MapElementSize = int64_t(c.u16(18)) * 2;
    record.LandmarkFramePosition = WordOffsetToPosition(c.u32(20), position);
    record.LandmarkFrameSize = int64_t(c.u32(24)) * 2;
    return bytes.complete();
}

bool TLN_ParamManager::ReadFrameReference(int64_t position, TLN_FrameReference& record) const {
    const auto bytes = bounded::readRecord<12>(*stream_, position);
    const BeCursor c = bytes.cursor();
    record.HeaderSize = int64_t(c.u16(0)) * 2;
    record.FramePosition = WordOffsetToPosition(c.u32(4), position);
    record.FrameSize = int64_t(c.u32(8)) * 2;
    return bytes.complete();
}

bool TLN_ParamManager::ReadLandmarkDataFrame(int64_t position, TLN_LandmarkDataFrame& record) const {
    record = {};
    const auto head = bounded::readRecord<6>(*stream_, position);
    const BeCursor c = head.cursor();
    record.Size = int64_t(c.u16(0)) * 2;
    record.NumberOfCategoryCodes = c.u16(2);
    record.NumberOfPatternTables = c.u16(4);
    if (!head.complete() || record.NumberOfPatternTables > kMaxPatternTables) return head.complete();

    const int64_t streamSize = stream_->Size();
    int64_t p = position + 6;
    const std::string tables = "Number of Pattern Tables " + std::to_string(record.NumberOfPatternTables);
    for (int i = 0; i < record.NumberOfPatternTables; ++i) {
        const auto size = bounded::readRecord<2>(*stream_, p);
        const int64_t advance = int64_t(size.cursor().u16(0)) * 2;
        if (!size.complete()) {
            record.Error =
                whole::Short(*stream_, tables + ", table " + std::to_string(i), p, 2, size.delivered);
            return true;
        }
        record.TablePositions.push_back(p);
        // A record of size 0 never advances: the tables after it cannot be found.
        if (advance == 0) return true;
        p += advance;
        if (p >= streamSize && i + 1 < record.NumberOfPatternTables) {
            record.Error = whole::Short(*stream_, tables + ", table " + std::to_string(i + 1), p, 2, 0);
            return true;
        }
    }
    const auto trailer = bounded::readRecord<8>(*stream_, p);
    if (!trailer.complete())
        record.Error = whole::Short(*stream_, "the name and reading info", p, 8, trailer.delivered);
    const BeCursor t = trailer.cursor();
    record.NameAndReadingInfoSize = int64_t(t.u16(0)) * 2;
    record.NameAndReadingListSize = int64_t(t.u16(2)) * 2;
    record.NameAndReadingListPosition = WordOffsetToPosition(t.u32(4), position);
    record.Complete = trailer.complete();
    return true;
}

int64_t TLN_ParamManager::FindPatternTable(int tableIndex, int64_t framePosition) const {
    if (framePosition < 0 || tableIndex < 0 || tableIndex >= kMaxPatternTables) return -1;
    const auto head = bounded::readRecord<6>(*stream_, framePosition);
    const int count = head.cursor().u16(4);
    if (!head.complete() || count > kMaxPatternTables || tableIndex >= count) return -1;
    const int64_t streamSize = stream_->Size();
    int64_t p = framePosition + 6;
    for (int i = 0; i < tableIndex; ++i) {
        const auto size = bounded::readRecord<2>(*stream_, p);
        const int64_t advance = int64_t(size.cursor().u16(0)) * 2;
        if (!size.complete() || advance == 0) return -1;
        p += advance;
        if (p >= streamSize) return -1;
    }
    return p;
}

bool TLN_ParamManager::ReadPatternTable13(int layout, int tableIndex, int64_t framePosition,
                                          TLN_LandmarkPatternTable& record) const {
    record = {};
    record.Layout = layout;
    const int64_t p = FindPatternTable(tableIndex, framePosition);
    record.Position = p;
    if (p < 0) return false;
    const auto head = bounded::readRecord<30>(*stream_, p);
    const BeCursor c = head.cursor();
    record.Size = int64_t(c.u16(0)) * 2;
    record.Flags = c.u16(2);
    decodeFlags(record.Flags, record.FormatFlag, record.BitsPerPixel);
    record.PatternOffsetFlag = record.Flags & 0x10;
    record.SizeX = c.u8(4);
    record.SizeY = c.u8(5);
    record.DayPalette = c.u8(6);
    record.NightPalette = c.u8(7);
    int64_t listStart = 18;
    int64_t entryBytes = record.PatternOffsetFlag ? 6 : 2;
    if (layout == 3) {
        for (int k = 0; k < 6; ++k)
            record.DisplayValues[size_t(k)] = c.u16(8 + 2 * k);
        record.PatternTablePosition = WordOffsetToPosition(c.u32(20), framePosition);
        record.PatternTableSize = int64_t(c.u32(24)) * 2;
        record.NumberOfPatterns = c.u16(28);
        listStart = 30;
        entryBytes = 6;
    } else {
        record.PatternTablePosition = WordOffsetToPosition(c.u32(8), framePosition);
        record.PatternTableSize = int64_t(c.u32(12)) * 2;
        record.NumberOfPatterns = c.u16(16);
    }
    const bool headComplete = head.delivered >= listStart;

    // The list holds as many entries as the stream has bytes for; nothing is reserved from the raw count.
    const int64_t streamSize = stream_->Size();
    const int64_t entries =
        bounded::recordsThatFit(record.NumberOfPatterns, p + listStart, entryBytes, entryBytes, streamSize);
    if (entries > 0) {
        std::vector<uint8_t> list(size_t(entries * entryBytes));
        bounded::readInto(*stream_, p + listStart, list.data(), int64_t(list.size()));
        const BeCursor l(list.data(), list.size());
        record.Patterns.reserve(size_t(entries));
        const int64_t patternSize = record.PatternSize();
        for (int64_t i = 0; i < entries; ++i) {
            TLN_LandmarkPattern pattern;
            pattern.Identifier = l.u16(i * entryBytes);
            if (record.PatternTablePosition >= 0) {
                pattern.Position =
                    record.PatternOffsetFlag
                        ? WordOffsetToPosition(l.u32(i * entryBytes + 2), record.PatternTablePosition)
                        : record.PatternTablePosition + patternSize * i;
            }
            record.Patterns.push_back(pattern);
        }
    }
    const int64_t listEnd = listStart + entryBytes * record.NumberOfPatterns;
    if (listEnd < record.Size) {
        const auto use = bounded::readRecord<2>(*stream_, p + listEnd);
        if (use.complete()) record.UseCode = use.cursor().u16(0);
    }
    return headComplete;
}

bool TLN_ParamManager::ReadLandmarkPatternTable(int tableIndex, int64_t framePosition,
                                                TLN_LandmarkPatternTable& record) const {
    return ReadPatternTable13(1, tableIndex, framePosition, record);
}

bool TLN_ParamManager::ReadLandmarkPatternTable3(int tableIndex, int64_t framePosition,
                                                 TLN_LandmarkPatternTable& record) const {
    return ReadPatternTable13(3, tableIndex, framePosition, record);
}

bool TLN_ParamManager::ReadLandmarkPatternTable2(int tableIndex, int64_t framePosition,
                                                 TLN_LandmarkPatternTable2& record) const {
    record = {};
    const int64_t p = FindPatternTable(tableIndex, framePosition);
    record.Position = p;
    if (p < 0) return false;
    const auto head = bounded::readRecord<16>(*stream_, p);
    const BeCursor c = head.cursor();
    record.Size = int64_t(c.u16(0)) * 2;
    record.Flags = c.u16(2);
    decodeFlags(record.Flags, record.FormatFlag, record.BitsPerPixel);
    record.DayPalette = c.u8(4);
    record.NightPalette = c.u8(5);
    record.NumberOfPatternGroups = c.u16(6);
    record.PatternTablePosition = WordOffsetToPosition(c.u32(8), framePosition);
    record.PatternTableSize = int64_t(c.u32(12)) * 2;
    return head.complete();
}
