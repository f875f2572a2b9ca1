// Voice command dictionary: headers, language and dictionary records, groups and string entries.
#include "kiwi/parts/DicVceManager.h"

#include <QByteArray>
#include <vector>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {
constexpr int64_t kTypeEntryBytes = 12;
} // namespace

TLN_DicVceManager::TLN_DicVceManager(const std::string& fileName) : TLN_Manager(fileName) {
    if (valid_) ReadHeaders();
}

TLN_DicVceManager::TLN_DicVceManager(std::shared_ptr<TLN_Stream> stream, int64_t offset)
    : TLN_Manager(std::move(stream), offset) {
    if (valid_) ReadHeaders();
}

void TLN_DicVceManager::ReadHeaders() {
    try {
        const auto head = bounded::readRecord<kHeaderBytes>(*stream_, base_);
        if (!head.complete())
            throw EShortRead(whole::Shortfall(*stream_, "the voice command dictionary distribution header",
                                              base_, kHeaderBytes, head.delivered));
        const BeCursor c = head.cursor();
        header_.UserClassification = bounded::pointRecord(c, 0);
        header_.DataFrameSize = int64_t(c.u32(12)) * 2;
        header_.HeaderSize = int64_t(c.u32(16)) * 2;
        header_.PhonemeFramePosition = WordOffsetToPosition(c.u32(20), base_);
        header_.PhonemeHeaderSize = int64_t(c.u32(24)) * 2;
        header_.PhonemeFrameSize = int64_t(c.u32(28)) * 2;
        header_.TextFramePosition = WordOffsetToPosition(c.u32(32), base_);
        header_.NumberOfTextRecords = c.u32(36);
        header_.TextFrameSize = int64_t(c.u32(40)) * 2;
        header_.ExtendedFramePosition = WordOffsetToPosition(c.u32(44), base_);
        header_.ExtendedFrameSize = int64_t(c.u32(48)) * 2;
        valid_ = header_.HeaderSize == kHeaderBytes;
        if (!valid_) return;

        const int64_t p = header_.PhonemeFramePosition;
        const auto phoneme = bounded::readRecord<24>(*stream_, p);
        const BeCursor h = phoneme.cursor();
        phonemeHeader_.Size = int64_t(h.u32(0)) * 2;
        phonemeHeader_.NumberOfLanguages = h.u16(4);
        phonemeHeader_.LanguageRecordSize = int64_t(h.u16(6)) * 2;
        phonemeHeader_.PhonemeExtensionPosition = WordOffsetToPosition(h.u32(8), p);
        phonemeHeader_.PhonemeExtensionSize = int64_t(h.u32(12)) * 2;
        phonemeHeader_.LanguageExtensionPosition = WordOffsetToPosition(h.u32(16), p);
        phonemeHeader_.LanguageExtensionSize = int64_t(h.u32(20)) * 2;
        valid_ = phonemeHeader_.NumberOfLanguages <= kMaxLanguages;
        if (p >= 0 && !phoneme.complete())
            noteDamage(whole::Reason(*stream_, "the phoneme data frame header", p, 24, phoneme.delivered));
        // The language records past the end of the file are not read; the view says how many are missing.
        const int64_t stride = phonemeHeader_.LanguageRecordSize;
        if (p >= 0)
            noteDamage(whole::CountRecords(*stream_, "Number of Language Management Records",
                                           phonemeHeader_.NumberOfLanguages, p + 24, stride > 44 ? 46 : 44,
                                           stream_->Size(), stride)
                           .reason);

        const auto text = bounded::readRecord<8>(*stream_, header_.TextFramePosition);
        textHeader_.Size = int64_t(text.cursor().u32(0)) * 2;
        textHeader_.NumberOfPages = text.cursor().u32(4);
        if (header_.TextFramePosition >= 0 && !text.complete())
            noteDamage(whole::Reason(*stream_, "the text data frame header", header_.TextFramePosition, 8,
                                     text.delivered));
    } catch (const KiwiError& error) {
        fail(error);
    }
}

