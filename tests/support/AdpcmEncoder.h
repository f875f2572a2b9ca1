// A test-side ADPCM encoder for KIWI voice fixtures (CD-I sound groups and VOICE001.ME blocks),
// written from the format description, with the decoded samples it expects a reader to produce.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fixture {

// The decoder's history as the encoder tracks it (unclamped previous outputs).
struct AdpcmState {
    int64_t s1 = 0;
    int64_t s2 = 0;
};

// The sample the format defines for a signed nibble (-8..7), filter and range; a range above 12 adds
// nothing to the prediction.
int16_t referenceAdpcmSample(int nibble, int filter, int range, AdpcmState& state);

// A sound unit whose filter and range are given instead of searched (for ranges 13-15, say).
struct ForcedUnit {
    size_t group = 0; // group (CD-I) or block (ME) index
    int unit = 0;     // CD-I sound unit 0..7; ignored for ME blocks
    int filter = 0;
    int range = 0;
};

struct EncodedAdpcm {
    std::vector<uint8_t> bytes;
    std::vector<int16_t> decoded; // what a correct decoder gives for bytes
};

// Encodes samples as 128-byte CD-I groups of 224 samples (the last group padded with silence),
// choosing per sound unit the filter and range with the least error. Each call is one phrase or voice:
// its history starts cleared.
EncodedAdpcm encodeCdiGroups(const std::vector<int16_t>& samples, const std::vector<ForcedUnit>& forced = {});
// Encodes samples as 16-byte VOICE001.ME blocks of 30 samples.
EncodedAdpcm encodeMeBlocks(const std::vector<int16_t>& samples, const std::vector<ForcedUnit>& forced = {});

// count samples of a sine wave.
std::vector<int16_t> sineWave(size_t count, double frequency, double sampleRate, double amplitude);

} // namespace fixture
