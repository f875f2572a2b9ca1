// The page cache of streams that are read unchanged.
#include "kiwi/io/PageCache.h"

#include <algorithm>
#include <cstring>

PageCache::PageCache(int pageCount) : pages_(size_t(std::max(pageCount, 1))) {}

uint64_t PageCache::PageLoads() const {
    std::lock_guard guard(mutex_);
    return loads_;
}

const PageCache::Page& PageCache::page(TLN_Stream& source, int64_t index) {
    Page* oldest = &pages_[0];
    for (Page& candidate : pages_) {
        if (candidate.index == index) {
            candidate.lastUse = ++clock_;
            return candidate;
        }
        if (candidate.lastUse < oldest->lastUse) oldest = &candidate;
    }
    Page& slot = *oldest;
    // Marked empty first: a read that throws leaves nothing stale behind.
    slot.index = -1;
    slot.length = 0;
    if (!slot.data) slot.data = std::make_unique<uint8_t[]>(size_t(pageSize));
    ++loads_;
    const int64_t delivered = source.ReadAt(index * pageSize, slot.data.get(), pageSize);
    slot.length = std::clamp<int64_t>(delivered, 0, pageSize);
    slot.index = index;
    slot.lastUse = ++clock_;
    return slot;
}

int64_t PageCache::Read(TLN_Stream& source, int64_t position, void* buffer, int64_t count) {
    if (position < 0 || count <= 0) return 0;
    // Large reads, and positions so far out that a page index would overflow, read straight through.
    if (count > smallReadLimit || position > INT64_MAX - pageSize)
        return source.ReadAt(position, buffer, count);
    auto* out = static_cast<uint8_t*>(buffer);
    std::lock_guard guard(mutex_);
    int64_t done = 0;
    try {
        while (done < count) {
            const int64_t at = position + done;
            const int64_t index = at / pageSize;
            const int64_t within = at - index * pageSize;
            const Page& held = page(source, index);
            if (within >= held.length) break; // the stream ends before this byte
            const int64_t n = std::min(count - done, held.length - within);
            std::memcpy(out + done, held.data.get() + within, size_t(n));
            done += n;
            if (held.length < pageSize) break; // the stream ends in this page
        }
    } catch (...) {
        // A page reaches past the bytes asked for; when reading it fails, the read asked for decides (it
        // may succeed, or fail the way it always would).
        return source.ReadAt(position, buffer, count);
    }
    return done;
}
