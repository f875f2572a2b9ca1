// Big-endian words (16 bits) and long words (32 bits) inside byte vectors that hold frames of the new
// map while they are rebuilt; the caller keeps every index inside the vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline uint16_t GetWord(const std::vector<uint8_t>& bytes, size_t at) {
    return uint16_t((bytes[at] << 8) | bytes[at + 1]);
}
inline uint32_t GetLong(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(GetWord(bytes, at)) << 16 | GetWord(bytes, at + 2);
}
inline void PutWord(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = uint8_t(value >> 8);
    bytes[at + 1] = uint8_t(value);
}
inline void PutLong(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    PutWord(bytes, at, uint16_t(value >> 16));
    PutWord(bytes, at + 2, uint16_t(value));
}
inline void AppendWord(std::vector<uint8_t>& bytes, uint16_t value) {
    bytes.push_back(uint8_t(value >> 8));
    bytes.push_back(uint8_t(value));
}
