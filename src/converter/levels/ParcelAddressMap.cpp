// Old-to-new parcel offsets of one level.
#include "converter/levels/ParcelAddressMap.h"

#include <algorithm>

void ParcelAddressMap::Register(int64_t oldOffset, int64_t newOffset, uint32_t newSize, int64_t keyBase) {
    // Equal old offsets in registration order are in sorted order already.
    if (!written_.empty() && oldOffset < written_.back().oldOffset) sorted_ = false;
    written_.push_back({oldOffset, newOffset, newSize, keyBase, uint32_t(written_.size())});
}

void ParcelAddressMap::sort() const {
    if (sorted_) return;
    std::sort(written_.begin(), written_.end(), [](const Entry& a, const Entry& b) {
        return a.oldOffset != b.oldOffset ? a.oldOffset < b.oldOffset : a.order < b.order;
    });
    sorted_ = true;
}

int64_t ParcelAddressMap::FindNewParcelOffset(int64_t oldOffset) const {
    sort();
    const auto it = std::lower_bound(written_.begin(), written_.end(), oldOffset,
                                     [](const Entry& e, int64_t key) { return e.oldOffset < key; });
    return it != written_.end() && it->oldOffset == oldOffset ? it->newOffset : -1;
}

const std::vector<ParcelAddressMap::Entry>& ParcelAddressMap::SortedEntries() const {
    sort();
    return written_;
}

void ParcelAddressMap::Clear() {
    written_.clear();
    sorted_ = true;
}

void ParcelAddressMap::Reserve(size_t count) {
    written_.reserve(count);
}
