// Fixture builder of KIWI parameters parts: palettes, landmark frames and pattern tables of every
// layout and depth, written byte by byte from the layouts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fixture {

struct PatternTableSpec {
    int layout = 1;     // 1, 2 or 3
    uint16_t flags = 0; // format flag << 12 | pattern offset flag << 4 | log2(bits per pixel)
    uint8_t sizeX = 0, sizeY = 0, dayPalette = 0, nightPalette = 0;
    uint16_t groups = 0;                     // layout 2
    std::array<uint16_t, 6> displayValues{}; // layout 3
    std::vector<uint16_t> identifiers;
    // Raw bytes of each pattern. With the pattern offset flag they are stored in reverse order and
    // found through the list's offsets; without it they follow each other at the pattern size.
    std::vector<std::vector<uint8_t>> patterns;
    int useCode = -1;       // written after the list when >= 0
    int declaredCount = -1; // the stored pattern count when >= 0 (else the number of identifiers)
    bool zeroSize = false;  // store a record size of 0
};

struct LandmarkFrameSpec {
    uint16_t categories = 0;
    std::vector<PatternTableSpec> tables;
    int declaredTables = -1; // the stored table count when >= 0
};

struct ParamPartSpec {
    // Palettes of RGB colours (all of one length).
    std::vector<std::vector<std::array<uint8_t, 3>>> palettes;
    int declaredColors = -1;            // the stored colours per palette when >= 0
    LandmarkFrameSpec drawingLandmarks; // under the drawing parameters record (code 4609)
    LandmarkFrameSpec symbolLandmarks;  // under the 3-D symbol record (code 4610), layout 2 tables
    LandmarkFrameSpec routeLandmarks;   // under the route number record (code 4611), layout 3 tables
    int declaredRecords = -1;           // the stored number of records when >= 0
};

// The standard part: two palettes of four colours and tables at 1, 4, 8, 16 and 32 bits per pixel
// (offset flag 0 and 1), a table of 2 bits per pixel, one with a palette number out of range, a
// layout 2 and a layout 3 table. The expected pixels are listed in ParamFixture.cpp's comments.
ParamPartSpec standardParamSpec();

// The part's bytes, preceded by prefix bytes of 0xEE (the part's base is then prefix).
std::vector<uint8_t> buildParamPart(const ParamPartSpec& spec, size_t prefix = 0);

} // namespace fixture
