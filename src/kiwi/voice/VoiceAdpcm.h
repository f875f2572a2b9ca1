// The two 4-bit ADPCM forms of KIWI voice data, decoded to 16-bit PCM: CD-I sound groups (VOICEDAT)
// and 16-byte blocks (VOICE001.ME). Pure functions over bytes; the caller keeps the history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decoded PCM is capped at 32 MiB per phrase table or voice, whatever the stored sizes claim.
constexpr int64_t kMaxDecodedPcmBytes = 32LL * 1024 * 1024;

constexpr size_t kCdiGroupBytes = 128;
constexpr size_t kCdiGroupSamples = 224;
constexpr size_t kMeBlockBytes = 16;
constexpr size_t kMeBlockSamples = 30;

// The two previous unclamped filter outputs; cleared at the start of each phrase or voice.
struct AdpcmHistory {
    int64_t s1 = 0;
    int64_t s2 = 0;
};

// One sample: the signed nibble shifted by 12 - range, plus the filter's prediction from the history.
// A range above 12 would need a negative shift: its delta is 0 and only the prediction remains.
// The history keeps the unclamped value; the result is clamped to 16 bits.
int16_t DecodeAdpcmNibble(unsigned nibble, unsigned filter, unsigned range, AdpcmHistory& history);

// One 128-byte CD-I sound group: 8 sound units of 28 samples, appended to out (224 samples).
void DecodeCdiSoundGroup(const uint8_t* group, AdpcmHistory& history, std::vector<int16_t>& out);
// Every whole group of data; a remainder shorter than a group is ignored.
void DecodeCdiAdpcm(const uint8_t* data, size_t size, AdpcmHistory& history, std::vector<int16_t>& out);

// One 16-byte VOICE001.ME block: 30 samples appended to out.
void DecodeMeBlock(const uint8_t* block, AdpcmHistory& history, std::vector<int16_t>& out);
// Every whole block of data; a remainder shorter than a block is ignored.
void DecodeMeAdpcm(const uint8_t* data, size_t size, AdpcmHistory& history, std::vector<int16_t>& out);
