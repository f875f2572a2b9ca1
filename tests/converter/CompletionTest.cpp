// The finishing tasks: volumes that add up to the unsplit file, at most nine of them, FILECON.MNG naming
// them, ReadMe.txt, and nothing removed before every volume is complete.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "converter/job/CompletionRun.h"
#include "kiwi/parts/FileConManager.h"
#include "kiwi/region/RegionManager.h"
#include "platform/CodePage.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RegionFixture.h"
#include "support/fixtures/TownMapPlan.h"

namespace {

struct Finished {
    std::string source;
    std::string output;
    std::vector<uint8_t> newMap;
};

Finished setup(const std::string& name, size_t bytes) {
    const std::string root = fixture::scratchDir("complete-" + name);
    Finished s{root + "/src/ALLDATA.KWI", root + "/out/ALLDATA.KWI", {}};
    fixture::writeFile(s.source, {1, 2, 3});
    fixture::FileConPlan plan;
    plan.entries = {{0, "ALLDATA.KWI", "ALLDATA.KWI", 3}, {0, "REGION.KWI", "REGION.KWI", 64}};
    fixture::writeFile(root + "/src/filecon.mng", fixture::buildFileCon(plan));
    for (size_t i = 0; i < bytes; ++i)
        s.newMap.push_back(uint8_t(i * 7));
    fixture::writeFile(s.output, s.newMap);
    return s;
}

ConversionResult complete(const Finished& s, bool split, bool fileCon, int64_t volumeBytes,
                          const std::atomic<bool>* stop = nullptr, OutputOpener opener = {}) {
    CompletionOptions options;
    options.outputPath = s.output;
    options.sourcePath = s.source;
    options.split = split;
    options.fileCon = fileCon;
    options.volumeBytes = volumeBytes;
    CompletionRun run(options);
    if (opener) run.SetOutputOpener(opener);
    ConversionProgress progress;
    std::atomic<bool> never{false};
    return run.Execute(progress, stop ? *stop : never);
}

} // namespace

TEST(Completion, SplitVolumesAddUpToTheFileAndFileConNamesThem) {
    const Finished s = setup("split", 2500);
    const std::string out = FolderOf(s.output);
    for (int n = 1; n <= 4; ++n) // left from an earlier split of five volumes
        fixture::writeFile(out + "/" + VolumeName(n), std::vector<uint8_t>(1000, uint8_t(n)));
    fixture::writeFile(out + "/ALLDATA5.KWI", {9});
    const auto result = complete(s, true, true, 1000);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    const auto files = convtest::snapshot(out);
    EXPECT_FALSE(files.count("ALLDATA.KWI"));
    EXPECT_FALSE(files.count("ALLDATA5.KWI"));
    ASSERT_TRUE(files.count("ALLDATA3.KWI"));
    EXPECT_EQ(files.at("ALLDATA1.KWI").size(), 1000u);
    EXPECT_EQ(files.at("ALLDATA3.KWI").size(), 500u);
    std::vector<uint8_t> joined;
    for (int n = 1; n <= 3; ++n)
        joined.insert(joined.end(), files.at(VolumeName(n)).begin(), files.at(VolumeName(n)).end());
    EXPECT_EQ(joined, s.newMap);

    TLN_FileConManager table(out + "/FILECON.MNG");
    ASSERT_TRUE(table.IsValid());
    ASSERT_EQ(table.Count(), 4);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(table.GetRecord(k).Number, 16 * k);
        EXPECT_EQ(table.GetRecord(k).LogicalName, "ALLDATA.KWI");
        EXPECT_EQ(table.GetRecord(k).PhysicalName, VolumeName(k + 1));
        EXPECT_EQ(table.GetRecord(k).FileSize, k < 2 ? 1000u : 500u);
    }
    EXPECT_EQ(table.GetRecord(3).LogicalName, "REGION.KWI");
    // The source's FILECON.MNG is read, never written.
    EXPECT_EQ(convtest::snapshot(FolderOf(s.source)).size(), 2u);
    const auto readMe = files.at("ReadMe.txt");
    const QString text = decodeFromCodePage(
        QByteArrayView(reinterpret_cast<const char*>(readMe.data()), qsizetype(readMe.size())), 1251);
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("Не создавайте новые файлы REGION.KWI")));
    EXPECT_EQ(text.count(QStringLiteral("\r\n")), 5);
    EXPECT_TRUE(text.contains(QString::fromUtf8("с учетом  нового")));
}

