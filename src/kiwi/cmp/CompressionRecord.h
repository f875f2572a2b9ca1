// One entry of a CMP list of compressed files, the block location the list gives, and the compression types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace CompressionType {
constexpr uint16_t None = 0;
constexpr uint16_t BytePair = 1;
constexpr uint16_t Gzip = 2;
// gzip blocks addressed relative to segments; 514 and 770 are read as 258.
constexpr uint16_t GzipSegmented = 258;
constexpr uint16_t GzipSegmented2 = 514;
constexpr uint16_t GzipSegmented3 = 770;
// Every "13.CMP" entry: zlib blocks described by a header in the data file itself.
constexpr uint16_t Zlib = 13258;

inline bool isSegmented(uint32_t type) {
    return type == GzipSegmented || type == GzipSegmented2 || type == GzipSegmented3;
}
} // namespace CompressionType

struct TLN_Compression_Record {
    // Position of the entry in the list file; -1 when no entry was read.
    int64_t entryPosition = -1;
    // Position of the entry's block table in the list (kinds 1 and 2); for "13.CMP" the entry's u8 value.
    int64_t tablePosition = 0;
    uint16_t compressionType = 0;
    uint16_t nameLength = 0;
    // The name as stored, cut at the first NUL; shown, never used as a path.
    std::string name;
    // The name as a checked relative path ("/" separators, no "..", not absolute); nullopt when unsafe.
    // Code that turns list names into file names uses only this.
    std::optional<std::string> relativePath;
    std::string tag;
    uint32_t blockCount = 0;
    // Size of the file after decompression.
    int64_t fileSize = 0;
    // False when the entry's block table does not fit in the list or declares absurd counts; such an
    // entry is shown but never used to decompress.
    bool tableValid = false;
    // Why the block table is not one ("" when it is): it lies past the end of the list, or counts more
    // blocks than any file has.
    std::string tableError;
};

// Where a compressed block lies in the data file: offset -1 and size 0 for a block the table lacks.
// Size 0 with a valid offset means a stored (uncompressed) block, or for segmented types that the size
// precedes the block in the data file.
struct TLN_Block_Info {
    int64_t offset = -1;
    uint32_t size = 0;
};
