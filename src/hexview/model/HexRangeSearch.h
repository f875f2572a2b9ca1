// One pass of the hex viewer's pattern search over a byte range of a stream, used alike by the inline
// stage on the user-interface thread and by the worker thread: large chunks overlapping by the pattern's
// length minus one, each searched with memmem, optionally through an upper-case table.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kiwi/io/Stream.h"

// The bytes to find as compared: upper-cased through the table when case is ignored.
struct HexSearchPattern {
    std::vector<uint8_t> bytes;
    bool ignoreCase = false;
    std::array<uint8_t, 256> upper{};

    HexSearchPattern() = default;
    // upper maps each byte to its upper-case byte (HexCharTable::UpperCase); used only when ignoreCase.
    HexSearchPattern(const uint8_t* data, size_t size, bool ignoreCase,
                     const std::array<uint8_t, 256>& upper);
    size_t Length() const { return bytes.size(); }
};

inline constexpr int64_t kSearchChunkSize = 256 * 1024;
// A search's result when a read failed: neither a hit nor "not found".
inline constexpr int64_t kSearchFailed = -4;

struct HexRangeLimits {
    // Bytes read per chunk (raised to twice the pattern length when that is more).
    int64_t chunkSize = kSearchChunkSize;
    // The pass pauses before a chunk once this many bytes of the range lie behind it; -1: no limit.
    int64_t byteBudget = -1;
    // The pass pauses before a chunk (never before the first) once this time has come.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

enum class HexRangeStatus {
    Found,
    NotFound, // the range was searched, or the stream ended early (a short read)
    Stopped,  // the check asked to stop
    Paused,   // the budget or the deadline was reached; next is where to go on
    Failed,   // a read failed; error says why, next is where
};

struct HexRangeResult {
    HexRangeStatus status = HexRangeStatus::NotFound;
    int64_t hit = -1;
    // Where the next chunk starts (Paused, Stopped): hits that start before it have all been looked at.
    int64_t next = 0;
    // The reason a read failed (Failed).
    std::string error;
};

// Called after each chunk without a hit with the position the next chunk starts at; false stops the pass.
using HexRangeCheck = std::function<bool(int64_t next)>;

// Searches stream bytes start .. end (end excluded) for the first occurrence of pattern, reading with
// ReadAt only (no stream position is used). An empty pattern, or a range shorter than the pattern,
// finds nothing. A read error ends the pass as Failed.
HexRangeResult SearchRange(TLN_Stream& stream, const HexSearchPattern& pattern, int64_t start, int64_t end,
                           const HexRangeLimits& limits = {}, const HexRangeCheck& check = {});

// Progress of a search over total bytes with done bytes behind it, 0..100.
int SearchPercent(int64_t done, int64_t total);
