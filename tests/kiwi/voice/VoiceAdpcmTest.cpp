// ADPCM decoding of both voice formats and the WAVE image, checked against hand-made bytes and the
// test-side encoder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "kiwi/voice/VoiceAdpcm.h"
#include "kiwi/voice/WaveImage.h"
#include "support/fixtures/AdpcmEncoder.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {
// A CD-I group with every unit at the same parameter and nibble(unit, row) as data.
std::vector<uint8_t> cdiGroup(uint8_t parameter, int (*nibble)(int unit, int row)) {
    std::vector<uint8_t> group(128, 0);
    for (int unit = 0; unit < 8; ++unit) {
        group[size_t(4 + unit)] = parameter;
        for (int row = 0; row < 28; ++row) {
            uint8_t& byte = group[size_t(16 + 4 * row + unit / 2)];
            const int n = nibble(unit, row) & 15;
            byte = uint8_t((unit & 1) ? (byte & 0x0F) | n << 4 : (byte & 0xF0) | n);
        }
    }
    return group;
}
} // namespace

TEST(VoiceAdpcm, NibbleStepTable) {
    struct Case {
        unsigned nibble, filter, range;
        int64_t s1, s2;
        int expected;
    };
    const Case cases[] = {
        {7, 0, 12, 0, 0, 7},         // range 12: shift 0
        {7, 0, 0, 0, 0, 28672},      // range 0: shift 12
        {8, 0, 0, 0, 0, -32768},     // nibble 8 is -8
        {15, 0, 11, 0, 0, -2},       // -1 << 1
        {0, 2, 12, 100, 50, 139},    // + (115 × 100) div 64 = 179, - (52 × 50) div 64 = 40
        {0, 1, 12, -1, 0, 0},        // 60 × -1 / 64 truncates toward zero (an arithmetic shift gives -1)
        {0, 3, 12, -100, -100, -68}, // -153 + 85
        {0, 0, 13, 0, 0, 0},         // ranges above 12: no delta at all
        {7, 1, 14, 64, 0, 60},       // only the prediction remains
        {8, 0, 15, 0, 0, 0},          {7, 1, 0, 40000, 0, 32767}, // clamped output
        {8, 1, 0, -40000, 0, -32768},
    };
    for (const Case& c : cases) {
        AdpcmHistory history{c.s1, c.s2};
        EXPECT_EQ(DecodeAdpcmNibble(c.nibble, c.filter, c.range, history), c.expected)
            << "nibble " << c.nibble << " filter " << c.filter << " range " << c.range;
        EXPECT_EQ(history.s2, c.s1);
    }
}

TEST(VoiceAdpcm, HistoryKeepsTheUnclampedValue) {
    // Filter 2, shift 12, unit 0 nibbles 7,7,7,7,8,8,8,8: a decoder that clamps its history would give
    // 28672, 32767, 32767, 32767, -513, -32768, ...
    const std::vector<uint8_t> group =
        cdiGroup(0x20, [](int unit, int row) { return unit == 0 && row < 4 ? 7 : 8; });
    AdpcmHistory history;
    std::vector<int16_t> out;
    DecodeCdiSoundGroup(group.data(), history, out);
    ASSERT_EQ(out.size(), 224u);
    EXPECT_EQ(out[0], 28672);
    for (int i = 1; i < 8; ++i)
        EXPECT_EQ(out[size_t(i)], 32767) << i;
}

TEST(VoiceAdpcm, CdiUnitsTakeLowNibblesForEvenUnits) {
    const std::vector<uint8_t> group = cdiGroup(0x0C, [](int unit, int row) { return (unit + row) % 8; });
    AdpcmHistory history;
    std::vector<int16_t> out;
    DecodeCdiSoundGroup(group.data(), history, out);
    ASSERT_EQ(out.size(), 224u);
    for (int unit = 0; unit < 8; ++unit)
        for (int row = 0; row < 28; ++row)
            ASSERT_EQ(out[size_t(unit * 28 + row)], (unit + row) % 8) << unit << "/" << row;
}

