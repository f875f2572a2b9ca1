// The adjacent parcel information of the frames written at one level, repaired as soon as every neighbour
// a frame names has been written, which is mostly while the frame is still in the output's buffer (its
// neighbours above and to the right follow it closely); the frames still waiting when the level ends are
// repaired then. Nothing of the level is read back from the file.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "converter/levels/ParcelAddressMap.h"
#include "kiwi/io/Stream.h"

enum class AdjacentMode { Remove, Clear, Update };

struct AdjacentRepairLevel {
    // Basic and extended main map frame references of the level (6 bytes each).
    int basicCount = 0;
    int extendedCount = 0;
};

class AdjacencyLedger {
public:
    // Old key to the new offset of the neighbour's frame, or -1.
    using Lookup = std::function<int64_t(int64_t key)>;

    explicit AdjacencyLedger(AdjacentMode mode) : mode_(mode) {}

    // The frame of frameSize bytes just written at frameOffset of out for the source frame with key
    // oldKey (keyBase + its old offset; the first frame written for a key is the one neighbours get):
    // wakes the frames waiting for it, then repairs this frame's own information or keeps it until its
    // neighbours (looked up as keyBase + their old offsets) are written.
    void Written(TLN_Stream& out, int64_t oldKey, int64_t frameOffset, uint32_t frameSize,
                 const AdjacentRepairLevel& level, int64_t keyBase = 0);
    // Repairs the frames still waiting (neighbours never written get the empty reference) and reports each
    // frame that could not be repaired whole. Returns false when stopped.
    bool Finish(TLN_Stream& out, const std::atomic<bool>* stop,
                const std::function<void(int64_t frameOffset)>& notFixed);
    // Frames written at the level.
    size_t Frames() const { return frames_; }
    void Clear();

    // Repairs one frame at frameOffset of out against addresses (what the level wrote). Returns false when
    // the frame's information could not be repaired whole.
    static bool RepairOne(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                          const AdjacentRepairLevel& level, AdjacentMode mode,
                          const ParcelAddressMap& addresses, const std::atomic<bool>* stop, int64_t keyBase);
    // The same against a lookup of every frame of the level (a planned level: no neighbour is waited for).
    static bool RepairWith(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                           const AdjacentRepairLevel& level, AdjacentMode mode, const Lookup& lookup,
                           int64_t keyBase);

private:
    struct SubList {
        uint32_t at = 0; // in the frame
        std::vector<uint8_t> bytes;
    };
    struct Record {
        int64_t frame = 0;
        int64_t keyBase = 0;
        // The frame holds its 36-byte header (else nothing can be repaired).
        bool header = true;
        // Every divided neighbour's list lies inside the frame.
        bool fits = true;
        bool done = false;
        uint16_t flags = 0;
        // Where the eight entries lie in the frame, or 0 when they do not fit in it.
        uint32_t entries = 0;
        // Neighbours not yet written.
        uint32_t waiting = 0;
        uint8_t bytes[48] = {};
        std::vector<SubList> lists;
    };
    // The frame's record as read back from out (just written, so from the output's buffer).
    static Record read(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                       const AdjacentRepairLevel& level, int64_t keyBase);
    // The keys of the neighbours the repair looks up (the divided neighbours' sub-parcels even when
    // clearing).
    std::vector<int64_t> awaited(const Record& r) const;
    // Writes the repaired information; false when it could not be repaired whole.
    static bool apply(TLN_Stream& out, Record& r, AdjacentMode mode, const Lookup& lookup);
    int64_t find(int64_t key) const;

    // Remembers where the first frame of each old key went.
    void remember(int64_t key, int64_t newOffset);

    AdjacentMode mode_;
    size_t frames_ = 0;
    // Old key to new offset of every frame written at the level: frames come in source order as a rule,
    // so most keys append to a sorted list (16 bytes each); the others go to a hash map.
    std::vector<std::pair<int64_t, int64_t>> ordered_;
    std::unordered_map<int64_t, int64_t> unordered_;
    // Frames waiting for neighbours; the places of repaired ones are reused (free_).
    std::vector<Record> pending_;
    std::vector<uint32_t> free_;
    std::unordered_multimap<int64_t, uint32_t> waiters_;
    std::vector<int64_t> notFixed_;
};
