// What the conversion run says, and where: region data kept inside "ALLDATA.KWI" goes through the region
// writer and says so, and the added level reports its arrows before the new management header is named.
#include <gtest/gtest.h>

#include <cstdio>

#include "converter/job/ConversionJob.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/region/RegionManager.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RegionFixture.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

std::string logOf(const std::string& folder) {
    const auto bytes = convtest::readFile(folder + "/Log.txt");
    return std::string(bytes.begin(), bytes.end());
}

std::string hex(int64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

} // namespace

TEST(ConversionLog, RegionDataInsideTheMapIsRewrittenAndSaysSo) {
    const std::string root = fixture::scratchDir("convert-log-region");
    fixture::AllDataImage image = fixture::buildAllData(fixture::smallAllDataPlan());
    const fixture::RegionImage region = fixture::buildRegionData(fixture::sampleRegionPlan());
    // The region data appended at a 2048-byte boundary; record 1 (at 2048 + 18) names it: its KIWI
    // address, its size in 32-byte sectors and no file name.
    image.allData.resize((image.allData.size() + 2047) / 2048 * 2048, 0);
    const int64_t base = int64_t(image.allData.size());
    image.allData.insert(image.allData.end(), region.bytes.begin(), region.bytes.end());
    image.allData.resize((image.allData.size() + 31) / 32 * 32, 0);
    const uint32_t address = uint32_t(base / 2048) << 8;
    const uint16_t sectors = uint16_t((region.bytes.size() + 31) / 32);
    const uint8_t record[18] = {uint8_t(address >> 24), uint8_t(address >> 16), uint8_t(address >> 8),
                                uint8_t(address),       uint8_t(sectors >> 8),  uint8_t(sectors)};
    std::copy(std::begin(record), std::end(record), image.allData.begin() + 2048 + 18);
    for (const auto& [name, bytes] : region.frameFiles)
        image.files[name] = bytes;
    const std::string allData = fixture::writeAllData(image, root + "/src");
    fixture::writeFile(root + "/out/.keep", {});
    std::remove((root + "/out/.keep").c_str());

    const ConversionResult result = convtest::convert(allData, root + "/out");
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    const auto out = convtest::readFile(root + "/out/ALLDATA.KWI");
    const uint32_t moved =
        (uint32_t(out[2066]) << 24) | (uint32_t(out[2067]) << 16) | (uint32_t(out[2068]) << 8) | out[2069];
    const int64_t at = int64_t(moved >> 8) * 2048 + int64_t(moved & 0xFF) * 32;
    EXPECT_EQ((out[2070] << 8) | out[2071], sectors) << "the record keeps its old size";
    const std::string log = logOf(root + "/out");
    EXPECT_NE(log.find("\r\nRegion Data Management transferred. Address: 0x" + hex(at, 10) + "  Size: 0x"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Management 2 transferred"), std::string::npos) << log;
    const TLN_RegionManager after(TLN_HandleStream::OpenForReading(root + "/out/ALLDATA.KWI"), at);
    const TLN_RegionManager original(TLN_HandleStream::OpenForReading(allData), base);
    ASSERT_TRUE(original.IsValid());
    ASSERT_TRUE(after.IsValid());
    EXPECT_EQ(after.LevelCount(), original.LevelCount());
}

TEST(ConversionLog, AddedLevelReportsItsArrowsBeforeTheNewHeader) {
    const auto f = convtest::makeSource("log-extra", convtest::detailedLast(fixture::smallAllDataPlan()));
    ConversionOptions options;
    options.addExtraLevel = true;
    ASSERT_EQ(convtest::convert(f.allData, f.output, options).status, ConversionStatus::Done);
    const std::string log = logOf(f.output);
    const size_t started = log.find("Creating New Map started...\r\n");
    const size_t level = log.find("\r\nCreating New Extra Level ...\r\n");
    const size_t arrows = log.find("\r\nOne-Way Arrows added: 1\r\n");
    const size_t header = log.find("\r\nNew Parcel Data Management Header (Size): 0x");
    EXPECT_EQ(started, 0u) << log;
    EXPECT_LT(level, arrows) << log;
    EXPECT_LT(arrows, header) << log;
    EXPECT_NE(header, std::string::npos) << log;
}

TEST(ConversionLog, TheRunStartsBeforeItNamesItsNameConversion) {
    const auto f = convtest::makeSource("log-names", fixture::smallAllDataPlan());
    ConversionOptions options;
    options.utfToAnsi = true;
    ASSERT_EQ(convtest::convert(f.allData, f.output, options).status, ConversionStatus::Done);
    EXPECT_EQ(
        logOf(f.output).rfind("Creating New Map started...\r\nConvert UTF-8 to ISO/ANSI mode in use.\r\n", 0),
        0u)
        << logOf(f.output);
}

TEST(ConversionLog, LabelsFollowTheStagesOfTheSampleDisc) {
    const std::string out = fixture::scratchDir("convert-log-labels");
    ConversionOptions options;
    options.outputPath = out + "/ALLDATA.KWI";
    ConversionJob job(std::make_unique<ConversionRun>(sampleDiscFile("ALLDATA.KWI"), options));
    std::vector<std::string> labels;
    job.Progress().SetLabelCallback([&](const std::string& label) {
        if (labels.empty() || labels.back() != label) labels.push_back(label);
    });
    job.Start();
    ASSERT_EQ(job.Result().status, ConversionStatus::Done);
    const std::vector<std::string> expected = {
        "Calculating new size of Parcel Management List ...  Level 0",
        "Calculating new size of Parcel Management List ...  Level 1",
        "Transferring Map Header",
        "Transferring New MM Data ...  Level 0",
        "Transferring ...  Level 0   BlockSet 0",
        "Transferring ...  Level 0   BlockSet 0   Block 0",
        "Sorting Parcel Address List...  Level 0",
        "Updating ADJACENT PARCEL INFORMATION (3) ...  Level 0",
        "Transferring New MM Data ...  Level 1",
        "Transferring ...  Level 1   BlockSet 0",
        "Transferring ...  Level 1   BlockSet 0   Block 0",
        "Transferring ...  Level 1   BlockSet 0   Block 1",
        "Transferring ...  Level 1   BlockSet 0   Block 2",
        "Transferring ...  Level 1   BlockSet 0   Block 3",
        "Sorting Parcel Address List...  Level 1",
        "Updating ADJACENT PARCEL INFORMATION (34) ...  Level 1",
        "Transferring Management 21 ...  ",
        "Transferring Management 30 ...  ",
    };
    EXPECT_EQ(labels, expected);
}