TEST(Completion, OnlyTheVolumesOfAnEarlierSplitAreRemoved) {
    // Files of volume names beside a split into three (their sizes, 0 none): an earlier split's are removed;
    // a file next to the new volumes that is none would be read as one, so nothing is split.
    for (const std::vector<int>& sizes : {std::vector<int>{1000, 1000, 1000, 1000, 9},
                                          {0, 0, 0, 0, 0, 7},
                                          {0, 0, 0, 2},
                                          {1000, 999, 1000, 5}}) {
        const Finished s = setup("stale", 2500);
        for (size_t n = 0; n < sizes.size(); ++n)
            if (sizes[n])
                fixture::writeFile(FolderOf(s.output) + "/" + VolumeName(int(n) + 1),
                                   std::vector<uint8_t>(size_t(sizes[n])));
        const auto before = convtest::snapshot(FolderOf(s.output));
        const bool done = complete(s, true, false, 1000).status == ConversionStatus::Done;
        const auto after = convtest::snapshot(FolderOf(s.output));
        EXPECT_TRUE(sizes.size() == 4 ? !done && after == before : done && after.size() == sizes.size() - 1)
            << sizes.size();
    }
}

TEST(Completion, AFileOfExactlyOneVolumeGivesOneVolume) {
    const Finished s = setup("one", 1000);
    ASSERT_EQ(complete(s, true, false, 1000).status, ConversionStatus::Done);
    const auto files = convtest::snapshot(FolderOf(s.output));
    EXPECT_EQ(files.at("ALLDATA1.KWI"), s.newMap);
    EXPECT_FALSE(files.count("ALLDATA2.KWI"));
    EXPECT_FALSE(files.count("FILECON.MNG"));
}

TEST(Completion, MoreThanNineVolumesAreRefusedBeforeAnyTask) {
    const Finished s = setup("ten", 9001);
    const auto result = complete(s, true, true, 1000);
    EXPECT_EQ(result.status, ConversionStatus::Refused);
    EXPECT_NE(result.message.find("9001 bytes"), std::string::npos) << result.message;
    const auto files = convtest::snapshot(FolderOf(s.output));
    EXPECT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at("ALLDATA.KWI"), s.newMap);
}

TEST(Completion, NineteenGibibytesAreRefusedWithRealVolumeSizes) {
    const Finished s = setup("sparse", 0);
    const int fd = ::open(s.output.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const bool sparse = ::ftruncate(fd, off_t(9) * (off_t(1) << 31) + 1) == 0;
    ::close(fd);
    if (!sparse) GTEST_SKIP() << "no sparse files here";
    EXPECT_EQ(complete(s, true, false, int64_t(1) << 31).status, ConversionStatus::Refused);
    ::truncate(s.output.c_str(), 0);
}

TEST(Completion, AFailedVolumeKeepsTheUnsplitFile) {
    const Finished s = setup("fail", 2500);
    const auto result = complete(s, true, true, 1000, nullptr, [](const std::string& path) {
        return convtest::openWithBudget(path, path.find("ALLDATA3") != std::string::npos ? 100 : 1 << 20);
    });
    EXPECT_EQ(result.status, ConversionStatus::Failed);
    const auto files = convtest::snapshot(FolderOf(s.output));
    EXPECT_EQ(files.size(), 1u) << "no volume, no temporary, no FILECON.MNG";
    EXPECT_EQ(files.at("ALLDATA.KWI"), s.newMap);
}

TEST(Completion, AStoppedSplitKeepsTheUnsplitFile) {
    const Finished s = setup("stop", 2500);
    std::atomic<bool> stop{true};
    EXPECT_EQ(complete(s, true, true, 1000, &stop).status, ConversionStatus::Stopped);
    const auto files = convtest::snapshot(FolderOf(s.output));
    EXPECT_EQ(files.size(), 1u);
    EXPECT_EQ(files.at("ALLDATA.KWI"), s.newMap);
}

TEST(Completion, WithoutASplitFileConListsTheNewMapInPlaceOfTheSources) {
    const Finished s = setup("nosplit", 100);
    ASSERT_EQ(complete(s, false, true, 1000).status, ConversionStatus::Done);
    TLN_FileConManager table(FolderOf(s.output) + "/FILECON.MNG");
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.GetRecord(0).PhysicalName, "ALLDATA.KWI");
    EXPECT_EQ(table.GetRecord(0).FileSize, 100u) << "the source's ALLDATA.KWI has 3 bytes";
}

