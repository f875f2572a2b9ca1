// Fixture builder of voice command dictionaries ("DICVCE56.KWI"): languages, a dictionary data
// header with two types, groups and string entries with and without an English text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fixture {

struct DicVceSpec {
    int codePage = 65001;         // code page of every text (1200 = UTF-16BE)
    int languageRecordBytes = 44; // 44, or 46 for records whose fields sit two bytes later
    int declaredLanguages = -1;   // the stored language count when >= 0
    uint32_t headerWords = 26;    // the distribution header's own size field
    uint32_t declaredTypes = 2;   // the stored number of dictionary types
};

// Language 0 "ENG" (ID 0x1001, code 0x2001), language 1 "RUS". The dictionary data header has types
// "CITY" and "STRT"; "CITY" data has groups 0xA1 (text page 1) and 0xA2 (page 0: no page), "STRT"
// none. Group 0xA1's string entries:
//   0 "EN" text "Vienna" after a "DE" part "Wien"; 1 "EN" text "Санкт-Петербург"; 2 no "EN" (empty);
//   3 a 300-unit entry with "EN" at unit 4 and text "Long"; 4 a 300-unit entry with "EN" only at unit
//   260 (beyond the 255 units read: empty); 5 "EN" whose length byte (200 units) runs past the entry:
//   the text is cut at the entry's end, "Cuts" (letters "X" follow the entry).
std::vector<uint8_t> buildDicVce(const DicVceSpec& spec, size_t prefix = 0);

} // namespace fixture
