// The converter wizard's tests share one described source map: an open, uncompressed map with Management 32
// and the usual display classes.
#pragma once

#include <string>

#include "converter/wizard/ConverterSource.h"

namespace wizardtest {

inline ConverterSource plainConverterSource(const std::string& allDataPath, int systemNumber = 4) {
    ConverterSource s;
    s.mapOpen = true;
    s.allDataPath = allDataPath;
    s.systemIdText = "AFEU:2.45,AGEU:2.45";
    s.systemNumber = systemNumber;
    s.management32Address = 4096;
    s.levelCount = 4;
    s.backgroundCodes = {1, 2, 3, 26, 4, 18, 5, 14, 6};
    s.nameCodes = {0, 1, 9, 3, 7, 5, 8};
    s.north = 200000;
    s.south = 100000;
    s.west = 50000;
    s.east = 150000;
    return s;
}

} // namespace wizardtest