namespace {

struct RegionFiles {
    std::string source;
    std::string output;
};

// cut: bytes taken off the end of the source REGION.KWI.
RegionFiles regionSetup(const std::string& name,
                        const fixture::RegionFilePlan& plan = fixture::sampleRegionPlan(), size_t cut = 0) {
    const std::string root = fixture::scratchDir("complete-region-" + name);
    RegionFiles r{root + "/src/ALLDATA.KWI", root + "/out/ALLDATA.KWI"};
    fixture::writeFile(r.source, {1, 2, 3});
    fixture::writeFile(r.output, {4, 5, 6});
    fixture::RegionImage image = fixture::buildRegionData(plan);
    image.bytes.resize(image.bytes.size() - cut);
    fixture::writeRegionData(image, root + "/src");
    return r;
}

ConversionResult buildRegion(const RegionFiles& r, std::vector<int> chosen) {
    CompletionOptions options;
    options.outputPath = r.output;
    options.sourcePath = r.source;
    options.region = true;
    options.regions = std::move(chosen);
    ConversionProgress progress;
    std::atomic<bool> stop{false};
    return CompletionRun(options).Execute(progress, stop);
}

} // namespace

namespace {

// A new REGION.KWI of every level-1 region holds every region of every level with the source's frame, byte
// for byte, but the `dropped` ones whose frame the source does not hold whole: kept without it, and told.
void expectEveryFrame(const RegionFiles& r, const std::string& name, size_t& dropped) {
    const TLN_RegionManager original(FolderOf(r.source) + "/REGION.KWI");
    TLN_Region_Level_Record level1;
    ASSERT_TRUE(original.GetLevelRecord(1, level1));
    std::vector<int> all;
    for (int i = 0; i < level1.RegionCount; ++i)
        all.push_back(i);
    const ConversionResult result = buildRegion(r, all);
    ASSERT_EQ(result.status, ConversionStatus::Done);
    const TLN_RegionManager rebuilt(FolderOf(r.output) + "/REGION.KWI");
    ASSERT_TRUE(rebuilt.IsValid());
    EXPECT_EQ(convtest::readFile(FolderOf(r.output) + "/REGION.KWI").size() % 32, 0u);
    int frames = 0;
    for (int level = 0; level < original.LevelCount(); ++level) {
        TLN_Region_Level_Record a;
        ASSERT_TRUE(original.GetLevelRecord(level, a));
        for (int j = 0; j < a.RegionCount; ++j) {
            TLN_Region_Manag_Record ra, rb;
            ASSERT_TRUE(original.ReadRegionRecord(level, j, ra));
            ASSERT_TRUE(rebuilt.ReadRegionRecord(level, j, rb));
            EXPECT_EQ(ra.Left, rb.Left);
            if (ra.FramePosition >= 0 && rb.FramePosition < 0 && ++dropped) continue;
            EXPECT_EQ(ra.FrameSize, rb.FrameSize) << name << " " << level << "/" << j;
            if (ra.FramePosition < 0 || !ra.FileName.empty()) continue;
            std::vector<uint8_t> fa(ra.FrameSize), fb(rb.FrameSize);
            original.FrameStream(ra.FrameFile)->ReadExactAt(ra.FramePosition, fa.data(), int64_t(fa.size()));
            rebuilt.FrameStream(rb.FrameFile)->ReadExactAt(rb.FramePosition, fb.data(), int64_t(fb.size()));
            EXPECT_EQ(fa, fb) << name << " " << level << "/" << j;
            ++frames;
        }
    }
    EXPECT_GT(frames, 2) << name;
    EXPECT_EQ(result.notes.size(), dropped) << name;
}

} // namespace

