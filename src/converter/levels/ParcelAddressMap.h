// Where each parcel of the level being written went: old frame offset in the source to new offset in the
// output. The written frames are kept in one vector, sorted by old offset once the level is written and
// searched by bisection (first registration wins): a hash map beside it would double the memory a level
// of a million parcels needs.
#pragma once

#include <cstddef>
#include <cstdint>
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
        // Registration order: equal old offsets keep it when sorted.
        uint32_t order = 0;
    };

    // Records a written parcel; a later registration of the same old offset keeps the first new offset
    // for look-ups, but the frame is still listed (a frame written twice is repaired twice).
    void Register(int64_t oldOffset, int64_t newOffset, uint32_t newSize, int64_t keyBase = 0);
    // The new offset of a parcel written at this level, or -1. Sorts the frames first when a registration
    // came since the last sort.
    int64_t FindNewParcelOffset(int64_t oldOffset) const;
    // Every written frame, sorted by old offset (stable), for the adjacency pass.
    const std::vector<Entry>& SortedEntries() const;
    size_t Count() const { return written_.size(); }
    void Clear();
    void Reserve(size_t count);

private:
    void sort() const;

    // Sorted lazily by the const look-ups: one writer thread uses the map.
    mutable std::vector<Entry> written_;
    mutable bool sorted_ = true;
};
