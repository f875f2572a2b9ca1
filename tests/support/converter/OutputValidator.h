// A structural check of a produced "ALLDATA.KWI" written from the layouts alone, with its own big-endian
// reads (no reader of the data layer): every reference points at the start of something written inside
// the file, 32-aligned; informations and frames do not overlap; list records are either the empty
// reference, a frame, or a divided parcel whose sub-list parses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace convtest {

struct Validation {
    std::vector<std::string> problems;
    int blocks = 0;
    int frames = 0;
    int guidanceFrames = 0;
    int emptyRecords = 0;
};

Validation validateOutput(const std::vector<uint8_t>& file);

} // namespace convtest
