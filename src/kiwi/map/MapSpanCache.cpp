// Bounded LRU cache of spans read from map streams.
#include "kiwi/map/MapSpanCache.h"

#include <functional>

MapSpanCache::MapSpanCache(size_t capacityBytes)
    : spans_(capacityBytes, [](const Entry& entry) { return entry.span->size(); }) {}

size_t MapSpanCache::KeyHash::operator()(const Key& key) const {
    const size_t a = std::hash<const void*>()(key.stream);
    const size_t b = std::hash<int64_t>()(key.position);
    return a ^ (b * 0x9E3779B97F4A7C15ull) ^ (size_t(key.kind) << 56) ^ (size_t(key.tag) << 40);
}

MapSpanCache::Span MapSpanCache::Find(const TLN_Stream* stream, int64_t position, Kind kind, uint32_t tag) {
    std::lock_guard lock(mutex_);
    const Key key{stream, position, kind, tag};
    const Entry* found = spans_.Find(key);
    if (!found) return nullptr;
    if (found->stream.expired()) {
        spans_.Erase(key);
        return nullptr;
    }
    return found->span;
}

void MapSpanCache::SetCapacity(size_t capacityBytes) {
    std::lock_guard lock(mutex_);
    spans_.SetBudget(capacityBytes);
    // Not even the most recent span stays when it alone no longer fits.
    if (spans_.HeldBytes() > capacityBytes) spans_.Clear();
}

void MapSpanCache::Insert(const std::shared_ptr<TLN_Stream>& stream, int64_t position, Kind kind, Span span,
                          uint32_t tag) {
    std::lock_guard lock(mutex_);
    if (!span || span->size() > spans_.Budget() / 4) return;
    const Key key{stream.get(), position, kind, tag};
    // Another thread read it meanwhile, or a longer span of the same place replaces a shorter one.
    if (const Entry* held = spans_.Peek(key);
        held && !held->stream.expired() && held->span->size() >= span->size())
        return;
    spans_.Insert(key, Entry{stream, std::move(span)});
}

void MapSpanCache::Clear() {
    std::lock_guard lock(mutex_);
    spans_.Clear();
}

size_t MapSpanCache::Capacity() const {
    std::lock_guard lock(mutex_);
    return spans_.Budget();
}

size_t MapSpanCache::HeldBytes() const {
    std::lock_guard lock(mutex_);
    return spans_.HeldBytes();
}
