// MRU block cache.
#include "kiwi/cmp/BlockCache.h"

#include <algorithm>

BlockCache::BlockCache(int slots)
    : slots_(std::max(slots, 1)),
      blocks_(size_t(slots_) * size_t(blockSize), [](const Block&) { return size_t(blockSize); }) {}

const BlockCache::Block* BlockCache::Find(int64_t block) {
    if (block < 0) return nullptr;
    const Block* held = blocks_.Find(block);
    if (held) current_ = held;
    return held;
}

std::unique_ptr<uint8_t[]> BlockCache::Claim() {
    current_ = nullptr;
    if (blocks_.Count() >= size_t(slots_))
        if (auto oldest = blocks_.TakeOldest(); oldest && oldest->data) return std::move(oldest->data);
    return std::make_unique_for_overwrite<uint8_t[]>(size_t(blockSize));
}

const BlockCache::Block& BlockCache::Keep(int64_t block, std::unique_ptr<uint8_t[]> data, int64_t length) {
    const Block& kept = blocks_.Insert(block, Block{std::move(data), length});
    current_ = &kept;
    return kept;
}
