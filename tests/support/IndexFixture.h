// Test INDEXDAT.KWI search data written byte by byte from the layouts: an index with volume, POI and
// expansion records and a local search frame, and the data file SRCH0001.KWI that its "FNME" items name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/CmpFixture.h"

namespace fixture {

// Byte positions of what the fixture writes; index positions count from the index base.
namespace index_layout {
constexpr uint32_t kTitle = 0x60;
constexpr uint32_t kVolumeRecords = 0x100;
constexpr uint32_t kManagementRecordSize = 56; // bytes; 28 words, more than the 52 a record uses
constexpr uint32_t kPOIRecords = 0x170;
constexpr uint32_t kExpansionField = 0x200;
constexpr uint32_t kExpansionRecord0 = 0x210;  // 44 bytes: name "SRCH0001.KWI"
constexpr uint32_t kExpansionRecord1 = 0x23C;  // 32 bytes: name "abc"
constexpr uint32_t kExpansionFieldSize = 0x5C; // bytes
constexpr uint32_t kVolume0Item = 0x300;       // "FNME" item of volume 0's search frame
constexpr uint32_t kVolume0Representation = 0x340;
constexpr uint32_t kPOIItem = 0x360;
constexpr uint32_t kPOIRepresentation = 0x380;
constexpr uint32_t kLocalSearchFrame = 0x400; // volume 1's frame, inside the index
constexpr uint32_t kLocalDetailedRecord = 0x410;
constexpr uint32_t kLocalCharacterFrame = 0x480;
constexpr uint32_t kLocalDefinition = 0x500;
constexpr uint32_t kIndexSize = 0x560;

// SRCH0001.KWI, base 0.
constexpr uint32_t kSearchFrame = 0x100;
constexpr uint32_t kDetailedRecords = 0x110;
constexpr uint32_t kDetailedRecordSize = 96; // bytes; the last 4 hold a one-word representation
constexpr uint32_t kCategoryDefinitionItem = 0x600;
constexpr uint32_t kCategoryDataItem = 0x640; // names CATDATA.KWI, which is not written
constexpr uint32_t kMatchingDefinitionItem = 0x680;
constexpr uint32_t kNextLevelItem = 0x6C0;
constexpr uint32_t kCategoryDefinition = 0x700;
constexpr uint32_t kMatchingDefinition = 0x740;
constexpr uint32_t kPOIFrame = 0x800;
constexpr uint32_t kPOIRecord = 0x810;
constexpr uint32_t kPOIDefinitionItem = 0x860;
constexpr uint32_t kPOIDataItem = 0x880; // names POIDATA.KWI, which is not written
constexpr uint32_t kNextLevelFrame = 0x900;
constexpr uint32_t kCharacterFrame = 0xA00;
constexpr uint32_t kCharacterEntry0 = 0xA10; // 29 bytes
constexpr uint32_t kCharacterEntry1 = 0xA2D; // unpadded after entry 0
constexpr uint32_t kRecordHeader = 0xB00;
constexpr uint32_t kDataFileSize = 0xC00;
} // namespace index_layout

struct IndexFixture {
    std::vector<uint8_t> index;    // the index data behind `base` filler bytes
    std::vector<uint8_t> dataFile; // SRCH0001.KWI
    int64_t base = 0;
};

// The fixture with the index data at byte position base (a multiple of 2) of its file.
IndexFixture buildIndexFixture(int64_t base = 0);

// Writes folder/INDEXDAT.KWI and folder/SRCH0001.KWI (dataFileName, when given, replaces the data file's
// name on disk, e.g. to test case-insensitive lookup). Returns the index file's path.
std::string writeIndexFixture(const std::string& folder, const IndexFixture& fixture,
                              const std::string& dataFileName = "SRCH0001.KWI");

// The same, with SRCH0001.KWI compressed in the given layout and named by a CMP list in the folder.
std::string writeListedIndexFixture(const std::string& folder, const IndexFixture& fixture, CmpLayout layout);

} // namespace fixture
