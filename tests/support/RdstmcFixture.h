// Fixture builder of KIWI RDS-TMC parts: two regions with groups, locations and their data, message
// tables of the three layouts and character strings in two text languages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fixture {

struct RdstmcSpec {
    int codePage = 1251; // the code page of every string (1200 = UTF-16BE)
    uint16_t usageCode = 44880;
    int64_t declaredRegions = -1;   // the stored region count when >= 0
    bool lastStringPastEnd = false; // the last string's length runs past the end of the file
};

// Strings (language 0 / language 1): region 0 "Москва" / "Moscow", region 1 "Тверь" / "Tver",
// road names "М10" / "M10" and "Ленинградское шоссе" / "Leningradskoye", crossings "МКАД" / "MKAD",
// messages "Пробка" / "Jam", "Авария" / "Accident", "Ремонт" / "Roadworks".
// Layout and values are listed in RdstmcFixture.cpp.
std::vector<uint8_t> buildRdstmcPart(const RdstmcSpec& spec, size_t prefix = 0);

} // namespace fixture
