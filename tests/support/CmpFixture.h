// The fixture builder for compressed files: CMP lists of the three kinds, data files with gzip, zlib,
// stored, byte-pair and segmented blocks, written byte by byte from the layouts with real zlib and a
// byte-pair encoder of its own (independent of the decoders under test).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace fixture {

// Compressible content that looks like map data: records of climbing coordinates, counts and names
// from a small vocabulary (neither random nor constant). Deterministic for a seed.
std::vector<uint8_t> mapLikeContent(size_t size, uint32_t seed = 1);

// Real zlib encodings of one buffer: a gzip member, and a zlib stream.
std::vector<uint8_t> gzipMember(const uint8_t* data, size_t size, int level = 6);
std::vector<uint8_t> zlibStream(const uint8_t* data, size_t size, int level = 6);
// Byte-pair encoding: packets of at most 4096 input bytes, each with its pair table.
std::vector<uint8_t> bpeEncode(const uint8_t* data, size_t size);

// How one 64 KiB block is stored in a data file of kinds 1 and 2 (and 258).
enum class BlockCoding { Listed, Stored };

// One entry of a "05.CMP"/"06.CMP" list with its block table, as written.
struct CmpListEntrySpec {
    std::string name;
    uint16_t type = 2;
    std::string tag = "KIWI";
    uint32_t blockCount = 0;
    uint32_t fileSize = 0;
    // Types 1 and 2.
    std::vector<uint32_t> sectors;
    std::vector<uint16_t> sizes;
    // Segmented types: {first block, base sector} records and per-block sector offsets.
    std::vector<std::pair<uint32_t, uint32_t>> segments;
    std::vector<uint16_t> offsets;
    // When set, written in place of the real segment count.
    int64_t segmentCountField = -1;
};

// A whole "05.CMP"/"06.CMP" list: count, entries (pad byte after odd names), then block tables.
// entryCountField, when >= 0, replaces the written count.
std::vector<uint8_t> buildCmpList(const std::vector<CmpListEntrySpec>& entries, int64_t entryCountField = -1);

// A "13.CMP" list: magic, count, {u8 value, u8 length, name} entries.
std::vector<uint8_t> buildCmp13List(const std::vector<std::pair<uint8_t, std::string>>& entries);

// A compressed data file for content in 64 KiB blocks of the given type (1 BPE, 2 gzip, 258/514/770
// segmented gzip with a new segment every segmentEvery blocks); block k is stored when coding(k) says
// so or when compression does not fit in a u16 size. Fills spec's block table.
std::vector<uint8_t> buildCmpDataFile(const std::vector<uint8_t>& content, CmpListEntrySpec& spec,
                                      const std::vector<BlockCoding>& coding = {}, size_t segmentEvery = 3);

// A data file of a "13.CMP" list: the "CMP" NUL header (base, 2, size, 4096, n, offsets) and zlib
// blocks; blocks listed in storedBlocks are written raw (64 KiB exactly). base is added to the offsets.
std::vector<uint8_t> buildCmp13DataFile(const std::vector<uint8_t>& content, uint32_t base = 0,
                                        const std::vector<size_t>& storedBlocks = {});

// Complete layouts: a list and one listed data file, for table-driven stream tests.
enum class CmpLayout {
    Gzip05,         // "05.CMP", type 2
    GzipWithStored, // type 2, every other block stored
    Bpe05,          // type 1
    Type1In06,      // "06.CMP" entry of type 1 over gzip blocks
    Segmented258,
    Segmented514,
    Segmented770,
    Zlib13,       // "13.CMP", zlib blocks
    Zlib13Stored, // "13.CMP" with a stored 64 KiB block and a non-zero base
};
const char* cmpLayoutName(CmpLayout layout);
inline void PrintTo(CmpLayout layout, std::ostream* os) {
    *os << cmpLayoutName(layout);
}

struct CmpLayoutFiles {
    std::string listPath;
    std::string dataPath;
    std::vector<uint8_t> content;
};

// Writes the list at root and the data file at root/relativeName ("/" separated), the list naming it.
CmpLayoutFiles writeCmpLayout(const std::string& root, CmpLayout layout, const std::string& relativeName,
                              const std::vector<uint8_t>& content);

} // namespace fixture
