// Test-side ISO 9660 writer for hand-made and hostile images.
#include "support/IsoWriter.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace fixture {

IsoWriter::IsoWriter(uint32_t sectorCount) : bytes_(size_t(sectorCount) * SectorSize, 0) {}

void IsoWriter::bothByteOrder32(uint64_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes_.at(at + i) = uint8_t(value >> (8 * i));
        bytes_.at(at + 7 - i) = uint8_t(value >> (8 * i));
    }
}

void IsoWriter::descriptor(uint32_t sector, uint8_t type, uint32_t rootExtent, uint32_t rootLength) {
    const uint64_t at = uint64_t(sector) * SectorSize;
    std::fill_n(bytes_.begin() + long(at), SectorSize, 0);
    bytes_.at(at) = type;
    std::memcpy(&bytes_.at(at + 1), "CD001", 5);
    bytes_.at(at + 6) = 1;
    if (type == 1 || type == 2) {
        bytes_.at(at + 120) = 1; // volume set size, both byte orders
        bytes_.at(at + 123) = 1;
        bytes_.at(at + 128 + 1) = 0x08; // logical block size 2048, both byte orders
        bytes_.at(at + 130) = 0x08;
        bytes_.at(at + 881) = 1; // file structure version
        record(at + 156, std::string(1, '\0'), rootExtent, rootLength, DirectoryFlag);
    }
}

size_t IsoWriter::recordLength(const std::string& name, size_t extraBytes) {
    return 33 + name.size() + (name.size() % 2 == 0 ? 1 : 0) + extraBytes;
}

size_t IsoWriter::record(uint64_t at, const std::string& name, uint32_t extent, uint32_t length,
                         uint8_t flags, size_t extraBytes) {
    const size_t size = recordLength(name, extraBytes);
    if (size > 255) throw std::invalid_argument("directory record too long");
    std::fill_n(bytes_.begin() + long(at), size, 0);
    bytes_.at(at) = uint8_t(size);
    bothByteOrder32(at + 2, extent);
    bothByteOrder32(at + 10, length);
    bytes_.at(at + 18) = 100; // recording date: years since 1900
    bytes_.at(at + 19) = 1;
    bytes_.at(at + 20) = 1;
    bytes_.at(at + 25) = flags;
    bytes_.at(at + 28) = 1; // volume sequence number, both byte orders
    bytes_.at(at + 31) = 1;
    bytes_.at(at + 32) = uint8_t(name.size());
    std::memcpy(&bytes_.at(at + 33), name.data(), name.size());
    for (size_t i = 0; i < extraBytes; ++i)
        bytes_.at(at + size - extraBytes + i) = uint8_t(0xA0 + i % 16);
    return size;
}

uint32_t IsoWriter::directoryLength(const std::vector<Record>& records) {
    size_t sectors = 1, used = 2 * recordLength(std::string(1, '\0'));
    for (const Record& r : records) {
        const size_t size = recordLength(r.name, r.extraBytes);
        if (used + size > SectorSize) {
            ++sectors;
            used = 0;
        }
        used += size;
    }
    return uint32_t(sectors * SectorSize);
}

uint32_t IsoWriter::directory(uint32_t extent, uint32_t parentExtent, uint32_t parentLength,
                              const std::vector<Record>& records) {
    const uint32_t length = directoryLength(records);
    uint64_t sectorStart = uint64_t(extent) * SectorSize;
    size_t used = 0;
    used += record(sectorStart, std::string(1, '\0'), extent, length, DirectoryFlag);
    used += record(sectorStart + used, std::string(1, '\1'), parentExtent, parentLength, DirectoryFlag);
    for (const Record& r : records) {
        if (used + recordLength(r.name, r.extraBytes) > SectorSize) {
            sectorStart += SectorSize;
            used = 0;
        }
        used += record(sectorStart + used, r.name, r.extent, r.length, r.flags, r.extraBytes);
    }
    return length;
}

void IsoWriter::data(uint32_t sector, const std::vector<uint8_t>& bytes) {
    const uint64_t at = uint64_t(sector) * SectorSize;
    if (at + bytes.size() > bytes_.size()) throw std::out_of_range("file data past the image end");
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + long(at));
}

std::vector<uint8_t> patternBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> out(count);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        out[i] = uint8_t(state >> 24);
    }
    return out;
}

} // namespace fixture
