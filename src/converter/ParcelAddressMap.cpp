// Old-to-new parcel offsets of one level.
#include "converter/ParcelAddressMap.h"

#include <algorithm>

void ParcelAddressMap::Register(int64_t oldOffset, int64_t newOffset, uint32_t newSize, int64_t keyBase) {
    map_.emplace(oldOffset, newOffset);
    written_.push_back({oldOffset, newOffset, newSize, keyBase});
}

int64_t ParcelAddressMap::FindNewParcelOffset(int64_t oldOffset) const {
    const auto it = map_.find(oldOffset);
    return it == map_.end() ? -1 : it->second;
}

std::vector<ParcelAddressMap::Entry> ParcelAddressMap::SortedEntries() const {
    std::vector<Entry> sorted = written_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Entry& a, const Entry& b) { return a.oldOffset < b.oldOffset; });
    return sorted;
}

void ParcelAddressMap::Clear() {
    map_.clear();
    written_.clear();
}

void ParcelAddressMap::Reserve(size_t count) {
    map_.reserve(count);
    written_.reserve(count);
}
