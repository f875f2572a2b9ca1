// The deduplication table of one parcel list.
#include "converter/levels/IntegrationChecker.h"

TLN_IntegtationChecker::TLN_IntegtationChecker(int32_t capacity) {
    if (capacity > 0) {
        entries_.reserve(size_t(capacity));
        index_.reserve(size_t(capacity));
    }
}

void TLN_IntegtationChecker::Clear() {
    entries_.clear();
    index_.clear();
}

bool TLN_IntegtationChecker::Find(int64_t key, int64_t& value, uint32_t& size) const {
    const auto it = index_.find(key);
    if (it == index_.end()) return false;
    value = entries_[it->second].value;
    size = entries_[it->second].size;
    return true;
}

void TLN_IntegtationChecker::Add(int64_t key, int64_t value, uint32_t size) {
    index_.emplace(key, entries_.size());
    entries_.push_back({key, value, size});
}
