// Index data in the frames the index refers to: search and POI information frame headers, detailed
// records, data definitions, character information frames, record headers and record keys.
#include "kiwi/index/IndexManager.h"

#include <algorithm>
#include <cstdio>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/index/IndexSpan.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {

constexpr int64_t kFrameHeaderLength = 16;
constexpr int64_t kColumnLength = 16;
// The shortest character information entry: ID, value, type, a zero name length and the offset.
constexpr int64_t kShortestCharacterEntry = 17;
// Nothing in a definition or a character information frame comes near these; they stop absurd counts
// in huge files from filling memory.
constexpr uint32_t kColumnLimit = 65536;
constexpr uint32_t kCharacterEntryLimit = 65536;

// What the frames and records read here start with: where they lie and their 4-character declaration.
template <typename Frame>
void decodeStart(const BeCursor& c, int64_t position, const std::string& fileName, Frame& out) {
    out.Position = position;
    out.FileName = fileName;
    out.DataDeclaration = index_span::code4(c, 0);
}

} // namespace

bool TLN_IndexManager::readFileBytes(const std::string& fileName, int64_t position, int64_t length,
                                     FileBytes& out) {
    out.position = position;
    if (!valid_ || position < 0) return false;
    out.file = contextFor(fileName);
    out.bytes = bounded::readBytes(*out.file.stream, position, length);
    return int64_t(out.bytes.size()) >= length;
}

bool TLN_IndexManager::ReadSearchFrameHeader(const TLN_Additional_Address& at, bool fileAddresses,
                                             TLN_Search_Frame_Header& out) {
    out = TLN_Search_Frame_Header{};
    out.Frame = at;
    out.UsesFileAddresses = fileAddresses;
    FileBytes head;
    if (!readFileBytes(at.FileName, at.DataPosition, kFrameHeaderLength, head)) return false;
    const FileContext& file = head.file;
    const int64_t position = head.position;
    const BeCursor c = index_span::cursor(head.bytes);
    out.StreamSize = file.stream->Size();
    out.DataDeclaration = index_span::code4(c, 0);
    out.RecordCount = c.u32(4);
    out.RecordSize = c.u32(8);
    out.RecordOffset = c.u32(12);
    out.RecordsPosition = WordOffsetToPosition(out.RecordOffset, position);
    const std::vector<uint8_t> declaration = bounded::readBytes(*file.stream, out.RecordsPosition, 4);
    out.RecordsDeclaration = index_span::code4(index_span::cursor(declaration), 0);
    return true;
}

std::string TLN_IndexManager::FrameHeaderError(const TLN_Additional_Address& at) {
    if (!valid_ || !at.Exists() || (!at.FileName.empty() && !DataFileExists(at.FileName))) return {};
    const FileContext file = contextFor(at.FileName);
    const int64_t size = file.stream->Size();
    if (kFrameHeaderLength <= size - at.DataPosition) return {};
    return ShortReadText(whole::Shortfall(*file.stream, "the management frame header", at.DataPosition,
                                          kFrameHeaderLength, size - at.DataPosition));
}

std::string TLN_IndexManager::FrameRecordsError(const TLN_Search_Frame_Header& frame, int64_t recordLength) {
    const int64_t stride = int64_t(frame.RecordSize) * 2;
    // Records closer together than their fields: only the first is read, as no layout allows more.
    if (!valid_ || stride < recordLength || frame.RecordCount == 0) return {};
    const FileContext file = contextFor(frame.Frame.FileName);
    return whole::CountRecords(*file.stream, "Number of Detailed Search Information Records",
                               frame.RecordCount, frame.RecordsPosition, recordLength, frame.StreamSize,
                               stride)
        .reason.English();
}

