// Records of one parcel list that name one frame with different sizes: the frame is copied once for all of
// them, at the largest size any of them gives that the source holds, so that no record's frame is cut
// unsaid; each record whose size is not that one is reported.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "converter/levels/FlatKeyMap.h"

class SharedFrameSizes {
public:
    // Starts a list; the buffers keep their room from list to list.
    void Begin() {
        records_.clear();
        larger_.clear();
        sizes_.Clear();
        differ_ = false;
    }
    // A record of the list: its frame's key and size, whether the source holds that size whole, and its
    // parcel (sub: sub-parcel index, or -1).
    void Add(int64_t key, uint32_t size, bool held, uint32_t parcel, int32_t sub) {
        records_.push_back({key, size, held ? size : 0, parcel, sub});
        // Frames many records name mostly have one size: only a frame named with another needs sorting out.
        if (!sizes_.Insert(key, 0, size) && *sizes_.Find(key) != int64_t(size)) differ_ = true;
    }
    // Whether a frame is named with different sizes; without that Finish finds nothing.
    bool Differ() const { return differ_; }
    // Finds the frames named with different sizes and reports each record whose size is not the largest
    // held: report(parcel, sub, its size, the largest).
    void Finish(const std::function<void(uint32_t, int32_t, uint32_t, uint32_t)>& report);
    // The size the frame of key is copied at: the largest held size its records give (size when they
    // agree, or when none is held).
    uint32_t Largest(int64_t key, uint32_t size) const;

private:
    struct Named {
        int64_t key;
        uint32_t size;
        // The size when the source holds it whole, else 0.
        uint32_t held;
        uint32_t parcel;
        int32_t sub;
    };
    std::vector<Named> records_;
    // Keys named with different sizes, with their largest, by key.
    std::vector<std::pair<int64_t, uint32_t>> larger_;
    // The first size each key was named with.
    FlatKeyMap sizes_;
    bool differ_ = false;
};
