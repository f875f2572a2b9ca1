// Fixture builders for voice data: VOICEDAT.KWI (two languages, phrase tables, remainders, a range-13
// sound unit) and VOICE001.ME (entries and voices), each with the samples a reader must decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

struct VoiceDatTableManifest {
    int language = 0;
    int record = 0;
    int table = 0;         // index among the record's tables
    uint64_t position = 0; // absolute position of the voice offset table
    std::string id;        // the four bytes at the table's start
    std::vector<uint32_t> phraseBytes;
    std::vector<int16_t> samples; // every phrase decoded, one after another
};

struct VoiceDatFixture {
    std::vector<uint8_t> bytes;
    uint64_t base = 0;
    std::vector<int> recordsPerLanguage;
    std::vector<VoiceDatTableManifest> tables;
};

// A VOICEDAT.KWI image whose voice part starts at base (bytes before it are filler).
// Language 0: record 0 with two tables (phrases of 300 bytes = 2 groups + 44 ignored, and 228 bytes
// = 1 group + 100 ignored, so the remainders together exceed a group;
// then 3 groups), record 1 with one table (1 group + 2 bytes). Language 1: one record, one table with
// a 2-group phrase whose sound unit 3 of group 0 has range 13.
VoiceDatFixture buildVoiceDat(uint64_t base = 0);

struct VoiceMeManifest {
    int entry = 0;
    int voice = 0;
    uint64_t dataPosition = 0;
    uint32_t dataBytes = 0;
    uint8_t channels = 0;
    uint16_t sampleRate = 0;
    std::vector<int16_t> samples;
};

struct VoiceMeFixture {
    std::vector<uint8_t> bytes;
    uint64_t base = 0;
    std::vector<uint8_t> languageIds;
    std::vector<int> voicesPerEntry;
    std::vector<VoiceMeManifest> voices;
};

// A VOICE001.ME image at base: entry 0 with a mono 22050 Hz voice (5 blocks) and a stereo 11025 Hz
// voice (4 blocks); entry 1 with a mono 8000 Hz voice of 3 blocks + 6 bytes whose block 1 has range 14.
VoiceMeFixture buildVoiceMe(uint64_t base = 0);

} // namespace fixture

namespace fixture {

// A WAVE header as read by the tests, independently of the player's parser.
struct WaveHeader {
    std::string riff, wave, fmt, data;
    uint32_t riffSize = 0, fmtSize = 0, dataSize = 0;
    uint16_t format = 0, channels = 0, blockAlign = 0, bitsPerSample = 0, extraSize = 0;
    uint32_t sampleRate = 0, byteRate = 0;
    std::vector<int16_t> samples; // the samples after the header, as many as the data size says
};
// Reads the 46-byte header layout the voice readers write.
WaveHeader readWaveHeader(const std::vector<uint8_t>& image);

} // namespace fixture
