// "ALLDATA.KWI" one byte past a sector multiple, its last byte 0xFF, as a disc in use stores it: from a
// folder and from an ISO image it reads to its last byte, walks the same and converts to the same map.
#include <gtest/gtest.h>

#include <filesystem>

#include "kiwi/disc/FileManager.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/OutputValidator.h"
#include "support/fixtures/DiscShapes.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "support/walkers/MapWalk.h"

namespace {

struct Read {
    int64_t size = 0;
    uint8_t last = 0;
    std::string walk;
    std::vector<uint8_t> converted;
};

// Opens the map as the program does (a path, or a bare name inside the mounted image), walks it and
// converts it into output.
Read readAndConvert(const std::string& allData, const std::string& output) {
    Read r;
    {
        TLN_KiwiMap map(allData);
        EXPECT_TRUE(map.IsValid());
        EXPECT_GT(map.LevelCount(), 0u);
        const auto stream = map.GetAllDataStream();
        r.size = stream->Size();
        stream->ReadExactAt(r.size - 1, &r.last, 1);
        r.walk = dumpMap(map);
    }
    std::filesystem::create_directories(output);
    const ConversionResult result = convtest::convert(allData, output);
    EXPECT_EQ(result.status, ConversionStatus::Done) << result.message;
    r.converted = convtest::readFile(output + "/ALLDATA.KWI");
    return r;
}

} // namespace

TEST(OddSizeSource, OneBytePastASectorFromAFolderAndFromAnImage) {
    KIWI_NEED_XORRISO();
    fixture::AllDataImage image = fixture::buildAllData(fixture::framesAllDataPlan());
    fixture::endOneBytePastASector(image);
    const int64_t size = int64_t(image.allData.size());
    ASSERT_EQ(size % 2048, 1);
    const std::string root = fixture::scratchDir("odd-size-source");
    const std::string allData = fixture::writeAllData(image, root + "/disc");
    fixture::makeIsoWithXorriso(root + "/disc", root + "/disc.iso");

    const Read folder = readAndConvert(allData, root + "/from-folder");
    ASSERT_TRUE(OpenISOImage(root + "/disc.iso"));
    const Read mounted = readAndConvert("ALLDATA.KWI", root + "/from-image");
    CloseISOImage();

    for (const Read* r : {&folder, &mounted}) {
        EXPECT_EQ(r->size, size);
        EXPECT_EQ(r->last, 0xFF);
    }
    EXPECT_NE(folder.walk.find("\nheader "), std::string::npos);
    EXPECT_EQ(mounted.walk, folder.walk);
    ASSERT_FALSE(folder.converted.empty());
    EXPECT_TRUE(mounted.converted == folder.converted);
    EXPECT_TRUE(convtest::validateOutput(folder.converted).problems.empty());
}
