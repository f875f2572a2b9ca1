// Adjacent parcel information repair.
#include "converter/AdjacentParcelRepair.h"

#include <array>

#include "converter/OutputEncoding.h"
#include "kiwi/core/KiwiConversions.h"

namespace {

constexpr int kHeaderSize = 36;
constexpr uint16_t kAdjacentFlag = 1u << 13;

uint16_t word(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
uint32_t dword(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Re-points one 6-byte reference at position to the neighbour's new frame, or empties it.
void repoint(TLN_Stream& out, int64_t position, int64_t newOffset, uint16_t storedSize) {
    out.Seek(position);
    if (newOffset > 0)
        WriteAddressAndStoredSize(out, newOffset, storedSize);
    else
        WriteEmptyReference(out);
}

} // namespace

bool UpdateAdjacentParcelInfo(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                              const AdjacentRepairLevel& level, AdjacentMode mode,
                              const ParcelAddressMap& addresses, const std::atomic<bool>* stop,
                              int64_t keyBase) {
    if (frameSize < kHeaderSize) return false;
    std::array<uint8_t, kHeaderSize> header{};
    out.ReadExactAt(frameOffset, header.data(), kHeaderSize);
    const uint16_t flags = word(&header[12]);
    if ((flags & kAdjacentFlag) == 0) return true;
    if (mode == AdjacentMode::Remove) {
        const uint16_t cleared = uint16_t(flags & ~kAdjacentFlag);
        header[12] = uint8_t(cleared >> 8);
        header[13] = uint8_t(cleared & 0xFF);
        out.WriteAt(frameOffset, header.data(), kHeaderSize);
        return true;
    }
    const int64_t regions = word(&header[34]);
    const int64_t start = kHeaderSize + 4 * regions + 6 * int64_t(level.basicCount + level.extendedCount);
    if (start + 8 * 6 > int64_t(frameSize)) return false;
    bool whole = true;
    for (int direction = 0; direction < 8; ++direction) {
        if (stop && stop->load()) return false;
        const int64_t entry = frameOffset + start + 6 * direction;
        uint8_t bytes[6];
        out.ReadExactAt(entry, bytes, 6);
        const uint32_t address = dword(bytes);
        const uint16_t size = word(bytes + 4);
        if (address == 0xFFFFFFFFu) continue;
        if (size != 0) {
            const int64_t old = KiwiAddressToOffset(address);
            repoint(out, entry,
                    mode == AdjacentMode::Update ? addresses.FindNewParcelOffset(keyBase + old) : -1, size);
            continue;
        }
        // A divided neighbour: a word offset from the frame start to its list of sub-parcel references;
        // the count is the low byte + 1, as the readers take it.
        const int64_t list = 2 * int64_t(address >> 16);
        const int64_t count = int64_t(address & 0xFF) + 1;
        if (list < kHeaderSize || list + 6 * count > int64_t(frameSize)) {
            whole = false;
            continue;
        }
        for (int64_t k = 0; k < count; ++k) {
            const int64_t sub = frameOffset + list + 6 * k;
            uint8_t subBytes[6];
            out.ReadExactAt(sub, subBytes, 6);
            const uint32_t subAddress = dword(subBytes);
            if (subAddress == 0xFFFFFFFFu) continue;
            repoint(out, sub, addresses.FindNewParcelOffset(keyBase + KiwiAddressToOffset(subAddress)),
                    word(subBytes + 4));
        }
    }
    return whole;
}
