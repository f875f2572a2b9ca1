// A hash map from a pair of 64-bit keys to a 64-bit value, kept in one array (open addressing, linear
// probing): the per-block and per-parcel tables of a level transfer cost no allocation per entry, and a
// table is cleared at once (its slots carry the generation they were filled in) keeping its room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class FlatKeyMap {
public:
    // The value of (a, b), or null.
    const int64_t* Find(int64_t a, int64_t b = 0) const {
        if (count_ == 0) return nullptr;
        for (size_t i = slotOf(a, b);; i = (i + 1) & mask_) {
            const Slot& s = slots_[i];
            if (s.generation != generation_) return nullptr;
            if (s.a == a && s.b == b) return &s.value;
        }
    }
    // Adds (a, b) with value unless it is there; true when it was added (the first value of a key stays).
    bool Insert(int64_t a, int64_t b, int64_t value) {
        if ((count_ + 1) * 4 > slots_.size() * 3) grow();
        for (size_t i = slotOf(a, b);; i = (i + 1) & mask_) {
            Slot& s = slots_[i];
            if (s.generation != generation_) {
                s = {a, b, value, generation_};
                ++count_;
                return true;
            }
            if (s.a == a && s.b == b) return false;
        }
    }
    void Clear() {
        if (count_ == 0) return;
        count_ = 0;
        if (++generation_ != 0) return;
        for (Slot& s : slots_)
            s.generation = 0;
        generation_ = 1;
    }
    // Room for n entries without growing.
    void Reserve(size_t n) {
        while (n * 4 > slots_.size() * 3)
            grow();
    }
    size_t Size() const { return count_; }

private:
    struct Slot {
        int64_t a = 0, b = 0, value = 0;
        uint32_t generation = 0;
    };
    size_t slotOf(int64_t a, int64_t b) const {
        uint64_t h = uint64_t(a) * 0x9E3779B97F4A7C15ull ^ (uint64_t(b) + 0x632BE59BD9B4E019ull);
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        return size_t(h ^ (h >> 32)) & mask_;
    }
    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        count_ = 0;
        const uint32_t filled = generation_;
        generation_ = 1;
        for (const Slot& s : old)
            if (s.generation == filled) Insert(s.a, s.b, s.value);
    }

    std::vector<Slot> slots_;
    size_t mask_ = 0;
    size_t count_ = 0;
    uint32_t generation_ = 1;
};
