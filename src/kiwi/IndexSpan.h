// Small bounded reads shared by the index data readers: a span of delivered bytes, 4-character codes and
// representation strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/BeCursor.h"
#include "kiwi/IndexRecords.h"
#include "kiwi/Stream.h"

namespace index_span {

// The bytes the stream delivers at [position, position + count); shorter at the end, empty for a
// negative position. count must already be bounded by the caller.
inline std::vector<uint8_t> read(TLN_Stream& stream, int64_t position, int64_t count) {
    std::vector<uint8_t> bytes;
    if (position < 0 || count <= 0) return bytes;
    const int64_t size = stream.Size();
    if (position >= size) return bytes;
    if (count > size - position) count = size - position;
    bytes.resize(size_t(count));
    bytes.resize(size_t(stream.ReadAt(position, bytes.data(), count)));
    return bytes;
}

inline BeCursor cursor(const std::vector<uint8_t>& bytes) {
    return BeCursor(bytes.data(), bytes.size());
}

// A 4-character declaration, cut at the first NUL.
inline std::string code4(const BeCursor& c, int64_t offset) {
    return c.fixedString(offset, 4);
}

// A representation item at position: u16 length in words, then the text; the text stops at limit (an
// absolute position, or the stream's end when limit < 0).
TLN_Representation_Item readRepresentation(TLN_Stream& stream, int64_t position, int64_t limit = -1);

} // namespace index_span
