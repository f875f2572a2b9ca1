// Fixture builders of the localisation data management frame and the Manager21 distribution header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

struct AreaSpec {
    uint8_t code = 0;
    std::string toponym; // 3 bytes
    uint32_t property1 = 0;
    int32_t latitude = 0, longitude = 0;
    uint16_t property2 = 0;
    uint8_t property3 = 0;
    std::string language; // 3 bytes
};

struct LocalSpec {
    int32_t centralLatitude = 0, centralLongitude = 0;
    uint8_t areaRecordSize = 24; // 22 bytes of fields, then padding
    std::vector<std::string> languages;
    std::vector<AreaSpec> areas;
    int declaredAreas = -1, declaredLanguages = -1; // stored counts when >= 0
};

// Three languages and four areas (two share code 2), records 24 bytes apart.
LocalSpec standardLocalSpec();
std::vector<uint8_t> buildLocalPart(const LocalSpec& spec, size_t prefix = 0);

// A Manager21 distribution header of headerBytes (44: 16-bit second table size; else 32-bit) with
// recognisable values: level 0x0102, bit mask 0x40 words, 7 records, properties 0x1101 … 0x1106,
// tables at word offsets 0x30 and 0x50 of sizes 0x10 and 0x12345.
std::vector<uint8_t> buildManager21Part(int headerBytes, size_t prefix = 0);

} // namespace fixture
