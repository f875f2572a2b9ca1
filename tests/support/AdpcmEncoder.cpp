// Closed-loop ADPCM encoding for fixtures: each sound unit tries every filter and range and keeps the
// one whose reconstruction is closest to the input.
#include "support/AdpcmEncoder.h"

#include <cmath>
#include <limits>

namespace fixture {
namespace {
const int kK0[4] = {0, 60, 115, 98};
const int kK1[4] = {0, 0, 52, 55};

int64_t prediction(int filter, const AdpcmState& state) {
    return (kK0[filter] * state.s1) / 64 - (kK1[filter] * state.s2) / 64;
}

struct UnitResult {
    std::vector<int> nibbles;
    std::vector<int16_t> decoded;
    AdpcmState state;
    double error = 0;
};

UnitResult encodeUnit(const int16_t* input, size_t count, int filter, int range, AdpcmState state) {
    UnitResult result;
    for (size_t i = 0; i < count; ++i) {
        int nibble = 0;
        if (range <= 12) {
            const double step = double(1 << (12 - range));
            const double wanted = (double(input[i]) - double(prediction(filter, state))) / step;
            nibble = int(std::lround(std::fmax(-8.0, std::fmin(7.0, wanted))));
        } else {
            nibble = int(i % 16) - 8; // stored but meaningless: the delta is 0
        }
        AdpcmState trial = state;
        const int16_t sample = referenceAdpcmSample(nibble, filter, range, trial);
        state = trial;
        result.nibbles.push_back(nibble & 15);
        result.decoded.push_back(sample);
        const double difference = double(sample) - double(input[i]);
        result.error += difference * difference;
    }
    result.state = state;
    return result;
}

const ForcedUnit* findForced(const std::vector<ForcedUnit>& forced, size_t group, int unit) {
    for (const ForcedUnit& f : forced)
        if (f.group == group && f.unit == unit) return &f;
    return nullptr;
}

UnitResult bestUnit(const int16_t* input, size_t count, const AdpcmState& state, const ForcedUnit* forced,
                    int& filterOut, int& rangeOut) {
    if (forced) {
        filterOut = forced->filter;
        rangeOut = forced->range;
        return encodeUnit(input, count, forced->filter, forced->range, state);
    }
    UnitResult best;
    best.error = std::numeric_limits<double>::infinity();
    for (int filter = 0; filter < 4; ++filter)
        for (int range = 0; range <= 12; ++range) {
            UnitResult trial = encodeUnit(input, count, filter, range, state);
            if (trial.error < best.error) {
                best = std::move(trial);
                filterOut = filter;
                rangeOut = range;
            }
        }
    return best;
}
} // namespace

int16_t referenceAdpcmSample(int nibble, int filter, int range, AdpcmState& state) {
    const int signedNibble = (nibble & 15) >= 8 ? (nibble & 15) - 16 : (nibble & 15);
    const int64_t delta = range > 12 ? 0 : int64_t(signedNibble) * (int64_t(1) << (12 - range));
    const int64_t s = delta + prediction(filter, state);
    state.s2 = state.s1;
    state.s1 = s;
    return int16_t(s < -32768 ? -32768 : s > 32767 ? 32767 : s);
}

EncodedAdpcm encodeCdiGroups(const std::vector<int16_t>& samples, const std::vector<ForcedUnit>& forced) {
    std::vector<int16_t> input = samples;
    input.resize((input.size() + 223) / 224 * 224, 0);
    EncodedAdpcm out;
    AdpcmState state;
    for (size_t g = 0; g * 224 < input.size(); ++g) {
        uint8_t group[128] = {};
        for (int unit = 0; unit < 8; ++unit) {
            int filter = 0, range = 0;
            const UnitResult r = bestUnit(input.data() + g * 224 + unit * 28, 28, state,
                                          findForced(forced, g, unit), filter, range);
            state = r.state;
            const uint8_t parameter = uint8_t((filter & 3) << 4 | (range & 15));
            group[4 + unit] = parameter;
            // Bytes 0-3 and 12-15 repeat the parameters, as CD-ROM XA groups do; readers ignore them.
            if (unit < 4)
                group[unit] = parameter;
            else
                group[8 + unit] = parameter;
            for (int row = 0; row < 28; ++row) {
                uint8_t& byte = group[16 + 4 * row + unit / 2];
                byte = uint8_t((unit & 1) ? (byte & 0x0F) | (r.nibbles[size_t(row)] << 4)
                                          : (byte & 0xF0) | r.nibbles[size_t(row)]);
            }
            out.decoded.insert(out.decoded.end(), r.decoded.begin(), r.decoded.end());
        }
        out.bytes.insert(out.bytes.end(), group, group + 128);
    }
    return out;
}

EncodedAdpcm encodeMeBlocks(const std::vector<int16_t>& samples, const std::vector<ForcedUnit>& forced) {
    std::vector<int16_t> input = samples;
    input.resize((input.size() + 29) / 30 * 30, 0);
    EncodedAdpcm out;
    AdpcmState state;
    for (size_t b = 0; b * 30 < input.size(); ++b) {
        int filter = 0, range = 0;
        const UnitResult r =
            bestUnit(input.data() + b * 30, 30, state, findForced(forced, b, 0), filter, range);
        state = r.state;
        uint8_t block[16] = {};
        block[0] = uint8_t((range & 15) << 4 | (filter & 3));
        for (int i = 0; i < 30; ++i) {
            uint8_t& byte = block[1 + i / 2];
            byte = uint8_t((i & 1) ? (byte & 0xF0) | r.nibbles[size_t(i)]
                                   : (byte & 0x0F) | (r.nibbles[size_t(i)] << 4));
        }
        out.decoded.insert(out.decoded.end(), r.decoded.begin(), r.decoded.end());
        out.bytes.insert(out.bytes.end(), block, block + 16);
    }
    return out;
}

std::vector<int16_t> sineWave(size_t count, double frequency, double sampleRate, double amplitude) {
    std::vector<int16_t> wave(count);
    for (size_t i = 0; i < count; ++i)
        wave[i] = int16_t(std::lround(amplitude * std::sin(2 * M_PI * frequency * double(i) / sampleRate)));
    return wave;
}

} // namespace fixture
