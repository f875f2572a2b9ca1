// Least-recently-used region cache.
#include "kiwi/region/RegionCache.h"

#include <algorithm>

namespace {
size_t budget(int64_t byteLimit) {
    return size_t(std::max<int64_t>(byteLimit, 0));
}
} // namespace

TLN_RegionCache::TLN_RegionCache(int64_t byteLimit)
    : regions_(budget(byteLimit),
               [](const Entry& entry) { return size_t(std::max<int64_t>(entry.bytes, 0)); }) {}

std::shared_ptr<const TLN_Region> TLN_RegionCache::Find(int level, int region) {
    std::lock_guard lock(mutex_);
    const Entry* found = regions_.Find(key(level, region));
    return found ? found->value : nullptr;
}

std::shared_ptr<const TLN_Region>
TLN_RegionCache::Insert(int level, int region, std::shared_ptr<const TLN_Region> value, int64_t bytes) {
    std::lock_guard lock(mutex_);
    if (const Entry* found = regions_.Find(key(level, region))) return found->value;
    return regions_.Insert(key(level, region), Entry{std::move(value), bytes}).value;
}

void TLN_RegionCache::Clear() {
    std::lock_guard lock(mutex_);
    regions_.Clear();
}

void TLN_RegionCache::SetLimit(int64_t byteLimit) {
    std::lock_guard lock(mutex_);
    regions_.SetBudget(budget(byteLimit));
}

int64_t TLN_RegionCache::Bytes() const {
    std::lock_guard lock(mutex_);
    return int64_t(regions_.HeldBytes());
}

size_t TLN_RegionCache::Count() const {
    std::lock_guard lock(mutex_);
    return regions_.Count();
}
