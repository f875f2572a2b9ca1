// The decompressing stream's most-recently-used cache of decoded 64 KiB blocks. Slot memory is allocated
// when a slot is first used; a slot names a block only once that block decoded successfully.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class BlockCache {
public:
    static constexpr int64_t blockSize = 65536;

    struct Slot {
        int64_t block = -1; // -1: holds nothing usable
        int64_t length = 0; // bytes the decoder produced
        std::unique_ptr<uint8_t[]> data;
    };

    explicit BlockCache(int slots);

    int SlotCount() const { return int(order_.size()); }
    // The slot of MRU entry 0.
    Slot& Front() { return slots_[size_t(order_[0])]; }
    const Slot& Front() const { return slots_[size_t(order_[0])]; }
    // Makes the slot holding block the MRU entry 0; false when no slot holds it.
    bool Touch(int64_t block);
    // Takes the least recently used slot as MRU entry 0 for a block about to be decoded: it is marked
    // empty first, so a failed decode leaves nothing stale behind. Allocates its memory when needed.
    Slot& Claim();

private:
    std::vector<Slot> slots_;
    // MRU entries: slot indices, entry 0 the most recently used.
    std::vector<int> order_;
};
