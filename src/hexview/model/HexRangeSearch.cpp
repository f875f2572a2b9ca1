// The chunked range search: read, upper-case when asked, memmem, step on by the chunk less the overlap.
#include "hexview/model/HexRangeSearch.h"

#include <algorithm>
#include <cstring>
#include <exception>

HexSearchPattern::HexSearchPattern(const uint8_t* data, size_t size, bool ignore,
                                   const std::array<uint8_t, 256>& table)
    : bytes(data, data + size), ignoreCase(ignore), upper(table) {
    if (ignoreCase)
        for (uint8_t& b : bytes)
            b = upper[b];
}

HexRangeResult SearchRange(TLN_Stream& stream, const HexSearchPattern& pattern, int64_t start, int64_t end,
                           const HexRangeLimits& limits, const HexRangeCheck& check) {
    const auto length = int64_t(pattern.Length());
    HexRangeResult result;
    start = std::max<int64_t>(0, start);
    if (length == 0 || end - start < length) return result;
    const int64_t chunk = std::max(limits.chunkSize, 2 * length);
    std::vector<uint8_t> buffer(size_t(std::min(chunk, end - start)));
    const uint8_t* needle = pattern.bytes.data();
    bool first = true;
    int64_t position = start;
    // Each chunk overlaps the one before by length - 1 bytes, so a hit across a border lies whole in one.
    while (end - position >= length) {
        if (!first && ((limits.byteBudget >= 0 && position - start >= limits.byteBudget) ||
                       std::chrono::steady_clock::now() >= limits.deadline)) {
            result.status = HexRangeStatus::Paused;
            result.next = position;
            return result;
        }
        first = false;
        const int64_t wanted = std::min<int64_t>(int64_t(buffer.size()), end - position);
        int64_t got = 0;
        try {
            got = std::clamp<int64_t>(stream.ReadAt(position, buffer.data(), wanted), 0, wanted);
        } catch (const std::exception& error) {
            // Bytes that could not be read were not searched: that is no "not found".
            result.status = HexRangeStatus::Failed;
            result.next = position;
            result.error = error.what();
            return result;
        }
        if (got < length) return result;
        if (pattern.ignoreCase)
            for (int64_t i = 0; i < got; ++i)
                buffer[size_t(i)] = pattern.upper[buffer[size_t(i)]];
        if (const void* found = memmem(buffer.data(), size_t(got), needle, size_t(length))) {
            result.status = HexRangeStatus::Found;
            result.hit = position + (static_cast<const uint8_t*>(found) - buffer.data());
            return result;
        }
        // A short read means the stream ended before the range did; the last chunk ends the range.
        if (got < wanted || position + got >= end) return result;
        position += got - (length - 1);
        if (check && !check(position)) {
            result.status = HexRangeStatus::Stopped;
            result.next = position;
            return result;
        }
    }
    return result;
}

int SearchPercent(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0) return 0;
    if (done >= total) return 100;
    const int percent = total >= 100 ? int(done / (total / 100)) : int(done * 100 / total);
    return std::min(percent, 100);
}