TEST(Completion, RegionFileWithEveryRegionReadsAsTheSource) {
    struct Shape {
        const char* name;
        fixture::RegionFilePlan plan;
        size_t cut = 0;
    };
    // Level 0 of two records; the sample disc's; three levels of several regions, some without a frame; a
    // file whose last frame is cut short.
    const Shape shapes[] = {{"all", fixture::sampleRegionPlan()},
                            {"town", fixture::townRegionPlan()},
                            {"three", fixture::threeLevelRegionPlan(3)},
                            {"cut", fixture::threeLevelRegionPlan(2), 40}};
    for (const Shape& shape : shapes) {
        size_t dropped = 0;
        expectEveryFrame(regionSetup(shape.name, shape.plan, shape.cut), shape.name, dropped);
        EXPECT_EQ(dropped, shape.cut > 0 ? 1u : 0u) << shape.name;
    }
}

TEST(Completion, RegionFileWithoutChosenRegionsHoldsFillersOnly) {
    const RegionFiles r = regionSetup("none");
    ASSERT_EQ(buildRegion(r, {}).status, ConversionStatus::Done);
    const TLN_RegionManager rebuilt(FolderOf(r.output) + "/REGION.KWI");
    ASSERT_TRUE(rebuilt.IsValid());
    for (int level = 1; level < rebuilt.LevelCount(); ++level) {
        TLN_Region_Level_Record record;
        ASSERT_TRUE(rebuilt.GetLevelRecord(level, record));
        const auto bytes = convtest::readFile(FolderOf(r.output) + "/REGION.KWI");
        for (int j = 0; j < record.RegionCount; ++j) {
            const auto at = bytes.begin() + record.TablePosition + 2 * int64_t(record.RegionRecordSize) * j;
            EXPECT_EQ(std::vector<uint8_t>(at, at + 12), std::vector<uint8_t>(12, 0xFF));
            EXPECT_EQ(std::vector<uint8_t>(at + 18, at + 24),
                      (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
        }
    }
    // Level 0 kept as it was.
    const TLN_RegionManager original(FolderOf(r.source) + "/REGION.KWI");
    TLN_Region_Manag_Record a, b;
    ASSERT_TRUE(original.ReadRegionRecord(0, 0, a));
    ASSERT_TRUE(rebuilt.ReadRegionRecord(0, 0, b));
    EXPECT_EQ(a.Top, b.Top);
    EXPECT_EQ(a.LowerRegionCount, b.LowerRegionCount);
}

TEST(Completion, NewRegionFileIsClearedFromTheListThisRunWrote) {
    const RegionFiles r = regionSetup("list");
    fixture::CmpListEntryPlan entry;
    entry.name = "REGION.KWI";
    entry.type = 2;
    fixture::buildCmpDataFile(fixture::mapLikeContent(70000), entry);
    const std::string list = FolderOf(r.output) + "/05.CMP";
    const auto before = fixture::buildCmpList({entry});
    fixture::writeFile(list, before);
    CompletionOptions options;
    options.outputPath = r.output;
    options.sourcePath = r.source;
    options.region = true;
    options.regions = {0};
    options.newCmpList = list;
    ConversionProgress progress;
    std::atomic<bool> stop{false};
    ASSERT_EQ(CompletionRun(options).Execute(progress, stop).status, ConversionStatus::Done);
    const auto after = convtest::readFile(list);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 4, after.begin() + 10), std::vector<uint8_t>(6, 0));
    EXPECT_TRUE(std::equal(after.begin() + 10, after.end(), before.begin() + 10));
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 4, before.begin()));
    // The new file now reads plainly, as region data.
    EXPECT_TRUE(TLN_RegionManager(FolderOf(r.output) + "/REGION.KWI").IsValid());
}

