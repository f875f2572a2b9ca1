// The decompressing stream's most-recently-used cache of decoded 64 KiB blocks. Block memory is allocated
// when a slot is first used and then passed from the least recently used block to the next one decoded; a
// block is held only once it decoded successfully.
#pragma once

#include <cstdint>
#include <memory>

#include "kiwi/core/BoundedLru.h"

class BlockCache {
public:
    static constexpr int64_t blockSize = 65536;

    struct Block {
        std::unique_ptr<uint8_t[]> data;
        int64_t length = 0; // bytes the decoder produced
    };

    explicit BlockCache(int slots);

    int SlotCount() const { return slots_; }
    // The held block, which becomes the most recently used; null when it is not held.
    const Block* Find(int64_t block);
    // The block last found or kept; null before the first and while a claimed block is being decoded.
    const Block* Current() const { return current_; }
    // Memory for a block about to be decoded. Once every slot is taken it is the least recently used
    // block's, which is dropped first, so a failed decode leaves nothing stale behind.
    std::unique_ptr<uint8_t[]> Claim();
    // Holds a block that decoded into data (from Claim) as the most recently used one.
    const Block& Keep(int64_t block, std::unique_ptr<uint8_t[]> data, int64_t length);

private:
    int slots_;
    BoundedLru<int64_t, Block> blocks_;
    const Block* current_ = nullptr;
};
