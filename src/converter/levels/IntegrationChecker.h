// The deduplication table of one parcel list: which old frames were already written to the new map and
// where, so that records sharing a frame share its copy. It grows as needed; look-ups go through a flat
// hash map and the first entry of a key wins. Cleared, it keeps its room: one table serves every list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "converter/levels/FlatKeyMap.h"

class TLN_IntegtationChecker {
public:
    // capacity is a hint (the level's parcels per block); the table grows past it.
    explicit TLN_IntegtationChecker(int32_t capacity = 0);

    void Clear();
    // True with the first stored value and size of the key; the outputs are untouched otherwise.
    bool Find(int64_t key, int64_t& value, uint32_t& size) const;
    void Add(int64_t key, int64_t value, uint32_t size);
    int32_t Count() const { return int32_t(entries_.size()); }

private:
    struct Entry {
        int64_t key;
        int64_t value;
        uint32_t size;
    };
    std::vector<Entry> entries_;
    // Key to the index of its first entry.
    FlatKeyMap index_;
};