bool TLN_DicVceManager::ReadLanguageRecord(int language, int64_t recordSize,
                                           TLN_DicVceLangRec& record) const {
    record = {};
    const int64_t p = header_.PhonemeFramePosition;
    if (!valid_ || p < 0 || language < 0 || language >= phonemeHeader_.NumberOfLanguages || recordSize < 0)
        return false;
    const int64_t position = p + 24 + language * recordSize;
    const auto bytes = bounded::readRecord<46>(*stream_, position);
    const BeCursor c = bytes.cursor();
    // Records longer than 44 bytes carry two more bytes after the toponym.
    const int64_t shift = recordSize > 44 ? 2 : 0;
    record.Position = position;
    record.UserClassification = bounded::pointRecord(c, 0);
    record.Toponym = c.fixedString(12, 3);
    record.DictionaryFramePosition = WordOffsetToPosition(c.u32(16 + shift), p);
    record.DictionaryHeaderSize = int64_t(c.u32(20 + shift)) * 2;
    record.DictionaryFrameSize = int64_t(c.u32(24 + shift)) * 2;
    record.VoiceRecognitionPosition = WordOffsetToPosition(c.u32(28 + shift), p);
    record.VoiceRecognitionSize = int64_t(c.u32(32 + shift)) * 2;
    record.RecordID = c.u32(36 + shift);
    record.RecordCode = c.u32(40 + shift);
    return bytes.delivered >= 44 + shift;
}

bool TLN_DicVceManager::ReadDictionaryInfoRecord(int64_t position, TLN_DictionaryRecordHeader& record) const {
    record = {};
    record.Position = position;
    const auto head = bounded::readRecord<28>(*stream_, position);
    const BeCursor c = head.cursor();
    record.Size = int64_t(c.u32(0)) * 2;
    record.ExtensionAPosition = WordOffsetToPosition(c.u32(4), position);
    record.ExtensionASize = int64_t(c.u32(8)) * 2;
    record.ExtensionBPosition = WordOffsetToPosition(c.u32(12), position);
    record.ExtensionBSize = int64_t(c.u32(16)) * 2;
    record.DataTypeCode = c.u32(20);
    record.NumberOfTypes = c.u32(24);
    if (!head.complete()) return false;
    // More types than the format allows: none listed, and the record says why.
    if (record.NumberOfTypes > kMaxTypes) {
        record.Error = Failure::Words("Number of Dictionary Items " + std::to_string(record.NumberOfTypes) +
                                      " (at most " + std::to_string(kMaxTypes) + ")");
        return true;
    }

    const int64_t n = record.NumberOfTypes;
    const int64_t bytes = 4 * n + kTypeEntryBytes * n;
    std::vector<uint8_t> list(static_cast<size_t>(bytes));
    const int64_t delivered = bytes > 0 ? bounded::readInto(*stream_, position + 28, list.data(), bytes) : 0;
    if (delivered != bytes) {
        record.Error = whole::Short(*stream_, "Number of Dictionary Items " + std::to_string(n),
                                    position + 28, bytes, delivered, true);
        return false;
    }
    const BeCursor l(list.data(), list.size());
    for (int64_t i = 0; i < n; ++i) {
        TLN_DictionaryType type;
        type.Name = l.fixedString(4 * i, 4);
        const int64_t entry = 4 * n + kTypeEntryBytes * i;
        type.DataPosition = WordOffsetToPosition(l.u32(entry), position);
        type.DataHeaderSize = int64_t(l.u32(entry + 4)) * 2;
        type.DataSize = int64_t(l.u32(entry + 8)) * 2;
        record.Types.push_back(type);
    }
    return true;
}

bool TLN_DicVceManager::ReadDictionaryHeader(int64_t position, TLN_DictionaryHeader& record) const {
    record = {};
    record.Position = position;
    const auto head = bounded::readRecord<12>(*stream_, position);
    const BeCursor c = head.cursor();
    record.Size = int64_t(c.u32(0)) * 2;
    record.NumberOfGroups = c.u32(4);
    record.DataTypeCode = c.u32(8);
    if (!head.complete()) return false;
    // Identifiers and offsets are two lists of c entries: both must be in the stream for a group to count.
    const int64_t streamSize = stream_->Size();
    const int64_t c64 = record.NumberOfGroups;
    const int64_t identifiers =
        bounded::recordsThatFit(record.NumberOfGroups, position + 12, 4, 4, streamSize);
    const int64_t offsets =
        bounded::recordsThatFit(record.NumberOfGroups, position + 12 + 4 * c64, 4, 4, streamSize);
    record.ReadableGroups = std::min(identifiers, offsets);
    // The identifiers and the offsets: 8 bytes a group, as far as the file holds them.
    if (record.ReadableGroups < c64)
        record.Error =
            whole::Short(*stream_, "Number of Groups " + std::to_string(c64), position + 12, 8 * c64,
                         std::clamp<int64_t>(streamSize - position - 12, 0, 8 * c64), true);
    const auto size = bounded::readRecord<4>(*stream_, position + 12 + 8 * c64);
    if (size.complete()) record.InfoDataSize = int64_t(size.cursor().u32(0)) * 2;
    return true;
}