bool TLN_IndexManager::ReadDetailedSearchRecord(const TLN_Search_Frame_Header& frame, uint32_t i,
                                                TLN_Detailed_Info_Rec& out) {
    out = TLN_Detailed_Info_Rec{};
    FileBytes record;
    if (!readFileBytes(frame.Frame.FileName, frame.RecordPosition(i, TLN_Detailed_Info_Rec::Length),
                       TLN_Detailed_Info_Rec::Length, record))
        return false;
    const FileContext& file = record.file;
    const int64_t position = record.position;
    const BeCursor c = index_span::cursor(record.bytes);
    const bool named = frame.UsesFileAddresses;
    decodeStart(c, position, file.fileName, out);
    out.ExpansionFieldSize = c.u32(4);
    out.ExpansionFieldOffset = c.u32(8);
    out.CategoryDefinitionSize = c.u32(12);
    out.CategoryDefinitionField = c.u32(16);
    out.CategoryDataSize = c.u32(20);
    out.CategoryDataField = c.u32(24);
    out.KeyboardDesignation = index_span::code4(c, 28);
    out.CategoryParentRecordSize = c.u32(32);
    out.CategoryOptionRecordSize = c.u32(36);
    out.FirstLevelCategorySize = c.u32(40);
    out.FirstLevelOptionCount = c.u32(44);
    out.FirstLevelCategoryOffset = c.u32(48);
    out.FirstLevelKeyboardDesignation = index_span::code4(c, 52);
    out.MatchingDefinitionSize = c.u32(56);
    out.MatchingDefinitionField = c.u32(60);
    out.MatchingDataSize = c.u32(64);
    out.MatchingDataField = c.u32(68);
    out.MatchingRecordSize = c.u32(72);
    out.MatchingRecordCount = c.u32(76);
    out.DefaultPOISerialNumber = c.u32(80);
    out.NextLevelSize = c.u32(84);
    out.NextLevelField = c.u32(88);
    out.CategoryDefinition = readAddress(file, out.CategoryDefinitionField, named);
    out.CategoryData = readAddress(file, out.CategoryDataField, named);
    out.MatchingDefinition = readAddress(file, out.MatchingDefinitionField, named);
    out.MatchingData = readAddress(file, out.MatchingDataField, named);
    out.NextLevel = readAddress(file, out.NextLevelField, named);
    // The representation string follows the fixed fields when the record's stride leaves room for it.
    const int64_t stride = int64_t(frame.RecordSize) * 2;
    if (stride >= TLN_Detailed_Info_Rec::Length + 2)
        out.Representation = index_span::readRepresentation(
            *file.stream, position + TLN_Detailed_Info_Rec::Length, position + stride);
    return true;
}

bool TLN_IndexManager::ReadDetailedPOIRecord(const TLN_Search_Frame_Header& frame, uint32_t i,
                                             TLN_Detailed_POIInfo_Rec& out) {
    out = TLN_Detailed_POIInfo_Rec{};
    FileBytes record;
    if (!readFileBytes(frame.Frame.FileName, frame.RecordPosition(i, TLN_Detailed_POIInfo_Rec::Length),
                       TLN_Detailed_POIInfo_Rec::Length, record))
        return false;
    const FileContext& file = record.file;
    const BeCursor c = index_span::cursor(record.bytes);
    const bool named = frame.UsesFileAddresses;
    decodeStart(c, record.position, file.fileName, out);
    out.ExpansionFieldSize = c.u32(4);
    out.ExpansionFieldOffset = c.u32(8);
    out.DefinitionSize = c.u32(12);
    out.DefinitionField = c.u32(16);
    out.DataSize = c.u32(20);
    out.DataField = c.u32(24);
    out.RecordSize = c.u32(28);
    out.RecordCount = c.u32(32);
    out.Definition = readAddress(file, out.DefinitionField, named);
    out.Data = readAddress(file, out.DataField, named);
    return true;
}

bool TLN_IndexManager::ReadDataDefinition(const TLN_Additional_Address& at, TLN_Definition_Frame& out,
                                          int64_t frameBytes) {
    out = TLN_Definition_Frame{};
    FileBytes head;
    if (!readFileBytes(at.FileName, at.DataPosition, kFrameHeaderLength, head)) return false;
    const FileContext& file = head.file;
    const int64_t position = head.position;
    const BeCursor c = index_span::cursor(head.bytes);
    decodeStart(c, position, file.fileName, out);
    out.Name = index_span::code4(c, 4);
    out.ColumnCount = c.u32(12);

    // Columns are taken only as far as the file, and the frame when its size is known, hold them.
    int64_t end = file.stream->Size();
    if (frameBytes > 0) end = std::min(end, position + frameBytes);
    const int64_t fitting = std::max<int64_t>(0, (end - position - kFrameHeaderLength) / kColumnLength);
    const uint32_t count = uint32_t(std::min<int64_t>({int64_t(out.ColumnCount), fitting, kColumnLimit}));
    out.Truncated = count < out.ColumnCount;
    const std::vector<uint8_t> table =
        bounded::readBytes(*file.stream, position + kFrameHeaderLength, int64_t(count) * kColumnLength);
    const BeCursor columns = index_span::cursor(table);
    out.Columns.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t at16 = int64_t(i) * kColumnLength;
        if (!columns.fits(at16, kColumnLength)) {
            out.Truncated = true;
            break;
        }
        TLN_Definition_Column column;
        column.Name = index_span::code4(columns, at16);
        column.Value4 = columns.u32(at16 + 4);
        column.TypeCode = columns.fixedString(at16 + 8, 2);
        column.ElementCount = columns.u16(at16 + 10);
        column.Value12 = columns.u32(at16 + 12);
        out.Columns.push_back(std::move(column));
    }
    return true;
}

