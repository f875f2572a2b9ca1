// The adjacent parcel information of the frames written at one level, taken while each frame is still in
// the output's buffer: the repair once the level is complete then only writes the re-pointed entries, in
// position order, and reads nothing of the level back.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "converter/ParcelAddressMap.h"
#include "kiwi/io/Stream.h"

enum class AdjacentMode { Remove, Clear, Update };

struct AdjacentRepairLevel {
    // Basic and extended main map frame references of the level (6 bytes each).
    int basicCount = 0;
    int extendedCount = 0;
};

class AdjacencyLedger {
public:
    // Notes the frame of frameSize bytes just written at frameOffset of out (read back from there); a frame
    // without adjacent parcel information is not kept. Neighbours are looked up as keyBase + their old
    // offset (frames of other source files).
    void Note(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize, const AdjacentRepairLevel& level,
              int64_t keyBase = 0);
    // Repairs every noted frame in the order noted: neighbours re-pointed to their new frames (Update),
    // emptied (Clear), or the information switched off (Remove). Every entry it touches lies inside its
    // frame; notFixed is called with the offset of each frame that could not be repaired whole. Returns
    // false when stopped.
    bool Apply(TLN_Stream& out, AdjacentMode mode, const ParcelAddressMap& addresses,
               const std::atomic<bool>* stop, const std::function<void(int64_t frameOffset)>& notFixed);
    size_t Count() const { return records_.size(); }
    void Clear();

private:
    struct Record {
        int64_t frame = 0;
        int64_t keyBase = 0;
        // The frame holds its 36-byte header (else nothing can be repaired).
        bool header = true;
        // Where the eight entries lie in the frame, or 0 when they do not fit in it.
        uint32_t entries = 0;
        uint16_t flags = 0;
        // The first of this frame's divided-neighbour lists in lists_, and their count.
        uint32_t firstList = 0;
        uint8_t lists = 0;
        // Every divided neighbour's list lies inside the frame.
        bool fits = true;
        uint8_t bytes[48] = {};
    };
    // A divided neighbour's list of sub-parcel references, copied from its frame.
    struct SubList {
        uint32_t at = 0; // in the frame
        std::vector<uint8_t> bytes;
    };

    std::vector<Record> records_;
    std::vector<SubList> lists_;
};
