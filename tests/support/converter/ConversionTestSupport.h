// Helpers of the conversion tests: generated source maps, folder snapshots, and an output stream that
// fails like a full disk after a number of bytes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "converter/job/ConversionRun.h"
#include "kiwi/io/Stream.h"
#include "support/fixtures/AllDataFixture.h"

namespace convtest {

std::vector<uint8_t> readFile(const std::string& path);
// Every file of a folder (not recursive) by name, with its bytes.
std::map<std::string, std::vector<uint8_t>> snapshot(const std::string& folder);

// A source folder "<scratch>/src" holding the map of plan, and an empty "<scratch>/out".
struct Folders {
    std::string source;
    std::string output;
    std::string allData;
};
Folders makeSource(const std::string& name, const fixture::AllDataPlan& plan);

// Runs a conversion to output/ALLDATA.KWI with the options (outputPath filled in); with the extra level, the
// building data it needs: a city area over the map's coverage with one one-way arrow at its middle, which
// gives the extra level one parcel.
ConversionResult convert(const std::string& allData, const std::string& outputFolder,
                         ConversionOptions options = {}, OutputOpener opener = {},
                         const std::string& stopAtLinePrefix = {});
// The building data convert() gives a run with the extra level.
std::vector<uint8_t> extraLevelData(const std::string& allData);
// A map whose level 0 has so many block records (all but four blocks absent) that its management data leaves
// no room under 131 040 bytes for a single block table of the extra level; its last level is of code 0.
fixture::AllDataPlan crowdedManagementPlan();
// The plan with its last level of level code 0, the most detailed one, which an extra level divides.
fixture::AllDataPlan detailedLast(fixture::AllDataPlan plan);

// An output stream that refuses every byte past a budget with the system's "No space left on device".
std::unique_ptr<TLN_Stream> openWithBudget(const std::string& path, int64_t budget);

} // namespace convtest
