// The structural check of a produced "ALLDATA.KWI".
#include "support/converter/OutputValidator.h"

#include <map>

namespace convtest {

namespace {

constexpr int64_t kBase = 8192;

class Checker {
public:
    explicit Checker(const std::vector<uint8_t>& file) : f_(file) {}

    Validation run();

private:
    uint32_t u8(int64_t at) const { return fits(at, 1) ? f_[size_t(at)] : 0; }
    uint32_t u16(int64_t at) const { return (u8(at) << 8) | u8(at + 1); }
    uint32_t u32(int64_t at) const { return (u16(at) << 16) | u16(at + 2); }
    bool fits(int64_t at, int64_t n) const { return at >= 0 && n >= 0 && at + n <= int64_t(f_.size()); }
    static int64_t offsetOf(uint32_t address) {
        return int64_t(address >> 8) * 2048 + int64_t(address & 63) * 32;
    }
    void problem(const std::string& what) {
        if (v_.problems.size() < 50) v_.problems.push_back(what);
    }
    // Registers [at, at + n) as written; a second region may not overlap it unless identical.
    bool claim(int64_t at, int64_t n, const std::string& what) {
        if (at % 32 != 0 || at < kBase || !fits(at, n) || n <= 0) {
            problem(what + " at " + std::to_string(at) + " size " + std::to_string(n) +
                    " is not a valid region");
            return false;
        }
        const auto same = regions_.find(at);
        if (same != regions_.end()) {
            if (same->second != n)
                problem(what + " at " + std::to_string(at) + " shares a start with another size");
            return same->second == n;
        }
        auto next = regions_.lower_bound(at);
        if (next != regions_.end() && next->first < at + n)
            problem(what + " overlaps at " + std::to_string(at));
        if (next != regions_.begin() && std::prev(next)->first + std::prev(next)->second > at)
            problem(what + " overlaps at " + std::to_string(at));
        regions_[at] = n;
        return true;
    }
    int64_t records(int type, int64_t level) const {
        const int64_t record = kBase + 30 + level * levelSize_;
        if (type == 0) return int64_t(u8(record + 28) + 1) * (u8(record + 29) + 1);
        return int64_t(u8(record + 28 + 2 * type) + 1) * (u8(record + 29 + 2 * type) + 1);
    }
    // A list of count 6-byte records at list; divided records point to sub-lists inside [info, infoEnd).
    void list(int64_t level, int64_t info, int64_t infoEnd, int64_t at, int64_t count, bool guidance,
              int depth);

    const std::vector<uint8_t>& f_;
    Validation v_;
    std::map<int64_t, int64_t> regions_;
    std::map<int64_t, int64_t> guidance_;
    std::vector<int64_t> mainFrames_;
    int64_t levelSize_ = 0;
};

void Checker::list(int64_t level, int64_t info, int64_t infoEnd, int64_t at, int64_t count, bool guidance,
                   int depth) {
    if (at + 6 * count > infoEnd) {
        problem("list at " + std::to_string(at) + " runs past its information");
        return;
    }
    for (int64_t i = 0; i < count; ++i) {
        const int64_t record = at + 6 * i;
        const uint32_t address = u32(record);
        const uint32_t size = u16(record + 4);
        if (address == 0xFFFFFFFFu) {
            if (size != 0) problem("empty reference with a size at " + std::to_string(record));
            ++v_.emptyRecords;
            continue;
        }
        if (size == 0) {
            const int64_t sub = info + 2 * int64_t(address);
            if (depth > 0 || sub <= info || sub + 4 > infoEnd) {
                problem("record at " + std::to_string(record) + " of size 0 is no divided parcel");
                continue;
            }
            if (u8(sub + 1) != 0) problem("sub-list at " + std::to_string(sub) + " keeps a list type");
            const int type = int(u8(sub) & 3);
            list(level, info, infoEnd, sub + 4, type == 0 ? records(0, level) : records(type, level),
                 guidance, 1);
            continue;
        }
        const int64_t frame = offsetOf(address);
        if (!claim(frame, 32 * int64_t(size), guidance ? "guidance frame" : "frame")) continue;
        if (guidance) {
            guidance_[frame] = 32 * int64_t(size);
            ++v_.guidanceFrames;
        } else {
            mainFrames_.push_back(frame);
            ++v_.frames;
        }
    }
}

Validation Checker::run() {
    if (f_.size() < size_t(kBase + 30) || f_.size() % 32 != 0) {
        problem("file too small or not a multiple of 32 bytes");
        return v_;
    }
    if (offsetOf(u32(2048)) != kBase) problem("management header 0 does not point at 8192");
    const int64_t managementSize = 32 * int64_t(u16(2052));
    claim(kBase, managementSize, "management data");
    levelSize_ = 2 * int64_t(u16(kBase + 20));
    const int64_t setSize = 2 * int64_t(u16(kBase + 22));
    const int64_t blockSize = 2 * int64_t(u16(kBase + 24));
    const int64_t levels = u16(kBase + 26);
    if (blockSize != 6) problem("block records are not 6 bytes");
    for (int64_t level = 0; level < levels; ++level) {
        const int64_t record = kBase + 30 + level * levelSize_;
        const int64_t sets = int64_t(u8(record + 24) + 1) * (u8(record + 25) + 1);
        const int64_t blocks = int64_t(u8(record + 26) + 1) * (u8(record + 27) + 1);
        const int64_t table = kBase + 2 * int64_t(u16(record + 36));
        for (int64_t s = 0; s < sets; ++s) {
            const int64_t set = table + s * setSize;
            const uint32_t blockTable = u32(set + 2);
            if (blockTable == 0xFFFFFFFFu) continue;
            for (int64_t b = 0; b < blocks; ++b) {
                const int64_t block = kBase + 2 * int64_t(blockTable) + 6 * b;
                const uint32_t address = u32(block);
                if (address == 0xFFFFFFFFu) continue;
                const int64_t info = offsetOf(address);
                const int64_t infoEnd = info + 32 * int64_t(u16(block + 4));
                if (!claim(info, infoEnd - info, "parcel management information")) continue;
                ++v_.blocks;
                if (u8(info + 1) != 0)
                    problem("information at " + std::to_string(info) + " keeps a list type");
                const int type = int(u8(info) & 3);
                const int64_t count = records(type, level);
                list(level, info, infoEnd, info + 4, count, false, 0);
                if (u16(info + 2) != 0xFFFF)
                    list(level, info, infoEnd, info + 2 * int64_t(u16(info + 2)), count, true, 0);
            }
        }
    }
    // Each main frame's route guidance reference is empty or names a guidance frame written here.
    for (const int64_t frame : mainFrames_) {
        const uint32_t address = u32(frame + 28);
        if (address == 0xFFFFFFFFu) continue;
        const auto it = guidance_.find(offsetOf(address));
        if (it == guidance_.end() || it->second != 32 * int64_t(u16(frame + 32)))
            problem("frame at " + std::to_string(frame) + " names no guidance frame of this file");
    }
    return v_;
}

} // namespace

Validation validateOutput(const std::vector<uint8_t>& file) {
    return Checker(file).run();
}

} // namespace convtest
