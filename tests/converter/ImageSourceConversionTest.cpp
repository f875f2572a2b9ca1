// A map read inside a mounted ISO image converts and completes exactly as the same map read from a folder:
// the files beside it (REGION.KWI, VOICEDAT.KWI, a lower-case filecon.mng) are found in the image.
#include <gtest/gtest.h>

#include <filesystem>

#include "converter/job/CompletionRun.h"
#include "converter/source/SourceFiles.h"
#include "kiwi/disc/FileManager.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

class ImageSourceConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        KIWI_NEED_XORRISO();
        root = fixture::scratchDir("image-source-conversion");
        std::filesystem::copy(sampleDiscFolder(), root + "/disc");
        fixture::FileConPlan plan;
        plan.entries = {{0, "ALLDATA.KWI", "ALLDATA.KWI", 3}, {0, "REGION.KWI", "REGION.KWI", 64}};
        fixture::writeFile(root + "/disc/filecon.mng", fixture::buildFileCon(plan));
        fixture::makeIsoWithXorriso(root + "/disc", root + "/disc.iso");
    }
    void TearDown() override { CloseISOImage(); }

    // Converts the map with region and voice data inserted, then splits the new map into three volumes
    // with FILECON.MNG naming them and a new REGION.KWI; returns the output folder's files.
    std::map<std::string, std::vector<uint8_t>> convertAndComplete(const std::string& allData,
                                                                   const std::string& output) {
        std::filesystem::create_directories(output);
        ConversionOptions options;
        options.insertRegionData = true;
        options.insertVoiceData = true;
        const ConversionResult converted = convtest::convert(allData, output, options);
        EXPECT_EQ(converted.status, ConversionStatus::Done) << converted.message;
        const std::string log = [&] {
            const auto bytes = convtest::readFile(output + "/Log.txt");
            return std::string(bytes.begin(), bytes.end());
        }();
        EXPECT_NE(log.find("Region Data Management inserted"), std::string::npos) << log;
        EXPECT_NE(log.find("Voice Data Management inserted"), std::string::npos) << log;

        CompletionOptions completion;
        completion.outputPath = output + "/ALLDATA.KWI";
        completion.sourcePath = allData;
        completion.split = true;
        completion.fileCon = true;
        completion.region = true;
        completion.regions = {0};
        completion.newCmpList = converted.newCmpList;
        completion.voice = true;
        completion.voiceOffset = converted.voiceOffset;
        completion.voiceSize = converted.voiceSize;
        completion.volumeBytes = converted.outputSize / 3 + 1;
        CompletionRun run(completion);
        ConversionProgress progress;
        std::atomic<bool> stop{false};
        const ConversionResult completed = run.Execute(progress, stop);
        EXPECT_EQ(completed.status, ConversionStatus::Done) << completed.message;
        for (const std::string& line : progress.AllLines())
            EXPECT_EQ(line.find("not found"), std::string::npos) << line;
        return convtest::snapshot(output);
    }

    std::string root;
};

TEST_F(ImageSourceConversionTest, MapInsideTheImageGivesTheBytesOfTheMapInAFolder) {
    const auto fromFolder = convertAndComplete(root + "/disc/ALLDATA.KWI", root + "/from-folder");
    ASSERT_TRUE(OpenISOImage(root + "/disc.iso"));
    // The main window opens the image's map by its bare name.
    const auto fromImage = convertAndComplete("ALLDATA.KWI", root + "/from-image");
    for (const char* name : {"ALLDATA1.KWI", "ALLDATA3.KWI", "FILECON.MNG", "REGION.KWI"})
        EXPECT_TRUE(fromFolder.count(name)) << name;
    EXPECT_FALSE(fromFolder.count("ALLDATA.KWI"));
    ASSERT_EQ(fromImage.size(), fromFolder.size());
    for (const auto& [name, bytes] : fromFolder) {
        ASSERT_TRUE(fromImage.count(name)) << name;
        EXPECT_TRUE(fromImage.at(name) == bytes) << name << " differs";
    }
}

TEST_F(ImageSourceConversionTest, LookupNamesTheFileInTheMapsFolderOfTheImageIgnoringCase) {
    ASSERT_TRUE(OpenISOImage(root + "/disc.iso"));
    const std::string found = FindBesideSource("ALLDATA.KWI", "FILECON.MNG");
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(ISOFileExists(found)) << found;
    EXPECT_EQ(FindBesideSource("ALLDATA.KWI", "region.kwi").size(), std::string("REGION.KWI").size());
    EXPECT_EQ(FindBesideSource("ALLDATA.KWI", "MISSING.KWI"), "");
    const auto stream = OpenBesideSource("ALLDATA.KWI", "REGION.KWI");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Size(), int64_t(std::filesystem::file_size(root + "/disc/REGION.KWI")));
    EXPECT_EQ(OpenBesideSource("ALLDATA.KWI", "MISSING.KWI"), nullptr);
    // Without an image the map's own folder is searched.
    CloseISOImage();
    EXPECT_EQ(FindBesideSource(root + "/disc/ALLDATA.KWI", "FILECON.MNG"), root + "/disc/filecon.mng");
}

} // namespace
