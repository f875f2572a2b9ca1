// A few 64 KiB pages of a stream that is read unchanged, least recently used first out, so that the many
// small reads of headers and records that lie near one another cost a copy instead of a system read each.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "kiwi/core/BoundedLru.h"
#include "kiwi/io/Stream.h"

class PageCache {
public:
    static constexpr int64_t pageSize = 65536;
    // Reads longer than this go straight to the stream. The small reads (headers, fields and records
    // probed one by one) are the ones that need pages; whole frames and lists are read once into the map's
    // own caches, and paging them as well would only push out the pages the small reads share.
    static constexpr int64_t smallReadLimit = 512;
    static constexpr int defaultPageCount = 4;

    explicit PageCache(int pageCount = defaultPageCount);

    // Reads like source.ReadAt (source is the stream whose bytes the pages hold; always the same one) and
    // delivers the same bytes: short only at the end of the stream. Thread-safe.
    int64_t Read(TLN_Stream& source, int64_t position, void* buffer, int64_t count);

    // Page loads so far (reads that reached the stream for a page).
    uint64_t PageLoads() const;

private:
    struct Page {
        std::unique_ptr<uint8_t[]> data;
        int64_t length = 0; // bytes the stream delivered (less than a page only at its end)
    };

    // The page holding page index, loaded into the least recently used one when no page holds it.
    const Page& page(TLN_Stream& source, int64_t index);

    mutable std::mutex mutex_;
    int pageCount_;
    BoundedLru<int64_t, Page> pages_;
    uint64_t loads_ = 0;
};
