// TLN_VoiceMe1Manager: the reader of VOICE001.ME voice data: entries per language and voice, voice
// records and their 16-byte ADPCM blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/parts/Manager.h"

class VoicePlayer;

// One of the four tables an entry addresses.
struct TLN_VoiceMe1_Table {
    uint32_t WordOffset = 0; // from the base
    int64_t Position = -1;   // -1 when none
    uint32_t WordSize = 0;
};

// An entry of the entry table (64 bytes): language and voice ID, then four {word offset, word size}.
// The first table holds the voice records, the fourth the voice data.
struct TLN_VoiceMe1_Entry {
    int64_t Position = 0;
    uint8_t LanguageId = 0;
    uint8_t VoiceId = 0;
    TLN_VoiceMe1_Table Tables[4];
};

// Voice record (18 bytes).
struct TLN_VoiceMe1_Voice_Header {
    int64_t Position = 0;
    uint16_t LanguageId = 0;
    uint32_t VoiceDataId = 0;
    uint32_t DataWordOffset = 0; // from the entry's fourth table
    int64_t DataPosition = -1;   // -1 when none
    uint32_t DataWordSize = 0;
    uint8_t ReproductionMethod = 0;
    uint8_t Channels = 0;
    uint16_t SampleRate = 0;
};

class TLN_VoiceMe1Manager : public TLN_Manager {
public:
    explicit TLN_VoiceMe1Manager(const std::string& fileName);
    TLN_VoiceMe1Manager(std::shared_ptr<TLN_Stream> stream, int64_t base);

    uint16_t HeaderWordSize() const { return headerWordSize_; }
    // (header bytes - 2) div 64 (valid below 32), cut to the entries that lie inside the stream.
    int EntryCount() const { return int(entries_.size()); }
    bool EntriesTruncated() const { return entriesTruncated_; }
    bool ReadEntry(int entry, TLN_VoiceMe1_Entry& out) const;

    // The stored voice count of the entry, cut to the records the stream holds; 0 for a bad entry.
    int GetVoiceCount(int entry) const;
    // The voice count as stored (0 for a bad entry or a count the file does not hold).
    int StoredVoiceCount(int entry) const;
    // Why the entry's voice records cannot all be read ("" when they can).
    std::string VoiceCountError(int entry) const;
    // Why the voice's data does not lie wholly in the file ("" when it does). Such a voice has no sound.
    std::string VoiceDataError(int entry, int voice) const;
    bool ReadVoiceHeader(int entry, int voice, TLN_VoiceMe1_Voice_Header& out) const;

    // The PCM samples of the voice (history cleared at its start), cut to the stream and the PCM cap.
    std::vector<int16_t> DecodeVoiceSamples(int entry, int voice, bool* truncated = nullptr) const;
    // Writes the voice's WAVE image (channels and rate from the voice record) to output at its
    // position; false when the voice cannot be read.
    bool DecodeVoice(int entry, int voice, TLN_Stream& output) const;
    // The same image in memory; empty when the voice or its data cannot be read whole.
    std::vector<uint8_t> BuildVoiceWave(int entry, int voice) const;
    bool PlayVoice(int entry, int voice, VoicePlayer& player) const;

private:
    void readHeader();
    // The stored voice count of the entry with how many of its records the file holds.
    struct VoiceCounts {
        int64_t table = -1;
        int stored = 0;
        int readable = 0;
        std::string reason;
    };
    VoiceCounts voiceCounts(int entry) const;

    uint16_t headerWordSize_ = 0;
    bool entriesTruncated_ = false;
    std::vector<TLN_VoiceMe1_Entry> entries_;
};
