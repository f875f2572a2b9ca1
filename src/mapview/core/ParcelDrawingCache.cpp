// The decoded parcel cache under its mutex.
#include "mapview/core/ParcelDrawingCache.h"

size_t ParcelDrawingKeyHash::operator()(const ParcelDrawingKey& key) const {
    size_t h = std::hash<uint64_t>()(key.mapGeneration);
    auto mix = [&h](uint64_t value) {
        h ^= std::hash<uint64_t>()(value) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    };
    mix(uint64_t(reinterpret_cast<uintptr_t>(key.stream)));
    mix(std::hash<std::string>()(key.file));
    mix(uint64_t(key.address));
    mix(uint64_t(key.level) << 16 | uint64_t(key.filter) << 8 | key.layers);
    mix(uint64_t(uint32_t(key.textPage)) << 32 | uint32_t(key.ansiPage));
    mix(key.language);
    return h;
}

ParcelDrawingCache::ParcelDrawingCache(size_t budgetBytes)
    : entries_(budgetBytes, [](const Value& value) { return value ? value->Bytes() : size_t(0); }) {}

ParcelDrawingCache::Value ParcelDrawingCache::Find(const ParcelDrawingKey& key) {
    std::lock_guard lock(mutex_);
    const Value* found = entries_.Find(key);
    return found ? *found : nullptr;
}

void ParcelDrawingCache::Insert(const ParcelDrawingKey& key, Value value) {
    std::lock_guard lock(mutex_);
    entries_.Insert(key, std::move(value));
}

void ParcelDrawingCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.Clear();
}

size_t ParcelDrawingCache::HeldBytes() const {
    std::lock_guard lock(mutex_);
    return entries_.HeldBytes();
}

size_t ParcelDrawingCache::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.Count();
}
