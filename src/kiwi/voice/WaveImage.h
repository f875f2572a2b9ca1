// The in-memory RIFF/WAVE image that the voice readers hand to the player.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Size of the header written before the samples: RIFF, an 18-byte "fmt " chunk and the "data" head.
constexpr size_t kWaveHeaderBytes = 46;

// A PCM WAVE image (16 bits per sample) of the samples. The RIFF and data sizes come from the samples
// themselves; with more than one channel a trailing partial frame is left out.
std::vector<uint8_t> BuildWaveImage(const std::vector<int16_t>& samples, uint16_t channels,
                                    uint32_t sampleRate);
