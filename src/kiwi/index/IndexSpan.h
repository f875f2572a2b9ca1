// Small reads shared by the index data readers: cursors over delivered bytes, 4-character codes and
// representation strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/core/BeCursor.h"
#include "kiwi/index/IndexRecords.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/Stream.h"

namespace index_span {

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