TEST(VoiceAdpcm, MeBlocksTakeHighNibblesFirst) {
    std::vector<uint8_t> block = {0xC0, 0x12, 0x34, 0x56, 0x70, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF1};
    AdpcmHistory history;
    std::vector<int16_t> out;
    DecodeMeBlock(block.data(), history, out);
    ASSERT_EQ(out.size(), 30u);
    const int expected[] = {1, 2, 3, 4, 5, 6, 7, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(out[size_t(i)], expected[i]);
    EXPECT_EQ(out[28], -1);
    EXPECT_EQ(out[29], 1);
    // Filter in bits 1-0, range in bits 7-4: 0x02 is filter 2 with shift 12.
    block[0] = 0x02;
    history = {};
    out.clear();
    DecodeMeBlock(block.data(), history, out);
    EXPECT_EQ(out[0], 4096);
    EXPECT_EQ(out[1], 8192 + (115 * 4096) / 64);
}

TEST(VoiceAdpcm, RemaindersAreIgnored) {
    std::vector<uint8_t> data(300, 0x11);
    AdpcmHistory history;
    std::vector<int16_t> out;
    DecodeCdiAdpcm(data.data(), data.size(), history, out);
    EXPECT_EQ(out.size(), 448u); // 2 groups; the last 44 bytes are ignored
    out.clear();
    DecodeMeAdpcm(data.data(), 47, history, out);
    EXPECT_EQ(out.size(), 60u);
    out.clear();
    DecodeCdiAdpcm(data.data(), 127, history, out);
    EXPECT_TRUE(out.empty());
}

TEST(VoiceAdpcm, DecodesEncodedWavesSampleBySample) {
    const std::vector<int16_t> wave = fixture::sineWave(224 * 5, 440, 18900, 15000);
    const fixture::EncodedAdpcm cdi = fixture::encodeCdiGroups(wave);
    AdpcmHistory history;
    std::vector<int16_t> out;
    DecodeCdiAdpcm(cdi.bytes.data(), cdi.bytes.size(), history, out);
    ASSERT_EQ(out, cdi.decoded);
    int worst = 0;
    for (size_t i = 0; i < wave.size(); ++i)
        worst = std::max(worst, std::abs(out[i] - wave[i]));
    EXPECT_LT(worst, 1500); // a real encoding of the wave, not noise

    const fixture::EncodedAdpcm me = fixture::encodeMeBlocks(wave);
    history = {};
    out.clear();
    DecodeMeAdpcm(me.bytes.data(), me.bytes.size(), history, out);
    ASSERT_EQ(out, me.decoded);
}

TEST(WaveImage, HeaderComesFromTheSamples) {
    const std::vector<int16_t> samples = {0, 1, -1, 32767, -32768};
    const std::vector<uint8_t> image = BuildWaveImage(samples, 1, 18900);
    ASSERT_EQ(image.size(), kWaveHeaderBytes + 10);
    const fixture::WaveHeader h = fixture::readWaveHeader(image);
    EXPECT_EQ(h.riff, "RIFF");
    EXPECT_EQ(h.riffSize, image.size() - 8);
    EXPECT_EQ(h.wave, "WAVE");
    EXPECT_EQ(h.fmt, "fmt ");
    EXPECT_EQ(h.fmtSize, 18u);
    EXPECT_EQ(h.format, 1);
    EXPECT_EQ(h.channels, 1);
    EXPECT_EQ(h.sampleRate, 18900u);
    EXPECT_EQ(h.byteRate, 37800u);
    EXPECT_EQ(h.blockAlign, 2);
    EXPECT_EQ(h.bitsPerSample, 16);
    EXPECT_EQ(h.extraSize, 0);
    EXPECT_EQ(h.data, "data");
    EXPECT_EQ(h.dataSize, 10u);
    EXPECT_EQ(h.samples, samples);
    EXPECT_EQ(image[kWaveHeaderBytes + 6], 0xFF); // 32767 little-endian
    EXPECT_EQ(image[kWaveHeaderBytes + 7], 0x7F);
}

TEST(WaveImage, PartialFramesAndEmptySound) {
    const fixture::WaveHeader stereo = fixture::readWaveHeader(BuildWaveImage({1, 2, 3}, 2, 11025));
    EXPECT_EQ(stereo.dataSize, 4u);
    EXPECT_EQ(stereo.blockAlign, 4);
    EXPECT_EQ(stereo.byteRate, 44100u);
    EXPECT_EQ(stereo.riffSize, 38u + 4u);
    const std::vector<uint8_t> empty = BuildWaveImage({}, 1, 18900);
    EXPECT_EQ(empty.size(), kWaveHeaderBytes);
    EXPECT_EQ(fixture::readWaveHeader(empty).dataSize, 0u);
}
