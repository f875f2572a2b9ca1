// Test builder of route planning data (REGION.KWI): levels, regions and route planning frames written byte by
// byte from a readable description, with a manifest of where everything went.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fixture {

struct RegionLinkSpec {
    uint16_t adjacentNode = 0;
    uint16_t costNumber = 0;
    uint16_t flagsWord = 0; // the third word as stored (bits 15-9)
    uint16_t region = 0;    // written for boundary nodes only
};

struct RegionNodeSpec {
    bool boundary = false;
    uint32_t extraFlags = 0; // other bits of the node's first u32 (29-26, 20-18)
    uint32_t coordinate = 0; // grid index << 24 | longitude offset << 12 | latitude offset
    std::vector<RegionLinkSpec> links;
    std::vector<uint16_t> regulations;
    struct Between {
        uint16_t word = 0;
        uint8_t length = 0;
        uint8_t time = 0;
    };
    std::vector<Between> betweenLinks;
};

struct RegionRankSpec {
    uint16_t nodes = 0;
    uint16_t boundaryNodes = 0;
    uint16_t links = 0;
    uint16_t roadClass = 0;
    uint8_t lastByte = 0; // bits 7-1 level, bit 0 average traveling time flag
};

struct RegionCostSpec {
    uint32_t linkId = 0;
    uint16_t destination = 0;
    uint16_t levelWord = 0;
    uint16_t roadWord = 0;
    uint16_t lengthWord = 0;
    uint16_t connectedNode = 0;
    uint16_t timeWord = 0;
    uint8_t status = 0;
    uint8_t speed = 0;
    uint16_t sublinkWord = 0;
};

struct RegionFrameSpec {
    uint16_t regionNumber = 0;
    uint32_t practicalCode = 0;
    std::vector<RegionRankSpec> ranks;
    std::vector<RegionNodeSpec> nodes;
    std::vector<RegionCostSpec> costs;
    bool withCoordinates = true;
    int32_t latitudeWidth = 0;
    int32_t longitudeWidth = 0;
    uint8_t latitudeGrids = 0;
    uint8_t longitudeGrids = 0;
    std::vector<std::pair<int32_t, int32_t>> grid; // (latitude, longitude) of each cell's origin
};

struct RegionSpec {
    int32_t top = 0, bottom = 0, left = 0, right = 0;
    uint16_t higher = 0, lowerFirst = 0, lowerCount = 0;
    bool hasFrame = true;
    RegionFrameSpec frame;
    std::string fileName;     // the 12-byte name of a type-100 record
    bool frameInFile = false; // write the frame into fileName (beside REGION.KWI) instead of the region data
};

struct RegionLevelSpec {
    uint8_t levelCode = 0;
    uint8_t basicFrames = 9;
    uint8_t extendedFrames = 0;
    // Record sizes in words.
    uint16_t regionRecordSize = 18;
    uint16_t nodeRecordSize = 3;
    uint16_t linkRecordSize = 3;
    uint16_t linkCostRecordSize = 10;
    uint16_t regulationRecordSize = 1;
    uint16_t betweenLinksRecordSize = 2;
    std::vector<RegionSpec> regions;
};

struct RegionFileSpec {
    uint16_t typeCode = 100;
    uint16_t levelRecordSize = 8; // words
    std::vector<RegionLevelSpec> levels;
};

// Where a region's frame and its parts were written (positions inside the region data, before any base).
struct RegionFrameManifest {
    int64_t recordPosition = -1;
    int64_t frameStart = -1;
    int64_t nodeFrame = -1, linkFrame = -1, costFrame = -1, coordinateFrame = -1;
    std::vector<int64_t> nodeRecords; // position of each node record
    std::vector<int64_t> linkTables;  // position of each node's link table
    std::string file;                 // "" = the region data itself
};

struct RegionImage {
    std::vector<uint8_t> bytes;                             // the region data
    std::map<std::string, std::vector<uint8_t>> frameFiles; // files beside it, by name
    int64_t regionTable = 0;
    std::vector<std::vector<RegionFrameManifest>> regions; // [level][region]
};

RegionImage buildRegionData(const RegionFileSpec& spec);

// The sample data: two levels (codes 1 and 2), region number 1 on both, boundary and plain nodes, link costs
// with the byte literals 0x3005 (320 m) and 0x1064 (40), a node whose grid cell is 0xFF, a region without
// rank information and one without a frame.
RegionFileSpec sampleRegionSpec();

// The region data embedded at base inside a larger file (position-derived filler before and after).
std::vector<uint8_t> embedRegionData(const std::vector<uint8_t>& regionData, int64_t base,
                                     size_t trailer = 4096);

// Writes REGION.KWI (and its frame files) into folder; returns the REGION.KWI path.
std::string writeRegionData(const RegionImage& image, const std::string& folder,
                            const std::string& name = "REGION.KWI");

} // namespace fixture
