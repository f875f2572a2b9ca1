// ISO test images: stored-layout wrappers for 2048-byte sector images and xorriso as an independent
// authoring tool and oracle (its listing of the plain ISO 9660 tree).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace fixture {

// How the sectors of an image are stored in its file.
enum class IsoLayout {
    Plain,                // 2048-byte sectors
    LeadingBlock,         // 2048-byte sectors behind a 307200-byte leading block
    RawMode1,             // 2352-byte raw sectors: sync, address, mode byte, 2048 data, EDC/ECC area
    RawMode1LeadingBlock, // raw sectors behind the leading block
    Mode2,                // 2336-byte sectors: 2048 data bytes, then zero fill
};
const char* layoutName(IsoLayout layout);
inline void PrintTo(IsoLayout layout, std::ostream* os) {
    *os << layoutName(layout);
}

// Rewrites a 2048-byte sector image in another layout. rawModeByte is what raw sector headers carry
// at byte 15 (1 for mode 1; any other value to test mode detection).
std::vector<uint8_t> wrapIsoImage(const std::vector<uint8_t>& plain, IsoLayout layout,
                                  uint8_t rawModeByte = 1);

// One file as listed from an image: folder path ("DATA\SUB\", "" at the root), name, size in bytes.
struct IsoListedFile {
    std::string folder;
    std::string name;
    uint64_t size = 0;
    auto operator<=>(const IsoListedFile&) const = default;
};

bool xorrisoAvailable();
// Runs xorriso -as mkisofs with Joliet and Rock Ridge on a folder; raises std::runtime_error on failure.
void makeIsoWithXorriso(const std::string& sourceFolder, const std::string& image);
// xorriso's listing of the image's plain ISO 9660 tree (Joliet and Rock Ridge not read), sorted.
std::vector<IsoListedFile> xorrisoListing(const std::string& image);

} // namespace fixture
