// Least-recently-used region cache.
#include "kiwi/region/RegionCache.h"

std::shared_ptr<const TLN_Region> TLN_RegionCache::Find(int level, int region) {
    std::lock_guard lock(mutex_);
    const auto found = index_.find({level, region});
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->value;
}

std::shared_ptr<const TLN_Region>
TLN_RegionCache::Insert(int level, int region, std::shared_ptr<const TLN_Region> value, int64_t bytes) {
    std::lock_guard lock(mutex_);
    const Key key{level, region};
    if (const auto found = index_.find(key); found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return found->second->value;
    }
    entries_.push_front(Entry{key, std::move(value), bytes});
    index_[key] = entries_.begin();
    bytes_ += bytes;
    evictLocked();
    return entries_.front().value;
}

void TLN_RegionCache::evictLocked() {
    while (bytes_ > limit_ && entries_.size() > 1) {
        const Entry& last = entries_.back();
        bytes_ -= last.bytes;
        index_.erase(last.key);
        entries_.pop_back();
    }
}

void TLN_RegionCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    index_.clear();
    bytes_ = 0;
}

void TLN_RegionCache::SetLimit(int64_t byteLimit) {
    std::lock_guard lock(mutex_);
    limit_ = byteLimit;
    evictLocked();
}

int64_t TLN_RegionCache::Bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

size_t TLN_RegionCache::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}
