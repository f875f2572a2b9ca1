// A seeded generator of Polish-format maps for the import's tests and benchmark: buildings with holes,
// city areas, house numbers in thinning clusters, and (on request) malformed lines. Every coordinate
// lies on a grid of 1/3200 degree, which is exactly 144 map units, so the expected compiled bytes are
// written here from the grid alone, without the importer's arithmetic.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mpgen {

struct Plan {
    uint32_t seed = 1;
    size_t objects = 100;      // buildings, areas and number clusters together
    size_t targetBytes = 0;    // when above 0, objects are added until the text is this long
    int cityAreaLevel = 0;     // the import setting the expected bytes assume
    bool malformed = false;    // mix in sections and lines that must cost only themselves
    bool utf8 = false;         // CodePage=65001 with UTF-8 labels
    bool crlf = true;          // line ends
    bool buildExpected = true; // keep the expected bytes (off for benchmark sizes)
    // Where the objects go: the south-west slot in grid steps (3200 a degree) and slots per row, each
    // slot 16 steps square (so a map's area can be filled, e.g. the sample town's).
    int64_t originX = 37 * 3200;
    int64_t originY = 55 * 3200;
    size_t slotsPerRow = 2000;
};

struct Expected {
    std::vector<uint8_t> data; // box and records, in the padded layout
    int cities = 0;
    int buildings = 0;
    int numbers = 0;
    int records = 0;
    int errorLines = 0; // "ERROR : " lines the import must log
};

// Writes the text in pieces to sink; returns what importing it must give.
Expected Generate(const Plan& plan, const std::function<void(const std::string&)>& sink);
// The same into a string.
Expected GenerateText(const Plan& plan, std::string& text);
// The same into a file; returns the expected result.
Expected GenerateFile(const Plan& plan, const std::string& path);

// A coordinate text for a grid position (3200 steps per degree), e.g. 178400 -> "55.7500000".
std::string GridText(int64_t steps);

} // namespace mpgen
