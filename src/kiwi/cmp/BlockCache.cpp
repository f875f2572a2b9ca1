// MRU block cache.
#include "kiwi/cmp/BlockCache.h"

#include <algorithm>

BlockCache::BlockCache(int slots) : slots_(size_t(std::max(slots, 1))) {
    order_.resize(slots_.size());
    // Entry k starts with slot slots-1-k.
    for (size_t k = 0; k < order_.size(); ++k)
        order_[k] = int(order_.size() - 1 - k);
}

bool BlockCache::Touch(int64_t block) {
    if (block < 0) return false; // empty slots hold -1
    if (Front().block == block) return true;
    for (size_t k = 1; k < order_.size(); ++k) {
        if (slots_[size_t(order_[k])].block == block) {
            std::swap(order_[0], order_[k]);
            return true;
        }
    }
    return false;
}

BlockCache::Slot& BlockCache::Claim() {
    std::rotate(order_.begin(), order_.end() - 1, order_.end());
    Slot& slot = Front();
    slot.block = -1;
    slot.length = 0;
    if (!slot.data) slot.data = std::make_unique_for_overwrite<uint8_t[]>(size_t(blockSize));
    return slot;
}
