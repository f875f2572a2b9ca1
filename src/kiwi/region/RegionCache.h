// The region cache of the region reader: least recently used regions keyed by (level, region), bounded by
// the bytes the cached regions hold, safe to use from several threads at once.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

class TLN_Region;

class TLN_RegionCache {
public:
    explicit TLN_RegionCache(int64_t byteLimit) : limit_(byteLimit) {}

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
    using Key = std::pair<int, int>;
    struct Entry {
        Key key;
        std::shared_ptr<const TLN_Region> value;
        int64_t bytes;
    };
    void evictLocked();

    mutable std::mutex mutex_;
    std::list<Entry> entries_; // front = most recently used
    std::map<Key, std::list<Entry>::iterator> index_;
    int64_t bytes_ = 0;
    int64_t limit_;
};
