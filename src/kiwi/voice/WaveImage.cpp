// Builds the RIFF/WAVE image of 16-bit PCM samples, little-endian as the format requires.
#include "kiwi/voice/WaveImage.h"

namespace {
void putLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}
void putTag(std::vector<uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}
} // namespace

std::vector<uint8_t> BuildWaveImage(const std::vector<int16_t>& samples, uint16_t channels,
                                    uint32_t sampleRate) {
    size_t sampleCount = samples.size();
    if (channels > 1) sampleCount -= sampleCount % channels;
    const uint32_t dataBytes = uint32_t(sampleCount * 2);
    const uint32_t blockAlign = uint32_t(channels) * 16 / 8;

    std::vector<uint8_t> image;
    image.reserve(kWaveHeaderBytes + dataBytes);
    putTag(image, "RIFF");
    putLE(image, uint32_t(kWaveHeaderBytes - 8) + dataBytes, 4);
    putTag(image, "WAVE");
    putTag(image, "fmt ");
    putLE(image, 18, 4);
    putLE(image, 1, 2); // PCM
    putLE(image, channels, 2);
    putLE(image, sampleRate, 4);
    putLE(image, blockAlign * sampleRate, 4);
    putLE(image, blockAlign, 2);
    putLE(image, 16, 2);
    putLE(image, 0, 2); // no extra format bytes
    putTag(image, "data");
    putLE(image, dataBytes, 4);
    for (size_t i = 0; i < sampleCount; ++i)
        putLE(image, uint16_t(samples[i]), 2);
    return image;
}
