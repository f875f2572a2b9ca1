// Fixture builder of "FILECON.MNG" files, for reading and as the expected bytes of edits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

struct FileConEntry {
    uint8_t number = 0;
    std::string physicalName;
    std::string logicalName;
    uint32_t size = 0;
};

struct FileConSpec {
    uint16_t headerSize = 16;
    uint32_t value = 0xCAFE0001;
    std::vector<FileConEntry> entries;
    int declaredCount = -1; // the stored count when >= 0
};

// Header bytes 8 .. header size - 1 are filled with 0xA0, 0xA1, …
std::vector<uint8_t> buildFileCon(const FileConSpec& spec);
// Entries "ALLDATA1.KWI" … style: n entries, number i × 16, sizes 1000 + i.
std::vector<FileConEntry> fileConEntries(int count);

} // namespace fixture
