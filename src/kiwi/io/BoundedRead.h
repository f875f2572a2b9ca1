// Bounded reads shared by the part readers: a span of delivered bytes, a record's bytes into a fixed
// buffer, and record counts bounded by the bytes that can hold them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/io/Stream.h"

namespace bounded {

// Reads up to count bytes at position into target and returns how many the stream delivered, clamped to
// [0, count]; nothing for a negative position or count. The primitive under every bounded read below.
inline int64_t readInto(TLN_Stream& stream, int64_t position, void* target, int64_t count) {
    if (position < 0 || count <= 0) return 0;
    return std::clamp<int64_t>(stream.ReadAt(position, target, count), 0, count);
}

// Reads up to this many bytes need no look at the stream's size first (which may cost a system call): the
// buffer they reserve is small, and the read's own count tells where the stream ends.
constexpr int64_t kUncheckedReadBytes = 65536;

// The bytes the stream delivers at [position, position + count), into out: never more than the stream still
// holds, so a hostile count cannot inflate the buffer; empty for a negative position or count. The one
// bounded span read of every reader.
inline void readBytes(TLN_Stream& stream, int64_t position, int64_t count, std::vector<uint8_t>& out) {
    out.clear();
    if (position < 0 || count <= 0) return;
    if (count > kUncheckedReadBytes) count = std::clamp<int64_t>(stream.Size() - position, 0, count);
    if (count == 0) return;
    out.resize(size_t(count));
    const int64_t delivered = readInto(stream, position, out.data(), count);
    if (delivered < count) {
        out.resize(size_t(delivered));
        out.shrink_to_fit();
    }
}

inline std::vector<uint8_t> readBytes(TLN_Stream& stream, int64_t position, int64_t count) {
    std::vector<uint8_t> bytes;
    readBytes(stream, position, count, bytes);
    return bytes;
}

// The same bytes as an immutable buffer that caches and frame spans share.
inline std::shared_ptr<const std::vector<uint8_t>> readShared(TLN_Stream& stream, int64_t position,
                                                              int64_t count) {
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    readBytes(stream, position, count, *bytes);
    return bytes;
}

// The bytes of one fixed-size record; bytes the stream does not deliver read as 0.
template <size_t N> struct RecordBytes {
    uint8_t data[N] = {};
    int64_t delivered = 0;
    bool complete() const { return delivered == int64_t(N); }
    BeCursor cursor() const { return BeCursor(data, N); }
};

template <size_t N> RecordBytes<N> readRecord(TLN_Stream& stream, int64_t position) {
    RecordBytes<N> record;
    record.delivered = readInto(stream, position, record.data, int64_t(N));
    return record;
}

// How many of `declared` records, each recordBytes long and starting stride bytes apart from start,
// lie wholly below end. A stride below 1 counts as 1, so a zero stride cannot make a count unbounded.
inline int64_t recordsThatFit(uint64_t declared, int64_t start, int64_t stride, int64_t recordBytes,
                              int64_t end) {
    if (start < 0 || recordBytes < 0 || end - start < recordBytes) return 0;
    const int64_t step = std::max<int64_t>(stride, 1);
    const int64_t fit = (end - start - recordBytes) / step + 1;
    return declared < uint64_t(fit) ? int64_t(declared) : fit;
}

// The end of a frame clipped to the stream: min(stream size, frame start + frame size); a frame of
// unknown size (negative) ends at the stream's end.
inline int64_t frameEnd(int64_t streamSize, int64_t frameStart, int64_t frameSize) {
    if (frameStart < 0) return 0;
    if (frameSize < 0) return streamSize;
    return std::min(streamSize, frameStart + frameSize);
}

// A coordinate pair (latitude field first, then longitude) from a cursor.
inline TLN_Point coordinatePair(const BeCursor& c, int64_t offset) {
    TLN_Point point;
    point.Y = c.coordinate(offset);
    point.X = c.coordinate(offset + 4);
    return point;
}

// A point record (12 bytes): coordinate pair, a byte at +8, a word at +10.
inline TLN_PointRecord pointRecord(const BeCursor& c, int64_t offset) {
    TLN_PointRecord record;
    const TLN_Point point = coordinatePair(c, offset);
    record.X = point.X;
    record.Y = point.Y;
    record.ByteValue = c.u8(offset + 8);
    record.WordValue = c.u16(offset + 10);
    return record;
}

} // namespace bounded
