// The region cache of the region reader: least recently used regions keyed by (level, region), bounded by
// the bytes the cached regions hold, safe to use from several threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "kiwi/core/BoundedLru.h"

class TLN_Region;

class TLN_RegionCache {
public:
    explicit TLN_RegionCache(int64_t byteLimit);

    // The cached region or nullptr; a hit becomes the most recently used entry.
    std::shared_ptr<const TLN_Region> Find(int level, int region);
    // Adds a region costing bytes and evicts the least recently used ones beyond the limit (the newest entry
    // always stays). When another thread added the same key first, that region is kept and returned.
    std::shared_ptr<const TLN_Region> Insert(int level, int region, std::shared_ptr<const TLN_Region> value,
                                             int64_t bytes);
    void Clear();
    void SetLimit(int64_t byteLimit);
    int64_t Bytes() const;
    size_t Count() const;

private:
    // (level, region) in one value.
    using Key = uint64_t;
    struct Entry {
        std::shared_ptr<const TLN_Region> value;
        int64_t bytes;
    };
    static Key key(int level, int region) { return uint64_t(uint32_t(level)) << 32 | uint32_t(region); }

    mutable std::mutex mutex_;
    BoundedLru<Key, Entry> regions_;
};
