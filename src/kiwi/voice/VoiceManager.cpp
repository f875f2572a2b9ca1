// Reads general-purpose voice data and decodes its CD-I ADPCM phrases.
#include "kiwi/voice/VoiceManager.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BigEndianIO.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"
#include "kiwi/voice/VoiceAdpcm.h"
#include "kiwi/voice/WaveImage.h"
#include "platform/VoicePlayer.h"

namespace {
constexpr int kMaxLanguages = 31;
constexpr int64_t kManagementRecordBytes = 26;
constexpr int64_t kPhraseEntryBytes = 6;
// Phrase data is read and decoded this many sound groups at a time.
constexpr int64_t kGroupsPerRead = 512;
constexpr size_t kMaxDecodedSamples = size_t(kMaxDecodedPcmBytes / 2);
} // namespace

TLN_VoiceManager::TLN_VoiceManager(const std::string& fileName) : TLN_Manager(fileName) {
    readHeader();
}

TLN_VoiceManager::TLN_VoiceManager(std::shared_ptr<TLN_Stream> stream, int64_t base)
    : TLN_Manager(std::move(stream), base) {
    readHeader();
}

void TLN_VoiceManager::readHeader() {
    if (!valid_) return;
    try {
        TLN_Stream& stream = *stream_;
        const int64_t size = stream.Size();
        if (base_ + 6 > size) {
            fail(KiwiError(
                HeaderShortFailure("the voice distribution header", 6, std::max<int64_t>(size - base_, 0))));
            return;
        }
        headerWordSize_ = ReadDWordBE(stream, base_);
        languageCount_ = ReadWordBE(stream, base_ + 4);
        // The header's own size (its language blocks included) past the end: the file is cut.
        if (base_ + int64_t(headerWordSize_) * 2 > size) {
            fail(KiwiError(HeaderShortFailure("the voice distribution header", int64_t(headerWordSize_) * 2,
                                              size - base_)));
            return;
        }
        if (languageCount_ > kMaxLanguages) {
            valid_ = false;
            return;
        }
        // Each language block is found by skipping the ones before it; their positions are kept.
        int64_t position = base_ + 6;
        for (int i = 0; i < languageCount_ && position + 2 <= size; ++i) {
            languagePositions_.push_back(position);
            position += 2 + kManagementRecordBytes * ReadWordBE(stream, position);
        }
    } catch (const KiwiError& error) {
        fail(error);
    }
}

bool TLN_VoiceManager::ReadLanguage(int i, TLN_Voice_Language& out) const {
    if (!valid_ || i < 0 || i >= int(languagePositions_.size())) return false;
    TLN_Stream& stream = *stream_;
    const int64_t size = stream.Size();
    out = {};
    out.Position = languagePositions_[size_t(i)];
    out.RecordCount = ReadWordBE(stream, out.Position);
    // A file that shrank since it was opened leaves no room at all: no records, not a negative count.
    const whole::Counted counted =
        whole::CountRecords(stream, "Number of General-purpose Voice Offset Management Records",
                            out.RecordCount, out.Position + 2, kManagementRecordBytes, size);
    const int64_t count = counted.readable;
    out.Truncated = !counted.Whole();
    out.Reason = counted.reason.English();
    out.Records.reserve(size_t(count));
    for (int64_t k = 0; k < count; ++k) {
        TLN_Voice_Offset_Management_Record record;
        record.Position = out.Position + 2 + k * kManagementRecordBytes;
        record.Maker = ReadPointRecord(stream, record.Position);
        record.UsageIdentification = ReadWordBE(stream, record.Position + 12);
        record.SpeakerCode = ReadByteAt(stream, record.Position + 14);
        record.ReproductionMethod = ReadByteAt(stream, record.Position + 15);
        record.NumberOfVoices = ReadWordBE(stream, record.Position + 16);
        record.TableWordOffset = ReadDWordBE(stream, record.Position + 18);
        record.TablePosition = WordOffsetToPosition(record.TableWordOffset, base_);
        record.TableWordSize = ReadDWordBE(stream, record.Position + 22);
        out.Records.push_back(record);
    }
    return true;
}

bool TLN_VoiceManager::ReadOffsetTable(TLN_Voice_Offset_Table& out, int64_t position) const {
    if (!valid_ || position < 0) return false;
    TLN_Stream& stream = *stream_;
    const int64_t size = stream.Size();
    if (position + 6 > size) return false;
    out = {};
    out.Position = position;
    out.VoiceDataId = ReadDWordBE(stream, position);
    out.VoiceDataIdText = ReadFixedString(stream, position, 4);
    out.PhraseCount = ReadWordBE(stream, position + 4);
    const int64_t fits = (size - position - 6) / kPhraseEntryBytes;
    const int64_t count = std::min<int64_t>(out.PhraseCount, fits);
    out.Truncated = count < out.PhraseCount;
    out.Phrases.reserve(size_t(count));
    for (int64_t k = 0; k < count; ++k) {
        const int64_t at = position + 6 + k * kPhraseEntryBytes;
        TLN_Voice_Phrase phrase;
        phrase.WordOffset = ReadDWordBE(stream, at);
        phrase.Position = WordOffsetToPosition(phrase.WordOffset, base_);
        phrase.WordSize = ReadWordBE(stream, at + 4);
        out.Phrases.push_back(phrase);
    }
    return true;
}

int64_t TLN_VoiceManager::GetNextTableOffset(int64_t position) const {
    if (!valid_ || position < 0 || position + 6 > stream_->Size()) return -1;
    return position + 6 + kPhraseEntryBytes * ReadWordBE(*stream_, position + 4);
}

