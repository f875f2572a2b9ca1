// Where each parcel of the level being written went: old frame offset in the source to new offset in the
// output, looked up through a hash map (first registration wins), and the written frames in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class ParcelAddressMap {
public:
    struct Entry {
        int64_t oldOffset = 0;
        int64_t newOffset = 0;
        // The frame's written size in bytes: the adjacency pass stays inside it.
        uint32_t newSize = 0;
        // The key base of the frame's source file: its neighbours' addresses are looked up with it.
        int64_t keyBase = 0;
    };

    // Records a written parcel; a later registration of the same old offset keeps the first new offset
    // for look-ups, but the frame is still listed (a frame written twice is repaired twice).
    void Register(int64_t oldOffset, int64_t newOffset, uint32_t newSize, int64_t keyBase = 0);
    // The new offset of a parcel written at this level, or -1.
    int64_t FindNewParcelOffset(int64_t oldOffset) const;
    // Every written frame, sorted by old offset (stable), for the adjacency pass.
    std::vector<Entry> SortedEntries() const;
    size_t Count() const { return written_.size(); }
    void Clear();
    void Reserve(size_t count);

private:
    std::unordered_map<int64_t, int64_t> map_;
    std::vector<Entry> written_;
};
