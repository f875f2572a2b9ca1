// Reads VOICE001.ME and decodes its ADPCM voices.
#include "kiwi/voice/VoiceMe1Manager.h"

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
constexpr int kMaxEntries = 31;
constexpr int64_t kEntryBytes = 64;
constexpr int64_t kVoiceRecordBytes = 18;
constexpr int64_t kBlocksPerRead = 4096;
constexpr size_t kMaxDecodedSamples = size_t(kMaxDecodedPcmBytes / 2);
} // namespace

TLN_VoiceMe1Manager::TLN_VoiceMe1Manager(const std::string& fileName) : TLN_Manager(fileName) {
    readHeader();
}

TLN_VoiceMe1Manager::TLN_VoiceMe1Manager(std::shared_ptr<TLN_Stream> stream, int64_t base)
    : TLN_Manager(std::move(stream), base) {
    readHeader();
}

void TLN_VoiceMe1Manager::readHeader() {
    if (!valid_) return;
    try {
        TLN_Stream& stream = *stream_;
        const int64_t size = stream.Size();
        if (base_ + 2 > size) {
            fail(EShortRead(
                whole::Shortfall(stream, "Voice Distribution Header Size", base_, 2, size - base_)));
            return;
        }
        headerWordSize_ = ReadWordBE(stream, base_);
        const int64_t headerBytes = int64_t(headerWordSize_) * 2;
        // The entry table is the header: a header the file does not hold whole is no header.
        if (headerBytes > size - base_) {
            fail(EShortRead(
                whole::Shortfall(stream, "the voice distribution header", base_, headerBytes, size - base_)));
            return;
        }
        const int64_t count = headerBytes >= 2 ? (headerBytes - 2) / kEntryBytes : 0;
        if (count > kMaxEntries) {
            valid_ = false;
            return;
        }
        for (int64_t i = 0; i < count; ++i) {
            TLN_VoiceMe1_Entry entry;
            entry.Position = base_ + 2 + i * kEntryBytes;
            if (entry.Position + kEntryBytes > size) {
                entriesTruncated_ = true;
                break;
            }
            entry.LanguageId = ReadByteAt(stream, entry.Position);
            entry.VoiceId = ReadByteAt(stream, entry.Position + 1);
            for (int t = 0; t < 4; ++t) {
                TLN_VoiceMe1_Table& table = entry.Tables[t];
                table.WordOffset = ReadDWordBE(stream, entry.Position + 2 + 8 * t);
                table.Position = WordOffsetToPosition(table.WordOffset, base_);
                table.WordSize = ReadDWordBE(stream, entry.Position + 6 + 8 * t);
            }
            entries_.push_back(entry);
        }
    } catch (const KiwiError& error) {
        fail(error);
    }
}

bool TLN_VoiceMe1Manager::ReadEntry(int entry, TLN_VoiceMe1_Entry& out) const {
    if (!valid_ || entry < 0 || entry >= int(entries_.size())) return false;
    out = entries_[size_t(entry)];
    return true;
}

TLN_VoiceMe1Manager::VoiceCounts TLN_VoiceMe1Manager::voiceCounts(int entry) const {
    VoiceCounts counts;
    TLN_VoiceMe1_Entry e;
    if (!ReadEntry(entry, e)) return counts;
    counts.table = e.Tables[0].Position;
    const int64_t size = stream_->Size();
    if (counts.table < 0) return counts;
    if (counts.table + 2 > size) {
        counts.reason = ShortReadText(
            whole::Shortfall(*stream_, "the voice count", counts.table, 2, size - counts.table));
        return counts;
    }
    counts.stored = ReadWordBE(*stream_, counts.table);
    const whole::Counted counted =
        whole::CountRecords(*stream_, "Number of General-purpose Voice Records", uint64_t(counts.stored),
                            counts.table + 2, kVoiceRecordBytes, size);
    counts.readable = int(counted.readable);
    counts.reason = counted.reason.English();
    return counts;
}

int TLN_VoiceMe1Manager::GetVoiceCount(int entry) const {
    return voiceCounts(entry).readable;
}

int TLN_VoiceMe1Manager::StoredVoiceCount(int entry) const {
    return voiceCounts(entry).stored;
}

std::string TLN_VoiceMe1Manager::VoiceCountError(int entry) const {
    return voiceCounts(entry).reason;
}