bool TLN_IndexManager::ReadCharacterInfoFrame(const TLN_Additional_Address& at,
                                              TLN_Character_Info_Frame& out) {
    out = TLN_Character_Info_Frame{};
    FileBytes head;
    if (!readFileBytes(at.FileName, at.DataPosition, kFrameHeaderLength, head)) return false;
    const FileContext& file = head.file;
    TLN_Stream& stream = *file.stream;
    const int64_t position = head.position;
    const BeCursor c = index_span::cursor(head.bytes);
    decodeStart(c, position, file.fileName, out);
    out.EntryCount = c.u32(12);

    const int64_t size = stream.Size();
    int64_t entry = position + kFrameHeaderLength;
    const int64_t fitting = std::max<int64_t>(0, (size - entry) / kShortestCharacterEntry);
    const uint32_t count =
        uint32_t(std::min<int64_t>({int64_t(out.EntryCount), fitting, kCharacterEntryLimit}));
    out.Truncated = count < out.EntryCount;
    out.Entries.reserve(count);
    // What the file does not hold of entry i.
    const auto cut = [&](uint32_t i, int64_t needed) {
        out.Truncated = true;
        out.Reason = ShortReadText(whole::Shortfall(
            stream,
            "entry " + std::to_string(i) + " of Number of character information management records " +
                std::to_string(out.EntryCount),
            entry, needed, size - entry));
    };
    for (uint32_t i = 0; i < count; ++i) {
        // Entries follow each other without padding: ID, value, type, name length L, name, word offset.
        const std::vector<uint8_t> bytes = bounded::readBytes(stream, entry, 13 + 255 + 4);
        const BeCursor e = index_span::cursor(bytes);
        const int64_t nameLength = e.u8(12);
        if (!e.fits(0, 13 + nameLength + 4)) {
            cut(i, 13 + nameLength + 4);
            break;
        }
        TLN_Character_Info_Entry item;
        item.Position = entry;
        item.ID = index_span::code4(e, 0);
        item.Value = e.u32(4);
        item.Type = index_span::code4(e, 8);
        item.Name = e.fixedString(13, nameLength);
        item.DataOffset = e.u32(13 + nameLength);
        item.Data = namedOrLocal(file, item.Type, item.Name, item.DataOffset);
        out.Entries.push_back(std::move(item));
        entry += 13 + nameLength + 4;
    }
    if (out.Reason.empty() && out.Entries.size() < out.EntryCount) {
        if (out.Entries.size() == size_t(kCharacterEntryLimit))
            out.Reason = "Number of character information management records " +
                         std::to_string(out.EntryCount) + ": only the first " +
                         std::to_string(kCharacterEntryLimit) + " are read";
        else
            cut(uint32_t(out.Entries.size()), kShortestCharacterEntry);
    }
    return true;
}

bool TLN_IndexManager::ReadRecordHeader(TLN_Stream& stream, TLN_Index_Record_Header& out, int64_t position) {
    out = TLN_Index_Record_Header{};
    const std::vector<uint8_t> bytes = bounded::readBytes(stream, position, 13);
    if (bytes.size() < 13) return false;
    const BeCursor c = index_span::cursor(bytes);
    out.Values[0] = c.u32(0);
    out.Values[1] = c.u32(4);
    out.Values[2] = c.u32(8);
    out.Flag = c.u8(12);
    return true;
}

void TLN_IndexManager::ReadKeyText(TLN_Stream& stream, int64_t position,
                                   const std::vector<TLN_Definition_Column>& columns, int& width,
                                   std::string& text) {
    width = 0;
    text.clear();
    for (const TLN_Definition_Column& column : columns) {
        int bytes = 0;
        if (column.TypeCode == "UB")
            bytes = 1;
        else if (column.TypeCode == "UW" || column.TypeCode == "WD")
            bytes = 2;
        else if (column.TypeCode == "UL" || column.TypeCode == "LG")
            bytes = 4;
        else
            break;
        // Bytes past the end of the stream read as 0, as every field read does.
        uint8_t value[4] = {0, 0, 0, 0};
        if (position >= 0) bounded::readInto(stream, position + width, value, bytes);
        char digits[3];
        for (int b = 0; b < bytes; ++b) {
            std::snprintf(digits, sizeof digits, "%02X", value[b]);
            text += digits;
        }
        width += bytes;
    }
    if (width == 0) text = "----";
}
