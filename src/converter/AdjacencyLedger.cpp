// Adjacent parcel information noted while writing, repaired after the level.
#include "converter/AdjacencyLedger.h"

#include "converter/OutputEncoding.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/MemoryStream.h"

namespace {

constexpr int kHeaderSize = 36;
constexpr uint16_t kAdjacentFlag = 1u << 13;
const uint8_t kEmpty[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};

uint16_t word(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
uint32_t dword(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// One 6-byte reference re-pointed to the neighbour's new frame, or emptied, in place.
void repoint(uint8_t* entry, int64_t newOffset, uint16_t storedSize) {
    if (newOffset <= 0) {
        std::copy(kEmpty, kEmpty + 6, entry);
        return;
    }
    TLN_MemoryStream s;
    WriteAddressAndStoredSize(s, newOffset, storedSize);
    const std::vector<uint8_t> bytes = s.Bytes();
    std::copy(bytes.begin(), bytes.begin() + 6, entry);
}

// The sub-parcel references of a divided neighbour's list, each looked up.
void repointList(std::vector<uint8_t>& list, const ParcelAddressMap& addresses, int64_t keyBase) {
    for (size_t k = 0; k + 6 <= list.size(); k += 6) {
        const uint32_t address = dword(&list[k]);
        if (address == 0xFFFFFFFFu) continue;
        repoint(&list[k], addresses.FindNewParcelOffset(keyBase + KiwiAddressToOffset(address)),
                word(&list[k + 4]));
    }
}

} // namespace

void AdjacencyLedger::Note(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                           const AdjacentRepairLevel& level, int64_t keyBase) {
    Record r;
    r.frame = frameOffset;
    r.keyBase = keyBase;
    if (frameSize < kHeaderSize) {
        r.header = false;
        records_.push_back(r);
        return;
    }
    uint8_t header[kHeaderSize];
    out.ReadExactAt(frameOffset, header, kHeaderSize);
    r.flags = word(&header[12]);
    if ((r.flags & kAdjacentFlag) == 0) return;
    const int64_t start =
        kHeaderSize + 4 * int64_t(word(&header[34])) + 6 * int64_t(level.basicCount + level.extendedCount);
    if (start + 48 > int64_t(frameSize)) {
        records_.push_back(r);
        return;
    }
    r.entries = uint32_t(start);
    out.ReadExactAt(frameOffset + start, r.bytes, 48);
    r.firstList = uint32_t(lists_.size());
    for (int direction = 0; direction < 8; ++direction) {
        const uint8_t* entry = r.bytes + 6 * direction;
        const uint32_t address = dword(entry);
        if (address == 0xFFFFFFFFu || word(entry + 4) != 0) continue;
        // A divided neighbour: a word offset from the frame start to its list of sub-parcel references;
        // the count is the low byte + 1, as the readers take it.
        const int64_t list = 2 * int64_t(address >> 16);
        const int64_t count = int64_t(address & 0xFF) + 1;
        if (list < kHeaderSize || list + 6 * count > int64_t(frameSize)) {
            r.fits = false;
            continue;
        }
        SubList sub{uint32_t(list), std::vector<uint8_t>(size_t(6 * count))};
        out.ReadExactAt(frameOffset + list, sub.bytes.data(), 6 * count);
        lists_.push_back(std::move(sub));
        ++r.lists;
    }
    records_.push_back(r);
}

bool AdjacencyLedger::Apply(TLN_Stream& out, AdjacentMode mode, const ParcelAddressMap& addresses,
                            const std::atomic<bool>* stop,
                            const std::function<void(int64_t frameOffset)>& notFixed) {
    for (Record& r : records_) {
        if (stop && stop->load()) return false;
        if (!r.header) {
            notFixed(r.frame);
            continue;
        }
        if (mode == AdjacentMode::Remove) {
            const uint16_t cleared = uint16_t(r.flags & ~kAdjacentFlag);
            const uint8_t bytes[2] = {uint8_t(cleared >> 8), uint8_t(cleared & 0xFF)};
            out.WriteAt(r.frame + 12, bytes, 2);
            continue;
        }
        if (r.entries == 0) {
            notFixed(r.frame);
            continue;
        }
        uint8_t entries[48];
        std::copy(r.bytes, r.bytes + 48, entries);
        for (int direction = 0; direction < 8; ++direction) {
            uint8_t* entry = entries + 6 * direction;
            if (dword(entry) == 0xFFFFFFFFu || word(entry + 4) == 0) continue;
            const int64_t old = KiwiAddressToOffset(dword(entry));
            repoint(entry, mode == AdjacentMode::Update ? addresses.FindNewParcelOffset(r.keyBase + old) : -1,
                    word(entry + 4));
        }
        out.WriteAt(r.frame + r.entries, entries, 48);
        for (uint32_t i = r.firstList; i < r.firstList + r.lists; ++i) {
            repointList(lists_[i].bytes, addresses, r.keyBase);
            out.WriteAt(r.frame + lists_[i].at, lists_[i].bytes.data(), int64_t(lists_[i].bytes.size()));
        }
        if (!r.fits) notFixed(r.frame);
    }
    return true;
}

void AdjacencyLedger::Clear() {
    records_.clear();
    lists_.clear();
}
