// Bounded LRU cache of spans read from map streams.
#include "kiwi/map/MapSpanCache.h"

#include <functional>

MapSpanCache::MapSpanCache(size_t capacityBytes) : capacity_(capacityBytes) {}

size_t MapSpanCache::KeyHash::operator()(const Key& key) const {
    const size_t a = std::hash<const void*>()(key.stream);
    const size_t b = std::hash<int64_t>()(key.position);
    return a ^ (b * 0x9E3779B97F4A7C15ull) ^ (size_t(key.kind) << 56) ^ (size_t(key.tag) << 40);
}

MapSpanCache::Span MapSpanCache::Find(const TLN_Stream* stream, int64_t position, Kind kind, uint32_t tag) {
    std::lock_guard lock(mutex_);
    const auto found = index_.find(Key{stream, position, kind, tag});
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->span;
}

void MapSpanCache::SetCapacity(size_t capacityBytes) {
    std::lock_guard lock(mutex_);
    capacity_ = capacityBytes;
    evict();
}

void MapSpanCache::Insert(const std::shared_ptr<TLN_Stream>& stream, int64_t position, Kind kind, Span span,
                          uint32_t tag) {
    std::lock_guard lock(mutex_);
    if (!span || span->size() > capacity_ / 4) return;
    const Key key{stream.get(), position, kind, tag};
    if (const auto found = index_.find(key); found != index_.end()) {
        // Another thread read it meanwhile, or a longer span of the same place replaces a shorter one.
        if (found->second->span->size() >= span->size()) return;
        held_ -= found->second->span->size();
        entries_.erase(found->second);
        index_.erase(found);
    }
    entries_.push_front(Entry{key, stream, span});
    index_[key] = entries_.begin();
    held_ += span->size();
    evict();
}

void MapSpanCache::evict() {
    while (held_ > capacity_ && !entries_.empty()) {
        const Entry& last = entries_.back();
        held_ -= last.span->size();
        index_.erase(last.key);
        entries_.pop_back();
    }
}

void MapSpanCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    index_.clear();
    held_ = 0;
}

size_t MapSpanCache::Capacity() const {
    std::lock_guard lock(mutex_);
    return capacity_;
}

size_t MapSpanCache::HeldBytes() const {
    std::lock_guard lock(mutex_);
    return held_;
}
