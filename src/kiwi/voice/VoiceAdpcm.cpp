// CD-ROM XA style ADPCM decoding for KIWI voice data.
#include "kiwi/voice/VoiceAdpcm.h"

#include <algorithm>

namespace {
// The CD-ROM XA filter coefficients, in 1/64.
constexpr int kFilterK0[4] = {0, 60, 115, 98};
constexpr int kFilterK1[4] = {0, 0, 52, 55};
} // namespace

int16_t DecodeAdpcmNibble(unsigned nibble, unsigned filter, unsigned range, AdpcmHistory& history) {
    const int value = int(nibble & 15) >= 8 ? int(nibble & 15) - 16 : int(nibble & 15);
    // value × 2^shift lies in -32768..28672 for shifts 0..12, so it always fits 16 bits.
    const int64_t delta = range <= 12 ? int64_t(int16_t(value * (1 << (12 - range)))) : 0;
    const unsigned f = filter & 3;
    // Truncating division, as the format defines it (not an arithmetic shift).
    const int64_t s = delta + (kFilterK0[f] * history.s1) / 64 - (kFilterK1[f] * history.s2) / 64;
    history.s2 = history.s1;
    history.s1 = s;
    return int16_t(std::clamp<int64_t>(s, -32768, 32767));
}

void DecodeCdiSoundGroup(const uint8_t* group, AdpcmHistory& history, std::vector<int16_t>& out) {
    for (unsigned unit = 0; unit < 8; ++unit) {
        const uint8_t parameter = group[4 + unit];
        const unsigned filter = (parameter >> 4) & 3;
        const unsigned range = parameter & 15;
        for (unsigned row = 0; row < 28; ++row) {
            const uint8_t byte = group[16 + 4 * row + unit / 2];
            const unsigned nibble = (unit & 1) ? byte >> 4 : byte & 15;
            out.push_back(DecodeAdpcmNibble(nibble, filter, range, history));
        }
    }
}

void DecodeCdiAdpcm(const uint8_t* data, size_t size, AdpcmHistory& history, std::vector<int16_t>& out) {
    const size_t groups = size / kCdiGroupBytes;
    for (size_t g = 0; g < groups; ++g)
        DecodeCdiSoundGroup(data + g * kCdiGroupBytes, history, out);
}

void DecodeMeBlock(const uint8_t* block, AdpcmHistory& history, std::vector<int16_t>& out) {
    const unsigned filter = block[0] & 3;
    const unsigned range = block[0] >> 4;
    for (unsigned i = 0; i < kMeBlockSamples; ++i) {
        const uint8_t byte = block[1 + i / 2];
        const unsigned nibble = (i & 1) ? byte & 15 : byte >> 4;
        out.push_back(DecodeAdpcmNibble(nibble, filter, range, history));
    }
}

void DecodeMeAdpcm(const uint8_t* data, size_t size, AdpcmHistory& history, std::vector<int16_t>& out) {
    const size_t blocks = size / kMeBlockBytes;
    for (size_t b = 0; b < blocks; ++b)
        DecodeMeBlock(data + b * kMeBlockBytes, history, out);
}
