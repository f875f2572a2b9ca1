// A small test-side ISO 9660 writer for hand-made and hostile images: volume descriptors and
// directory records placed at chosen sectors, written byte by byte from the ISO 9660 layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

class IsoWriter {
public:
    static constexpr size_t SectorSize = 2048;
    static constexpr uint8_t DirectoryFlag = 0x02;
    static constexpr uint8_t MultiExtentFlag = 0x80;

    // An image of sectorCount zero-filled 2048-byte sectors.
    explicit IsoWriter(uint32_t sectorCount);

    // A volume descriptor: type, "CD001", version 1; type 1 and 2 also get volume set size 1, file
    // structure version 1 and the root directory record at byte 156.
    void descriptor(uint32_t sector, uint8_t type, uint32_t rootExtent = 0, uint32_t rootLength = 0);
    void primary(uint32_t sector, uint32_t rootExtent, uint32_t rootLength) {
        descriptor(sector, 1, rootExtent, rootLength);
    }
    void terminator(uint32_t sector) { descriptor(sector, 255); }

    // One directory record at a byte position of the image; name bytes as given (e.g. "A.TXT;1",
    // "\0" for the directory itself). Returns the record length (33 + name + pad to even + extra).
    size_t record(uint64_t at, const std::string& name, uint32_t extent, uint32_t length, uint8_t flags,
                  size_t extraBytes = 0);
    static size_t recordLength(const std::string& name, size_t extraBytes = 0);

    struct Record {
        std::string name;
        uint32_t extent = 0;
        uint32_t length = 0;
        uint8_t flags = 0;
        size_t extraBytes = 0; // system-use bytes after the name, as Rock Ridge adds
    };
    // A directory at extent: "." and ".." records, then the records in order; a record that does not
    // fit the rest of a sector starts the next one. Returns the directory's data length (whole sectors).
    uint32_t directory(uint32_t extent, uint32_t parentExtent, uint32_t parentLength,
                       const std::vector<Record>& records);
    // The directory length directory() would give for these records.
    static uint32_t directoryLength(const std::vector<Record>& records);

    // File data from the start of a sector.
    void data(uint32_t sector, const std::vector<uint8_t>& bytes);

    std::vector<uint8_t>& bytes() { return bytes_; }
    uint32_t sectorCount() const { return uint32_t(bytes_.size() / SectorSize); }

private:
    void bothByteOrder32(uint64_t at, uint32_t value);
    std::vector<uint8_t> bytes_;
};

// A content pattern for file data: bytes derived from the position and a seed.
std::vector<uint8_t> patternBytes(size_t count, uint32_t seed);

} // namespace fixture