bool TLN_DicVceManager::GetGroupOffset(int64_t headerPosition, int64_t group,
                                       TLN_DictionaryGroupOffset& offset) const {
    offset = {};
    TLN_DictionaryHeader header;
    if (!ReadDictionaryHeader(headerPosition, header) || group < 0 || group >= header.ReadableGroups)
        return false;
    const auto identifier = bounded::readRecord<4>(*stream_, headerPosition + 12 + 4 * group);
    const auto position = bounded::readRecord<4>(
        *stream_, headerPosition + 12 + 4 * int64_t(header.NumberOfGroups) + 4 * group);
    offset.Identifier = identifier.cursor().u32(0);
    offset.Position = WordOffsetToPosition(position.cursor().u32(0), headerPosition);
    return identifier.complete() && position.complete();
}

bool TLN_DicVceManager::ReadGroupData(int64_t position, TLN_DictionaryGroupData& record) const {
    record = {};
    record.Position = position;
    const auto bytes = bounded::readRecord<48>(*stream_, position);
    const BeCursor c = bytes.cursor();
    record.Size = int64_t(c.u32(0)) * 2;
    record.TypeName = c.fixedString(4, 4);
    record.GroupID = c.u32(8);
    record.TextPageID = c.u32(24);
    record.StringEntryListPosition = WordOffsetToPosition(c.u32(28), position);
    record.NumberOfItems = c.u32(32);
    record.PhoneticDataPosition = position < 0 ? -1 : WordOffsetToPosition(c.u32(40), position + 8);
    record.PhoneticDataSize = int64_t(c.u32(44)) * 2 - 8;
    return bytes.complete();
}

int64_t TLN_DicVceManager::GetStringEntryOffset(uint32_t page) const {
    const int64_t x = header_.TextFramePosition;
    // Pages count from 1: page 0 names no page.
    if (!valid_ || x < 0 || page == 0 || page > textHeader_.NumberOfPages) return -1;
    const auto entry = bounded::readRecord<4>(*stream_, x + 8 + 16 * (int64_t(page) - 1));
    if (!entry.complete()) return -1;
    return WordOffsetToPosition(entry.cursor().u32(0), x);
}

int64_t TLN_DicVceManager::StringEntryCount(const TLN_DictionaryGroupData& group) const {
    return bounded::recordsThatFit(group.NumberOfItems, group.StringEntryListPosition, 4, 4, stream_->Size());
}

std::string TLN_DicVceManager::StringEntryShortfall(const TLN_DictionaryGroupData& group) const {
    return whole::CountRecords(*stream_, "Number of Items", group.NumberOfItems,
                               group.StringEntryListPosition, 4, stream_->Size())
        .reason.English();
}

TLN_PartText TLN_DicVceManager::ReadStringEntry(const TLN_DictionaryGroupData& group, int64_t item) const {
    const int64_t page = GetStringEntryOffset(group.TextPageID);
    if (page < 0 || item < 0 || item >= StringEntryCount(group)) return {};
    const auto offset = bounded::readRecord<4>(*stream_, group.StringEntryListPosition + 4 * item);
    const int64_t entry = WordOffsetToPosition(offset.cursor().u32(0), page);
    const auto count = bounded::readRecord<2>(*stream_, entry);
    TLN_PartText cut;
    if (entry >= 0 && !count.complete())
        cut.Error = whole::Short(*stream_, "string entry " + std::to_string(item), entry, 2, count.delivered);
    if (entry < 0 || !count.complete()) return cut;
    const int units = std::min<int>(count.cursor().u16(0), kMaxEntryUnits);
    uint8_t buffer[2 * kMaxEntryUnits];
    // Only the bytes the stream delivers take part; the text is clamped to them, and says so.
    const int64_t delivered = bounded::readInto(*stream_, entry, buffer, 2 * int64_t(units));
    if (delivered < 2 * int64_t(units))
        cut.Error = whole::Short(*stream_, "string entry " + std::to_string(item), entry, 2 * int64_t(units),
                                 delivered);
    for (int j = 1; j <= units - 2; ++j) {
        if (2 * j + 1 >= delivered) break;
        if (buffer[2 * j] != 0x45 || buffer[2 * j + 1] != 0x4E) continue;
        const int64_t start = 2 * int64_t(j) + 4;
        const int64_t length = 2 * int64_t(2 * j + 2 < delivered ? buffer[2 * j + 2] : 0);
        const int64_t end = std::min(start + length, delivered);
        TLN_PartText text = DecodePartText(
            end <= start ? QByteArray()
                         : QByteArray(reinterpret_cast<const char*>(buffer + start), qsizetype(end - start)));
        text.Error = cut.Error;
        return text;
    }
    return cut;
}
