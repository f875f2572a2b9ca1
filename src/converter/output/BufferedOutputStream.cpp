// Write-back buffer of a produced file: merged extents, flushed in position order by a writing thread.
#include "converter/output/BufferedOutputStream.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "kiwi/core/KiwiErrors.h"

namespace {

// Extents after which the buffer is flushed whatever their bytes: the adjacency repair re-points 6-byte
// entries all over a level, and each extent costs far more memory than its bytes.
constexpr size_t kMaxExtents = 8192;
// The read-ahead window, and the largest read served from it.
constexpr int64_t kWindowBytes = 1 << 20;
constexpr int64_t kWindowedRead = kWindowBytes / 8;
// A write this close behind the previous extent joins it through the file's bytes between them.
constexpr int64_t kJoinGap = 4096;

int64_t endOf(const std::pair<const int64_t, ExtentBytes>& extent) {
    return extent.first + int64_t(extent.second.size());
}

} // namespace

BufferedOutputStream::BufferedOutputStream(std::unique_ptr<TLN_Stream> inner, int64_t budget)
    : budget_(std::max<int64_t>(budget, 1)), writer_(std::move(inner), budget_) {}

int64_t BufferedOutputStream::Size() {
    const int64_t size = writer_.Settled().Size();
    return extents_.empty() ? size : std::max(size, endOf(*extents_.rbegin()));
}

bool BufferedOutputStream::windowHolds(int64_t position, int64_t count) const {
    return !window_.empty() && position >= windowStart_ &&
           position + count <= windowStart_ + int64_t(window_.size());
}

void BufferedOutputStream::fileChanged(int64_t position, int64_t count) {
    if (!window_.empty() && position < windowStart_ + kWindowBytes && position + count > windowStart_)
        window_.clear();
}

int64_t BufferedOutputStream::readFile(int64_t position, uint8_t* out, int64_t count) {
    if (count > kWindowedRead) return writer_.Settled().ReadAt(position, out, count);
    if (!windowHolds(position, count)) {
        TLN_Stream& file = writer_.Settled();
        window_.resize(size_t(kWindowBytes));
        windowStart_ = position;
        window_.resize(size_t(file.ReadAt(position, window_.data(), kWindowBytes)));
    }
    const int64_t n = std::clamp<int64_t>(windowStart_ + int64_t(window_.size()) - position, 0, count);
    if (n > 0) std::memcpy(out, window_.data() + (position - windowStart_), size_t(n));
    return n;
}

int64_t BufferedOutputStream::ReadAt(int64_t position, void* buffer, int64_t count) {
    if (position < 0 || count <= 0) return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    // Bytes one extent holds whole come from it alone (a frame read back just after it was written).
    if (auto holder = extents_.upper_bound(position); holder != extents_.begin()) {
        --holder;
        if (position + count <= endOf(*holder)) {
            std::memcpy(out, holder->second.data() + (position - holder->first), size_t(count));
            return count;
        }
    }
    int64_t delivered = readFile(position, out, count);
    if (extents_.empty()) return delivered;
    const int64_t end = position + count;
    // Bytes between the file's end and the last buffered extent read as the hole they will be.
    const int64_t reach = std::min(end, endOf(*extents_.rbegin())) - position;
    if (reach > delivered) {
        std::memset(out + delivered, 0, size_t(reach - delivered));
        delivered = reach;
    }
    auto it = extents_.upper_bound(position);
    if (it != extents_.begin()) --it;
    for (; it != extents_.end() && it->first < end; ++it) {
        const int64_t from = std::max(it->first, position);
        const int64_t to = std::min(endOf(*it), end);
        if (from < to)
            std::memcpy(out + (from - position), it->second.data() + (from - it->first), size_t(to - from));
    }
    return delivered;
}

