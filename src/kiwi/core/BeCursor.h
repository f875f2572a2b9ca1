// Bounded big-endian decoding over a byte span: reads outside the span give 0 and set a sticky flag,
// so a record decoded from one buffer can never read past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class BeCursor {
public:
    BeCursor() = default;
    BeCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t size() const { return size_; }
    const uint8_t* data() const { return data_; }
    // True once any read touched bytes outside the span.
    bool bad() const { return bad_; }
    // True when [offset, offset + count) lies inside the span.
    bool fits(int64_t offset, int64_t count) const {
        return offset >= 0 && count >= 0 && uint64_t(offset) <= size_ &&
               uint64_t(count) <= size_ - size_t(offset);
    }

    uint8_t u8(int64_t offset) const {
        if (!fits(offset, 1)) return fail<uint8_t>();
        return data_[offset];
    }
    uint16_t u16(int64_t offset) const {
        if (!fits(offset, 2)) return fail<uint16_t>();
        const uint8_t* p = data_ + offset;
        return uint16_t(p[0] << 8 | p[1]);
    }
    uint32_t u24(int64_t offset) const {
        if (!fits(offset, 3)) return fail<uint32_t>();
        const uint8_t* p = data_ + offset;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    uint32_t u32(int64_t offset) const {
        if (!fits(offset, 4)) return fail<uint32_t>();
        const uint8_t* p = data_ + offset;
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
    // A coordinate: 24-bit sign-magnitude in the first three bytes of a 4-byte field.
    int32_t coordinate(int64_t offset) const {
        const uint32_t v = u24(offset);
        const int32_t magnitude = int32_t(v & 0x7FFFFF);
        return (v & 0x800000) ? -magnitude : magnitude;
    }
    // Fixed text of count bytes cut at the first NUL (bytes kept as stored).
    std::string fixedString(int64_t offset, int64_t count) const {
        if (!fits(offset, count)) {
            bad_ = true;
            return {};
        }
        if (count == 0) return {};
        const char* p = reinterpret_cast<const char*>(data_ + offset);
        const void* nul = std::memchr(p, 0, size_t(count));
        return std::string(p, nul ? static_cast<const char*>(nul) - p : count);
    }
    // A sub-span; an out-of-range request gives an empty cursor and marks this one bad.
    BeCursor sub(int64_t offset, int64_t count) const {
        if (!fits(offset, count)) {
            bad_ = true;
            return {};
        }
        return BeCursor(data_ + offset, size_t(count));
    }

private:
    template <typename T> T fail() const {
        bad_ = true;
        return T(0);
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    mutable bool bad_ = false;
};