std::string TLN_VoiceManager::ItemError(const TLN_Voice_Offset_Management_Record& item) const {
    if (!valid_ || item.TablePosition < 0) return {};
    const int64_t size = stream_->Size();
    int64_t position = item.TablePosition;
    for (int r = 0; r < item.NumberOfVoices; ++r) {
        const int64_t next = GetNextTableOffset(position);
        if (next < 0)
            return ShortReadText(whole::Shortfall(*stream_,
                                                  "the voice offset table of voice " + std::to_string(r) +
                                                      " of Number of Voices " +
                                                      std::to_string(item.NumberOfVoices),
                                                  position, 6, size - position));
        position = next;
    }
    return {};
}

std::string TLN_VoiceManager::OffsetTableError(int64_t position) const {
    if (!valid_) return {};
    const int64_t size = stream_->Size();
    TLN_Voice_Offset_Table table;
    if (!ReadOffsetTable(table, position))
        return ShortReadText(
            whole::Shortfall(*stream_, "the voice offset table", position, 6, size - position));
    std::string why = whole::CountRecords(*stream_, "Number of Composition Phrases", table.PhraseCount,
                                          position + 6, kPhraseEntryBytes, size)
                          .reason.English();
    for (size_t k = 0; k < table.Phrases.size(); ++k) {
        const TLN_Voice_Phrase& phrase = table.Phrases[k];
        const int64_t bytes = int64_t(phrase.WordSize) * 2;
        if (bytes == 0 || (phrase.Position >= 0 && bytes <= size - phrase.Position)) continue;
        if (!why.empty()) why += '\n';
        why += ShortReadText(whole::Shortfall(*stream_, "the voice data of phrase " + std::to_string(k),
                                              phrase.Position, bytes,
                                              phrase.Position < 0 ? 0 : size - phrase.Position));
    }
    return why;
}

bool TLN_VoiceManager::appendDecoded(int64_t position, int64_t size, std::vector<int16_t>& out) const {
    if (size <= 0) return true;
    if (position < 0) return false;
    const int64_t available = stream_->Size() - position;
    bool complete = available >= size;
    const int64_t bytes = std::max<int64_t>(0, std::min(size, available));
    int64_t groups = bytes / int64_t(kCdiGroupBytes);
    const int64_t room =
        int64_t((kMaxDecodedSamples - std::min(out.size(), kMaxDecodedSamples)) / kCdiGroupSamples);
    if (groups > room) {
        groups = room;
        complete = false;
    }
    AdpcmHistory history; // cleared for every phrase and block
    std::vector<uint8_t> buffer;
    for (int64_t done = 0; done < groups;) {
        const int64_t step = std::min(kGroupsPerRead, groups - done);
        buffer.resize(size_t(step) * kCdiGroupBytes);
        const int64_t at = position + done * int64_t(kCdiGroupBytes);
        const int64_t delivered = bounded::readInto(*stream_, at, buffer.data(), int64_t(buffer.size()));
        if (delivered < int64_t(buffer.size())) complete = false;
        DecodeCdiAdpcm(buffer.data(), size_t(std::max<int64_t>(delivered, 0)), history, out);
        if (delivered < int64_t(buffer.size())) break;
        done += step;
    }
    return complete;
}

std::vector<int16_t> TLN_VoiceManager::DecodePhrases(int64_t position, bool* truncated) const {
    std::vector<int16_t> samples;
    bool complete = true;
    TLN_Voice_Offset_Table table;
    if (ReadOffsetTable(table, position)) {
        complete = !table.Truncated;
        for (const TLN_Voice_Phrase& phrase : table.Phrases)
            complete = appendDecoded(phrase.Position, int64_t(phrase.WordSize) * 2, samples) && complete;
    } else {
        complete = false;
    }
    if (truncated) *truncated = !complete;
    return samples;
}

std::vector<int16_t> TLN_VoiceManager::DecodeVoiceData(int64_t position, int64_t size,
                                                       bool* truncated) const {
    std::vector<int16_t> samples;
    const bool complete = valid_ && appendDecoded(position, size, samples);
    if (truncated) *truncated = !complete;
    return samples;
}

std::vector<uint8_t> TLN_VoiceManager::BuildPhrasesWave(int64_t position) const {
    TLN_Voice_Offset_Table table;
    // A sound the file does not hold whole is no sound: never a header with nothing after it.
    if (!ReadOffsetTable(table, position) || !OffsetTableError(position).empty()) return {};
    return BuildWaveImage(DecodePhrases(position), 1, kVoiceDataSampleRate);
}

std::vector<uint8_t> TLN_VoiceManager::BuildVoiceDataWave(int64_t position, int64_t size) const {
    if (!valid_ || position < 0 || size <= 0 || size > stream_->Size() - position) return {};
    return BuildWaveImage(DecodeVoiceData(position, size), 1, kVoiceDataSampleRate);
}

bool TLN_VoiceManager::PlayPhrases(int64_t position, VoicePlayer& player) const {
    std::vector<uint8_t> image = BuildPhrasesWave(position);
    if (image.empty()) return false;
    player.play(std::move(image));
    return true;
}

bool TLN_VoiceManager::PlayVoiceData(int64_t position, int64_t size, VoicePlayer& player) const {
    std::vector<uint8_t> image = BuildVoiceDataWave(position, size);
    if (image.empty()) return false;
    player.play(std::move(image));
    return true;
}
