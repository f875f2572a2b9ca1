// TLN_VoiceManager: the reader of general-purpose voice data (VOICEDAT.KWI, STDVCE.KWI or the voice
// part of ALLDATA.KWI): languages, voice offset management records, offset tables and CD-I ADPCM phrases.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/parts/Manager.h"

class VoicePlayer;

// Voice offset management record (26 bytes).
struct TLN_Voice_Offset_Management_Record {
    int64_t Position = 0;
    TLN_PointRecord Maker;            // manufacturer identification
    uint16_t UsageIdentification = 0; // +12
    uint8_t SpeakerCode = 0;          // +14
    uint8_t ReproductionMethod = 0;   // +15
    uint16_t NumberOfVoices = 0;      // +16
    uint32_t TableWordOffset = 0;     // +18, from the base
    int64_t TablePosition = -1;       // base + 2 × TableWordOffset; -1 when none
    uint32_t TableWordSize = 0;       // +22
};

// A language block: its record count and records.
struct TLN_Voice_Language {
    int64_t Position = 0;
    uint16_t RecordCount = 0;
    bool Truncated = false; // RecordCount exceeded what the stream holds; Records has what is there
    std::string Reason;     // why, when Truncated
    std::vector<TLN_Voice_Offset_Management_Record> Records;
};

// One phrase of a voice offset table.
struct TLN_Voice_Phrase {
    uint32_t WordOffset = 0; // from the base
    int64_t Position = -1;   // -1 when none
    uint16_t WordSize = 0;
};

// Voice offset table at T.
struct TLN_Voice_Offset_Table {
    int64_t Position = 0;
    uint32_t VoiceDataId = 0;    // u32 at T
    std::string VoiceDataIdText; // the same four bytes as text
    uint16_t PhraseCount = 0;
    bool Truncated = false;
    std::vector<TLN_Voice_Phrase> Phrases;
};

// The sample rate of CD-I ADPCM voice data (mono).
constexpr uint32_t kVoiceDataSampleRate = 18900;

class TLN_VoiceManager : public TLN_Manager {
public:
    explicit TLN_VoiceManager(const std::string& fileName);
    TLN_VoiceManager(std::shared_ptr<TLN_Stream> stream, int64_t base);

    uint32_t HeaderWordSize() const { return headerWordSize_; }
    // The stored number of languages (valid below 32).
    int LanguageCount() const { return languageCount_; }
    // The language blocks that lie inside the stream (fewer than LanguageCount on a cut file).
    int AvailableLanguageCount() const { return int(languagePositions_.size()); }

    bool ReadLanguage(int i, TLN_Voice_Language& out) const;
    bool ReadOffsetTable(TLN_Voice_Offset_Table& out, int64_t position) const;
    // T + 6 + 6n: the table that follows the one at position; -1 when that table cannot be read.
    int64_t GetNextTableOffset(int64_t position) const;
    // Why the Number of Voices voice offset tables of an item cannot all be read ("" when they can): a
    // table lies past the end of the file (the ones before it can be read).
    std::string ItemError(const TLN_Voice_Offset_Management_Record& item) const;
    // Why the voice offset table at position, or a phrase it names, cannot be read whole ("" when they
    // can); one line per shortfall. Such a table has no sound.
    std::string OffsetTableError(int64_t position) const;

    // The PCM samples of every phrase of the table, one after another (history cleared per phrase).
    // truncated, when given, tells whether a phrase was cut by the stream end or the PCM cap.
    std::vector<int16_t> DecodePhrases(int64_t position, bool* truncated = nullptr) const;
    // The PCM samples of one block of data (byte position and size).
    std::vector<int16_t> DecodeVoiceData(int64_t position, int64_t size, bool* truncated = nullptr) const;

    // The WAVE image (mono, 18900 Hz) of the phrases or of one block; empty when the reader is invalid
    // or the table, a phrase or the block does not lie wholly in the file.
    std::vector<uint8_t> BuildPhrasesWave(int64_t position) const;
    std::vector<uint8_t> BuildVoiceDataWave(int64_t position, int64_t size) const;

    // Decodes and hands the WAVE image to the player; false (nothing played) when the reader is invalid
    // or the table or block cannot be read.
    bool PlayPhrases(int64_t position, VoicePlayer& player) const;
    bool PlayVoiceData(int64_t position, int64_t size, VoicePlayer& player) const;

private:
    void readHeader();
    // Appends the decoded samples of [position, position + size), clipped to the stream and the cap.
    bool appendDecoded(int64_t position, int64_t size, std::vector<int16_t>& out) const;

    uint32_t headerWordSize_ = 0;
    int languageCount_ = 0;
    std::vector<int64_t> languagePositions_;
};
