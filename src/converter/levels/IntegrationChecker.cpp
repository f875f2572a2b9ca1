// The deduplication table of one parcel list.
#include "converter/levels/IntegrationChecker.h"

TLN_IntegtationChecker::TLN_IntegtationChecker(int32_t capacity) {
    if (capacity > 0) {
        entries_.reserve(size_t(capacity));
        index_.Reserve(size_t(capacity));
    }
}

void TLN_IntegtationChecker::Clear() {
    entries_.clear();
    index_.Clear();
}

bool TLN_IntegtationChecker::Find(int64_t key, int64_t& value, uint32_t& size) const {
    const int64_t* at = index_.Find(key);
    if (!at) return false;
    value = entries_[size_t(*at)].value;
    size = entries_[size_t(*at)].size;
    return true;
}

void TLN_IntegtationChecker::Add(int64_t key, int64_t value, uint32_t size) {
    index_.Insert(key, 0, int64_t(entries_.size()));
    entries_.push_back({key, value, size});
}