namespace {

// Three levels: level-1 region 0 has the level-2 regions 0 and 1 below it, region 1 has region 2 and
// region 2 has region 3. The second extended frame of level-2 region 0 names, from its byte 20, the
// level-1 region of every level-2 region: region 1 also lies in level-1 region 2.
fixture::RegionFilePlan threeLevelRegionPlan() {
    fixture::RegionFilePlan plan;
    fixture::RegionLevelPlan top, middle, low;
    top.levelCode = 1;
    middle.levelCode = 2;
    low.levelCode = 3;
    low.extendedFrames = 2;
    fixture::RegionPlan region;
    region.lowerFirst = 0;
    region.lowerCount = 3;
    top.regions = {region};
    for (const auto& [first, count] : std::vector<std::pair<uint16_t, uint16_t>>{{0, 2}, {2, 1}, {3, 1}}) {
        region.lowerFirst = first;
        region.lowerCount = count;
        region.frame.regionNumber = uint16_t(middle.regions.size());
        middle.regions.push_back(region);
    }
    region.lowerFirst = 0xFFFF;
    region.lowerCount = 0;
    for (uint16_t r = 0; r < 4; ++r) {
        region.frame.regionNumber = r;
        region.frame.extendedContent.clear();
        if (r == 0) {
            std::vector<uint8_t> table(20, 0);
            for (const uint16_t upper : std::initializer_list<uint16_t>{0, 2, 1, 2})
                table.insert(table.end(), {uint8_t(upper >> 8), uint8_t(upper)});
            region.frame.extendedContent = {{0xE0, 0xE1, 0xE2, 0xE3}, table};
        }
        low.regions.push_back(region);
    }
    plan.levels = {top, middle, low};
    return plan;
}

} // namespace

TEST(Completion, RegionFileWidensTheChoiceByTheLowerLevelsRegionTable) {
    const RegionFiles r = regionSetup("widen");
    fixture::writeRegionData(fixture::buildRegionData(threeLevelRegionPlan()), FolderOf(r.source));
    ASSERT_EQ(buildRegion(r, {0}).status, ConversionStatus::Done);
    const TLN_RegionManager original(FolderOf(r.source) + "/REGION.KWI");
    const TLN_RegionManager rebuilt(FolderOf(r.output) + "/REGION.KWI");
    ASSERT_TRUE(rebuilt.IsValid());
    ASSERT_EQ(rebuilt.LevelCount(), 3);
    // Level 1: the chosen region 0 and region 2, added through the table; level 2: the regions below them.
    const std::vector<std::vector<bool>> kept = {{true, false, true}, {true, true, false, true}};
    for (int level = 1; level < 3; ++level) {
        for (size_t j = 0; j < kept[size_t(level - 1)].size(); ++j) {
            TLN_Region_Manag_Record a, b;
            ASSERT_TRUE(original.ReadRegionRecord(level, int(j), a));
            ASSERT_TRUE(rebuilt.ReadRegionRecord(level, int(j), b));
            if (!kept[size_t(level - 1)][j]) {
                EXPECT_LT(b.FramePosition, 0) << level << "/" << j;
                EXPECT_EQ(b.LowerRegionCount, 0xFFFF) << level << "/" << j;
                continue;
            }
            EXPECT_EQ(a.LowerRegionFirst, b.LowerRegionFirst) << level << "/" << j;
            EXPECT_EQ(a.LowerRegionCount, b.LowerRegionCount) << level << "/" << j;
            ASSERT_GT(b.FrameSize, 0u) << level << "/" << j;
            ASSERT_EQ(a.FrameSize, b.FrameSize);
            std::vector<uint8_t> fa(a.FrameSize), fb(b.FrameSize);
            original.FrameStream(a.FrameFile)->ReadExactAt(a.FramePosition, fa.data(), int64_t(fa.size()));
            rebuilt.FrameStream(b.FrameFile)->ReadExactAt(b.FramePosition, fb.data(), int64_t(fb.size()));
            EXPECT_EQ(fa, fb) << level << "/" << j;
        }
    }
}
