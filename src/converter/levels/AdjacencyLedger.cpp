// Adjacent parcel information repaired as the level's frames are written.
#include "converter/levels/AdjacencyLedger.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"

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
    // The neighbour's frame was written by this run, so its offset is one a KIWI address can hold.
    const uint32_t address = OffsetToKiwiAddress(newOffset);
    const uint8_t bytes[6] = {uint8_t(address >> 24), uint8_t(address >> 16),   uint8_t(address >> 8),
                              uint8_t(address),       uint8_t(storedSize >> 8), uint8_t(storedSize)};
    std::copy(bytes, bytes + 6, entry);
}

bool ordinary(const uint8_t* entry) {
    return dword(entry) != 0xFFFFFFFFu && word(entry + 4) != 0;
}

} // namespace

AdjacencyLedger::Record AdjacencyLedger::read(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                                              const AdjacentRepairLevel& level, int64_t keyBase) {
    Record r;
    r.frame = frameOffset;
    r.keyBase = keyBase;
    if (frameSize < kHeaderSize) {
        r.header = false;
        return r;
    }
    uint8_t header[kHeaderSize];
    out.ReadExactAt(frameOffset, header, kHeaderSize);
    r.flags = word(&header[12]);
    if ((r.flags & kAdjacentFlag) == 0) return r;
    const int64_t start =
        kHeaderSize + 4 * int64_t(word(&header[34])) + 6 * int64_t(level.basicCount + level.extendedCount);
    if (start + 48 > int64_t(frameSize)) return r;
    r.entries = uint32_t(start);
    out.ReadExactAt(frameOffset + start, r.bytes, 48);
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
        r.lists.push_back(std::move(sub));
    }
    return r;
}

std::vector<int64_t> AdjacencyLedger::awaited(const Record& r) const {
    std::vector<int64_t> keys;
    if (!r.header || r.entries == 0 || (r.flags & kAdjacentFlag) == 0 || mode_ == AdjacentMode::Remove)
        return keys;
    if (mode_ == AdjacentMode::Update)
        for (int direction = 0; direction < 8; ++direction)
            if (ordinary(r.bytes + 6 * direction))
                keys.push_back(r.keyBase + KiwiAddressToOffset(dword(r.bytes + 6 * direction)));
    for (const SubList& sub : r.lists)
        for (size_t k = 0; k + 6 <= sub.bytes.size(); k += 6)
            if (dword(&sub.bytes[k]) != 0xFFFFFFFFu)
                keys.push_back(r.keyBase + KiwiAddressToOffset(dword(&sub.bytes[k])));
    return keys;
}

bool AdjacencyLedger::apply(TLN_Stream& out, Record& r, AdjacentMode mode, const Lookup& lookup) {
    r.done = true;
    if (!r.header) return false;
    if ((r.flags & kAdjacentFlag) == 0) return true;
    if (mode == AdjacentMode::Remove) {
        const uint16_t cleared = uint16_t(r.flags & ~kAdjacentFlag);
        const uint8_t bytes[2] = {uint8_t(cleared >> 8), uint8_t(cleared & 0xFF)};
        out.WriteAt(r.frame + 12, bytes, 2);
        return true;
    }
    if (r.entries == 0) return false;
    for (int direction = 0; direction < 8; ++direction) {
        uint8_t* entry = r.bytes + 6 * direction;
        if (!ordinary(entry)) continue;
        const int64_t old = KiwiAddressToOffset(dword(entry));
        repoint(entry, mode == AdjacentMode::Update ? lookup(r.keyBase + old) : -1, word(entry + 4));
    }
    out.WriteAt(r.frame + r.entries, r.bytes, 48);
    for (SubList& sub : r.lists) {
        for (size_t k = 0; k + 6 <= sub.bytes.size(); k += 6) {
            const uint32_t address = dword(&sub.bytes[k]);
            if (address == 0xFFFFFFFFu) continue;
            repoint(&sub.bytes[k], lookup(r.keyBase + KiwiAddressToOffset(address)), word(&sub.bytes[k + 4]));
        }
        out.WriteAt(r.frame + sub.at, sub.bytes.data(), int64_t(sub.bytes.size()));
    }
    return r.fits;
}

