// The test builder of "ALLDATA.KWI" and its data files: the data volume, the management header table and a
// main map (levels, block sets, blocks, parcel lists, parcel frames with their distribution headers), written
// byte by byte from the file layouts with the fixture's own writer, together with a manifest of where
// every parcel's frame went, so that tests can check the readers against what was written.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fixture {

// A pair of counts (1..256), written as "count - 1" bytes, Y first.
struct CountPair {
    int x = 1;
    int y = 1;
};

struct ParcelPlan {
    enum class Kind {
        Regular,
        // The record holds an all-ones address and size 0: no frame.
        Empty,
        // Size 0: the record points at the sub-parcels' own parcel management information.
        Divided,
        // The first parcel of an integrated group of integrated.x × integrated.y parcels sharing one frame
        // (the other parcels of the group are marked IntegratedMember).
        Integrated,
        IntegratedMember,
    };
    Kind kind = Kind::Regular;
    // Divided: the level's division type 1..3.
    int divisionType = 0;
    CountPair integrated;
    // Writes the eight adjacent parcel entries (one of them a divided neighbour with a list).
    bool adjacent = false;
    // Makes the header longer than its tables (an extension field).
    bool extension = false;
    // List type 100: the record names this file instead of the block's data file (missing on purpose).
    std::string recordFile;
    // A divided parcel whose sub-parcel list offset is 0 (it points back at its own list).
    bool selfReference = false;
};

struct BlockPlan {
    bool absent = false;
    // 0, 1, 2, 100, 202, 204 or 206 (the last three name dataFile in their information unless noName is set).
    int listType = 0;
    bool noName = false;
    // Where the frames of list types 100 and 202 go.
    std::string dataFile;
    // When set, the block record names this file and the information and its frames lie in it.
    std::string blockFile;
    // Writes a route guidance parcel list (list type 0 only).
    bool routeGuidance = false;
    // Parcels by index (row-major, index = y × parcels.x + x); the others are regular.
    std::map<int, ParcelPlan> parcels;
};

struct BlockSetPlan {
    bool absent = false;
    // One per block of the set (row-major); missing entries are regular list-type-0 blocks.
    std::vector<BlockPlan> blocks;
};

struct LevelPlan {
    uint8_t codeByte = 0x04;
    // High nibble n: 2^n parcels integrated on the next-higher level; low nibble m: divided on the lower.
    uint8_t integrationByte = 0x21;
    CountPair blockSets;
    CountPair blocks;
    CountPair parcels;
    CountPair divisions[3];
    int basic = 3;
    int extended = 2;
    int routeBasic = 1;
    int routeExtended = 0;
    uint32_t scales[5] = {10000, 99999, 100000, 2500000, 0xFFFFFFFFu};
    uint16_t nodeRecordWords = 4;
    // Display class codes (written when the level record is longer than 40 bytes).
    std::vector<uint16_t> roadClasses = {3, 17};
    std::vector<uint16_t> backgroundClasses = {1, 40};
    std::vector<uint16_t> nameClasses = {5};
    // One per block set (row-major); missing entries are full sets of regular blocks.
    std::vector<BlockSetPlan> sets;
};

struct AllDataPlan {
    // The maker's system-specific identification text.
    std::string systemText = "AFEU:2.05";
    uint16_t logicalSectorSize = 32;
    // Level record size in bytes: 40 (no class lists) or more.
    int levelRecordBytes = 52;
    bool fileNameDesignation = true;
    // When set, management header 0 names this file and the management data lies in it.
    std::string mainMapFile;
    // Byte position of the main map management data (management header 0's address).
    uint32_t partOffset = 8192;
    // Coverage edges in 1/8 arc-second.
    int32_t north = 1500000, south = 1400000, west = -40000, east = 60000;
    // Bytes of frame data after each distribution header.
    int frameBodyBytes = 128;
    // Writes parcel data frames (the frame fixture) in place of filler after each distribution header,
    // with texts in textCodePage: every record kind in every parcel, or in every tenth (the others small).
    enum class Frames { None, Sampled, Full };
    Frames frames = Frames::None;
    int textCodePage = 65001;
    std::vector<LevelPlan> levels;
};

// Where one parcel record's frame was written.
struct ParcelEntry {
    int level = 0;
    int blockSet = 0;
    int block = 0;
    int parcel = 0;
    // Index in the divided parcel's list, or -1 for a parcel of a block's list.
    int sub = -1;
    // "" = the stream of the list that holds the record ("ALLDATA.KWI", or the block's file).
    std::string file;
    int64_t frame = -1;
    uint32_t frameSize = 0;
    uint8_t identifier = 0;
    int64_t routeGuidanceFrame = -1;
    int regions = 0;
};

struct AllDataImage {
    std::vector<uint8_t> allData;
    // Data files beside "ALLDATA.KWI" by name.
    std::map<std::string, std::vector<uint8_t>> files;
    std::vector<ParcelEntry> parcels;
    int64_t partBase = 0;
    // Positions of structures, for tests that damage them.
    std::vector<int64_t> levelRecords;
    std::vector<int64_t> blockSetTables;
};

// Two levels, several block sets and blocks, list types 0, 1, 100 and 202 (with and without a data file),
// regular, empty, divided and integrated parcels, adjacent tables, route guidance frames.
AllDataPlan smallAllDataPlan(const std::string& systemText = "AFEU:2.05");
// One level of side × side block sets of 4 × 4 blocks of 4 × 4 parcels, list type 0, regular parcels.
AllDataPlan largeAllDataPlan(int blockSetsPerSide = 4);
// The small map with parcel data frames; wide: system number 8 ("AFEU:8.05"), texts in UTF-16 (1200).
AllDataPlan framesAllDataPlan(bool wide = false);

// Damaged maps of the shapes a fuzz campaign found: the data volume and header table of the small map, then
// main map management data written by hand, cut to a small file.
enum class HostileMapShape {
    // 4096 bytes: the level table lies in the padding after the header table and declares 40 × 39 block
    // sets of 42 × 41 blocks of 2 × 2 parcels. The 69 block set records that fit all name one block table
    // (at the part base, 2 × 0x7FFFFFFF words long), of which 128 six-byte records lie in the file.
    CrowdedBlockSets,
    // 6656 bytes: 256 level records one word apart over bytes FE FF repeated, so that each declares up to
    // 65 280 block sets of 65 280 blocks. The first names a block set table at byte 4736, whose records
    // (192 of them fit) name block tables far past the file.
    OverlappingLevels,
};
AllDataImage buildHostileAllData(HostileMapShape shape);

AllDataImage buildAllData(const AllDataPlan& plan);
// Writes "ALLDATA.KWI" and the data files into folder; returns the path of "ALLDATA.KWI".
std::string writeAllData(const AllDataImage& image, const std::string& folder);
// Writes "ALLDATA1.KWI" (the first firstPartBytes bytes) and "ALLDATA2.KWI" (the rest) and the data files.
std::string writeAllDataVolumes(const AllDataImage& image, const std::string& folder, size_t firstPartBytes);

} // namespace fixture
