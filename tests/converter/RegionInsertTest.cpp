// Region data inserted from the REGION.KWI beside the source: the new map's region data reads as the file
// did, its frames copied and re-pointed.
#include <gtest/gtest.h>

#include "kiwi/io/HandleStream.h"
#include "kiwi/region/RegionManager.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RegionFixture.h"

namespace {

std::vector<uint8_t> frameOf(const TLN_RegionManager& regions, const TLN_Region_Manag_Record& record) {
    std::vector<uint8_t> bytes(record.FrameSize);
    regions.FrameStream(record.FrameFile)
        ->ReadExactAt(record.FramePosition, bytes.data(), int64_t(bytes.size()));
    return bytes;
}

} // namespace

TEST(RegionInsert, RegionDataReadsBackAsTheFileDid) {
    const auto f = convtest::makeSource("region", fixture::smallAllDataPlan());
    const std::string regionPath =
        fixture::writeRegionData(fixture::buildRegionData(fixture::sampleRegionPlan()), f.source);
    const auto before = convtest::snapshot(f.source);
    ConversionOptions options;
    options.insertRegionData = true;
    const ConversionResult result = convtest::convert(f.allData, f.output, options);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_EQ(convtest::snapshot(f.source), before);

    const auto out = convtest::readFile(f.output + "/ALLDATA.KWI");
    const size_t record = 2048 + 18;
    const uint32_t address = (uint32_t(out[record]) << 24) | (uint32_t(out[record + 1]) << 16) |
                             (uint32_t(out[record + 2]) << 8) | out[record + 3];
    const int64_t base = int64_t(address >> 8) * 2048 + int64_t(address & 63) * 32;
    ASSERT_GT(base, 8192);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + record + 6, out.begin() + record + 18),
              std::vector<uint8_t>(12, 0));

    const TLN_RegionManager original(regionPath);
    std::shared_ptr<TLN_Stream> stream = TLN_HandleStream::OpenForReading(f.output + "/ALLDATA.KWI");
    const TLN_RegionManager inserted(stream, base);
    ASSERT_TRUE(original.IsValid());
    ASSERT_TRUE(inserted.IsValid());
    ASSERT_EQ(inserted.LevelCount(), original.LevelCount());
    int frames = 0;
    for (int level = 0; level < original.LevelCount(); ++level) {
        TLN_Region_Level_Record a, b;
        ASSERT_TRUE(original.GetLevelRecord(level, a));
        ASSERT_TRUE(inserted.GetLevelRecord(level, b));
        ASSERT_EQ(a.RegionCount, b.RegionCount);
        for (int j = 0; j < a.RegionCount; ++j) {
            TLN_Region_Manag_Record ra, rb;
            ASSERT_TRUE(original.ReadRegionRecord(level, j, ra));
            ASSERT_TRUE(inserted.ReadRegionRecord(level, j, rb));
            EXPECT_EQ(ra.Top, rb.Top);
            EXPECT_EQ(ra.LowerRegionFirst, rb.LowerRegionFirst);
            EXPECT_EQ(ra.FramePosition >= 0, rb.FramePosition >= 0);
            if (ra.FramePosition < 0 || !ra.FileName.empty()) continue;
            EXPECT_EQ(rb.FrameSize, ra.FrameSize);
            EXPECT_EQ(rb.FramePosition % 32, 0);
            EXPECT_EQ(frameOf(inserted, rb), frameOf(original, ra));
            ++frames;
        }
    }
    EXPECT_GT(frames, 0);
}