int64_t AdjacencyLedger::find(int64_t key) const {
    // Neighbours were mostly written shortly before: the search starts among the last frames.
    constexpr size_t kRecent = 128;
    auto from = ordered_.begin();
    if (ordered_.size() > kRecent && key >= ordered_[ordered_.size() - kRecent].first)
        from = ordered_.end() - kRecent;
    const auto it =
        std::lower_bound(from, ordered_.end(), key,
                         [](const std::pair<int64_t, int64_t>& e, int64_t k) { return e.first < k; });
    if (it != ordered_.end() && it->first == key) return it->second;
    const auto other = unordered_.find(key);
    return other == unordered_.end() ? -1 : other->second;
}

void AdjacencyLedger::remember(int64_t key, int64_t newOffset) {
    if (ordered_.empty() || key > ordered_.back().first)
        ordered_.emplace_back(key, newOffset);
    else
        unordered_.emplace(key, newOffset);
}

void AdjacencyLedger::Written(TLN_Stream& out, int64_t oldKey, int64_t frameOffset, uint32_t frameSize,
                              const AdjacentRepairLevel& level, int64_t keyBase) {
    ++frames_;
    const Lookup lookup = [this](int64_t key) { return find(key); };
    if (find(oldKey) < 0) {
        remember(oldKey, frameOffset);
        const auto [first, last] = waiters_.equal_range(oldKey);
        std::vector<uint32_t> woken;
        for (auto it = first; it != last; ++it)
            woken.push_back(it->second);
        waiters_.erase(first, last);
        for (uint32_t index : woken) {
            Record& r = pending_[index];
            if (--r.waiting != 0) continue;
            if (!apply(out, r, mode_, lookup)) notFixed_.push_back(r.frame);
            r.lists = {};
            free_.push_back(index);
        }
    }
    Record r = read(out, frameOffset, frameSize, level, keyBase);
    std::vector<int64_t> keys = awaited(r);
    std::erase_if(keys, [this](int64_t key) { return find(key) >= 0; });
    r.waiting = uint32_t(keys.size());
    if (r.waiting == 0) {
        if (!apply(out, r, mode_, lookup)) notFixed_.push_back(r.frame);
        return;
    }
    uint32_t index = uint32_t(pending_.size());
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    }
    for (int64_t key : keys)
        waiters_.emplace(key, index);
    if (index == pending_.size())
        pending_.push_back(std::move(r));
    else
        pending_[index] = std::move(r);
}

bool AdjacencyLedger::Finish(TLN_Stream& out, const std::atomic<bool>* stop,
                             const std::function<void(int64_t frameOffset)>& notFixed) {
    const Lookup lookup = [this](int64_t key) { return find(key); };
    for (Record& r : pending_) {
        if (stop && stop->load()) return false;
        if (!r.done && !apply(out, r, mode_, lookup)) notFixed_.push_back(r.frame);
    }
    std::sort(notFixed_.begin(), notFixed_.end());
    for (int64_t frame : notFixed_)
        notFixed(frame);
    return true;
}

void AdjacencyLedger::Clear() {
    frames_ = 0;
    ordered_.clear();
    unordered_.clear();
    pending_.clear();
    free_.clear();
    waiters_.clear();
    notFixed_.clear();
}

bool AdjacencyLedger::RepairOne(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                                const AdjacentRepairLevel& level, AdjacentMode mode,
                                const ParcelAddressMap& addresses, const std::atomic<bool>* stop,
                                int64_t keyBase) {
    if (stop && stop->load()) return false;
    Record r = read(out, frameOffset, frameSize, level, keyBase);
    return apply(out, r, mode, [&](int64_t key) { return addresses.FindNewParcelOffset(key); });
}

bool AdjacencyLedger::RepairWith(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                                 const AdjacentRepairLevel& level, AdjacentMode mode, const Lookup& lookup,
                                 int64_t keyBase) {
    Record r = read(out, frameOffset, frameSize, level, keyBase);
    return apply(out, r, mode, lookup);
}
