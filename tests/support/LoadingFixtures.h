// Fixture builders for LOADING.KWI (an AISIN-AW and a DENSO system, file lists, an identification
// record), COVERAGE.BIN and the BMP pictures it names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

// Maker positions (1/8 arc-second) that identify AISIN-AW and DENSO.
constexpr int32_t kAisinLongitude = 3947658, kAisinLatitude = 1005219;
constexpr int32_t kDensoLongitude = 3945853, kDensoLatitude = 1007932;

struct LoadingFixture {
    std::vector<uint8_t> bytes;
    // Where things were written (absolute positions).
    uint64_t aisinModule0 = 0, aisinModule1 = 0, densoModule = 0; // module records
    uint64_t aisinModule0Address = 0, aisinModule1Address = 0;    // module contents
    uint64_t fileListAt = 0;       // the list the first entry of module 0 points to
    uint64_t identificationAt = 0; // the identification record of "PROG.BIN"
};

// 16 KiB: system 0 AISIN-AW with 2 units (module 0: first entry + 2 files; module 1: 2 files in the
// record), system 1 DENSO with 1 unit whose module address is sector 3.
LoadingFixture buildLoading();

// A COVERAGE.BIN of records {code, name}.
std::vector<uint8_t> buildCoverage(const std::vector<std::pair<uint16_t, std::string>>& records);

// A 24-bit uncompressed BMP; pixel (x, y) (top-left origin) = colour(x, y) as 0xRRGGBB.
std::vector<uint8_t> buildBmp(int width, int height, uint32_t (*colour)(int x, int y));
// The colour pattern the coverage fixtures use.
uint32_t coveragePictureColour(int x, int y);

} // namespace fixture