void BufferedOutputStream::WriteAt(int64_t position, const void* buffer, int64_t count) {
    if (count <= 0) return;
    if (position < 0) throw EWriteError(Failure(FailureCode::StreamNegativePosition));
    const auto* in = static_cast<const uint8_t*>(buffer);
    if (count >= budget_) {
        written_ = std::max(written_, position + count);
        Flush();
        fileChanged(position, count);
        writer_.Settled().WriteAt(position, buffer, count);
        return;
    }
    const int64_t end = position + count;
    const bool grows = position >= written_;
    written_ = std::max(written_, end);
    // Room is made before the write, not after it: what was just written stays in the buffer, so that the
    // patches and read-backs that follow a frame cost no system call.
    if (buffered_ + count > budget_ || extents_.size() >= kMaxExtents) {
        const auto holder = extents_.upper_bound(position);
        if (holder == extents_.begin() || end > endOf(*std::prev(holder))) handOver();
    }
    // The first extent this write overlaps or touches.
    auto first = extents_.upper_bound(position);
    if (first != extents_.begin()) {
        const int64_t gapStart = endOf(*std::prev(first));
        const int64_t gap = position - gapStart;
        if (gap > 0 && gap <= kJoinGap && count + gap < budget_ && windowHolds(gapStart, gap)) {
            // Nothing is buffered in the gap, so the window holds its bytes as they are.
            ExtentBytes joined(size_t(gap + count));
            std::memcpy(joined.data(), window_.data() + (gapStart - windowStart_), size_t(gap));
            std::memcpy(joined.data() + gap, in, size_t(count));
            return WriteAt(gapStart, joined.data(), int64_t(joined.size()));
        }
        if (gap <= 0) --first;
    }
    auto last = first;
    int64_t mergedEnd = end;
    while (last != extents_.end() && last->first <= end) {
        mergedEnd = std::max(mergedEnd, endOf(*last));
        ++last;
    }
    if (first == last) {
        ExtentBytes bytes;
        // An extent past everything written so far is where the file grows (the frames): it gets the warm
        // storage and room for a whole budget, so appending never reallocates. A patch behind that end
        // (the adjacency repair's entries) gets only its own bytes.
        if (last == extents_.end() && grows) bytes = writer_.Storage();
        bytes.assign(in, in + count);
        extents_.emplace_hint(first, position, std::move(bytes));
        buffered_ += count;
    } else if (std::next(first) == last && first->first <= position) {
        // The common case: appending to, or patching inside, one extent.
        ExtentBytes& bytes = first->second;
        const int64_t grown = mergedEnd - first->first - int64_t(bytes.size());
        bytes.resize(size_t(mergedEnd - first->first));
        std::memcpy(bytes.data() + (position - first->first), in, size_t(count));
        buffered_ += grown;
    } else {
        const int64_t start = std::min(first->first, position);
        ExtentBytes merged(size_t(mergedEnd - start));
        for (auto it = first; it != last; ++it) {
            std::memcpy(merged.data() + (it->first - start), it->second.data(), it->second.size());
            buffered_ -= int64_t(it->second.size());
        }
        std::memcpy(merged.data() + (position - start), in, size_t(count));
        buffered_ += int64_t(merged.size());
        extents_.erase(first, last);
        extents_.emplace(start, std::move(merged));
    }
}

uint8_t* BufferedOutputStream::Claim(int64_t position, int64_t count) {
    if (position < 0 || count <= 0 || count >= budget_) return nullptr;
    if (buffered_ + count > budget_ || extents_.size() >= kMaxExtents) handOver();
    const int64_t end = position + count;
    auto next = extents_.upper_bound(position);
    if (next != extents_.end() && next->first < end) return nullptr;
    if (next != extents_.begin() && endOf(*std::prev(next)) > position) return nullptr;
    written_ = std::max(written_, end);
    claimed_ = {position, end};
    if (next != extents_.begin()) {
        auto& [start, bytes] = *std::prev(next);
        if (start + int64_t(bytes.size()) == position) {
            bytes.resize(bytes.size() + size_t(count));
            buffered_ += count;
            return bytes.data() + (position - start);
        }
    }
    ExtentBytes bytes = writer_.Storage();
    bytes.resize(size_t(count));
    buffered_ += count;
    return extents_.emplace_hint(next, position, std::move(bytes))->second.data();
}

void BufferedOutputStream::Unclaim(int64_t position) {
    // Only the last claim's own bytes go back, from the extent that holds them (not the last one buffered,
    // which may be another's), and only while they still end it.
    const auto [claimStart, claimEnd] = claimed_;
    claimed_ = {};
    position = std::max(position, claimStart);
    auto holder = extents_.upper_bound(position);
    if (position >= claimEnd || holder == extents_.begin()) return;
    --holder;
    if (endOf(*holder) != claimEnd) return;
    buffered_ -= claimEnd - position;
    if (position <= holder->first)
        extents_.erase(holder);
    else
        holder->second.resize(size_t(position - holder->first));
}

void BufferedOutputStream::SetSize(int64_t size) {
    Flush();
    window_.clear();
    writer_.Settled().SetSize(size);
}

void BufferedOutputStream::Flush() {
    handOver();
    writer_.Settled();
}

void BufferedOutputStream::handOver() {
    // A claim's bytes handed to the file can no longer be given back.
    claimed_ = {};
    while (!extents_.empty()) {
        auto it = extents_.begin();
        const int64_t size = int64_t(it->second.size());
        fileChanged(it->first, size);
        writer_.Write(it->first, std::move(it->second));
        buffered_ -= size;
        extents_.erase(it);
    }
}

void BufferedOutputStream::Drop() {
    claimed_ = {};
    extents_.clear();
    buffered_ = 0;
    writer_.Drop();
}
