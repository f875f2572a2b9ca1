// The page cache of streams that are read unchanged.
#include "kiwi/io/PageCache.h"

#include <algorithm>
#include <cstring>

PageCache::PageCache(int pageCount)
    : pageCount_(std::max(pageCount, 1)),
      pages_(size_t(pageCount_) * size_t(pageSize), [](const Page&) { return size_t(pageSize); }) {}

uint64_t PageCache::PageLoads() const {
    std::lock_guard guard(mutex_);
    return loads_;
}

const PageCache::Page& PageCache::page(TLN_Stream& source, int64_t index) {
    if (const Page* held = pages_.Find(index)) return *held;
    // The least recently used page goes first: a read that throws leaves nothing stale behind.
    std::unique_ptr<uint8_t[]> data;
    if (pages_.Count() >= size_t(pageCount_))
        if (auto oldest = pages_.TakeOldest()) data = std::move(oldest->data);
    if (!data) data = std::make_unique<uint8_t[]>(size_t(pageSize));
    ++loads_;
    const int64_t delivered = source.ReadAt(index * pageSize, data.get(), pageSize);
    return pages_.Insert(index, Page{std::move(data), std::clamp<int64_t>(delivered, 0, pageSize)});
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