std::string TLN_VoiceMe1Manager::VoiceDataError(int entry, int voice) const {
    TLN_VoiceMe1_Voice_Header header;
    if (!ReadVoiceHeader(entry, voice, header)) return {};
    const int64_t bytes = int64_t(header.DataWordSize) * 2;
    const int64_t size = stream_->Size();
    if (bytes == 0 || (header.DataPosition >= 0 && bytes <= size - header.DataPosition)) return {};
    return ShortReadText(whole::Shortfall(*stream_, "the voice data", header.DataPosition, bytes,
                                          header.DataPosition < 0 ? 0 : size - header.DataPosition));
}

bool TLN_VoiceMe1Manager::ReadVoiceHeader(int entry, int voice, TLN_VoiceMe1_Voice_Header& out) const {
    TLN_VoiceMe1_Entry e;
    if (!ReadEntry(entry, e) || voice < 0 || voice >= GetVoiceCount(entry)) return false;
    TLN_Stream& stream = *stream_;
    out = {};
    out.Position = e.Tables[0].Position + 2 + voice * kVoiceRecordBytes;
    out.LanguageId = ReadWordBE(stream, out.Position);
    out.VoiceDataId = ReadDWordBE(stream, out.Position + 2);
    out.DataWordOffset = ReadDWordBE(stream, out.Position + 6);
    out.DataWordSize = ReadDWordBE(stream, out.Position + 10);
    out.ReproductionMethod = ReadByteAt(stream, out.Position + 14);
    out.Channels = ReadByteAt(stream, out.Position + 15);
    out.SampleRate = ReadWordBE(stream, out.Position + 16);
    const int64_t dataTable = e.Tables[3].Position;
    out.DataPosition = dataTable < 0 ? -1 : WordOffsetToPosition(out.DataWordOffset, dataTable);
    return true;
}

std::vector<int16_t> TLN_VoiceMe1Manager::DecodeVoiceSamples(int entry, int voice, bool* truncated) const {
    std::vector<int16_t> samples;
    TLN_VoiceMe1_Voice_Header header;
    bool complete = false;
    if (ReadVoiceHeader(entry, voice, header) && header.DataPosition >= 0) {
        const int64_t size = int64_t(header.DataWordSize) * 2;
        const int64_t available = std::max<int64_t>(0, stream_->Size() - header.DataPosition);
        complete = available >= size;
        int64_t blocks = std::min(size, available) / int64_t(kMeBlockBytes);
        const int64_t room = int64_t(kMaxDecodedSamples / kMeBlockSamples);
        if (blocks > room) {
            blocks = room;
            complete = false;
        }
        samples.reserve(size_t(blocks) * kMeBlockSamples);
        AdpcmHistory history; // cleared for every voice
        std::vector<uint8_t> buffer;
        for (int64_t done = 0; done < blocks;) {
            const int64_t step = std::min(kBlocksPerRead, blocks - done);
            buffer.resize(size_t(step) * kMeBlockBytes);
            const int64_t at = header.DataPosition + done * int64_t(kMeBlockBytes);
            const int64_t delivered = bounded::readInto(*stream_, at, buffer.data(), int64_t(buffer.size()));
            DecodeMeAdpcm(buffer.data(), size_t(std::max<int64_t>(delivered, 0)), history, samples);
            if (delivered < int64_t(buffer.size())) {
                complete = false;
                break;
            }
            done += step;
        }
    }
    if (truncated) *truncated = !complete;
    return samples;
}

std::vector<uint8_t> TLN_VoiceMe1Manager::BuildVoiceWave(int entry, int voice) const {
    TLN_VoiceMe1_Voice_Header header;
    if (!ReadVoiceHeader(entry, voice, header) || !VoiceDataError(entry, voice).empty()) return {};
    return BuildWaveImage(DecodeVoiceSamples(entry, voice), header.Channels, header.SampleRate);
}

bool TLN_VoiceMe1Manager::DecodeVoice(int entry, int voice, TLN_Stream& output) const {
    const std::vector<uint8_t> image = BuildVoiceWave(entry, voice);
    if (image.empty()) return false;
    output.Write(image.data(), int64_t(image.size()));
    return true;
}

bool TLN_VoiceMe1Manager::PlayVoice(int entry, int voice, VoicePlayer& player) const {
    std::vector<uint8_t> image = BuildVoiceWave(entry, voice);
    if (image.empty()) return false;
    player.play(std::move(image));
    return true;
}
