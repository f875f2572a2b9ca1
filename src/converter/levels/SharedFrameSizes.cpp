// Frames that records of one list name with different sizes.
#include "converter/levels/SharedFrameSizes.h"

#include <algorithm>

void SharedFrameSizes::Finish(const std::function<void(uint32_t, int32_t, uint32_t, uint32_t)>& report) {
    std::sort(records_.begin(), records_.end(), [](const Named& a, const Named& b) {
        return a.key != b.key ? a.key < b.key : a.parcel != b.parcel ? a.parcel < b.parcel : a.sub < b.sub;
    });
    for (size_t first = 0; first < records_.size();) {
        size_t last = first;
        uint32_t largest = 0;
        bool differ = false;
        for (; last < records_.size() && records_[last].key == records_[first].key; ++last) {
            largest = std::max(largest, records_[last].held);
            differ = differ || records_[last].size != records_[first].size;
        }
        if (differ && largest > 0) {
            larger_.emplace_back(records_[first].key, largest);
            for (size_t i = first; i < last; ++i)
                if (records_[i].size != largest)
                    report(records_[i].parcel, records_[i].sub, records_[i].size, largest);
        }
        first = last;
    }
}

uint32_t SharedFrameSizes::Largest(int64_t key, uint32_t size) const {
    if (larger_.empty()) return size;
    const auto it =
        std::lower_bound(larger_.begin(), larger_.end(), key,
                         [](const std::pair<int64_t, uint32_t>& e, int64_t k) { return e.first < k; });
    return it != larger_.end() && it->first == key ? it->second : size;
}
