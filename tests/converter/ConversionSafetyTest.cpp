// A run that is refused, stopped or fails leaves the source and any earlier output byte-identical and no
// partial file behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include "converter/output/ProducedFile.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/OutputValidator.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string lastLogLine(const std::string& folder) {
    const auto bytes = convtest::readFile(folder + "/Log.txt");
    std::string text(bytes.begin(), bytes.end());
    while (endsWith(text, "\r\n"))
        text.resize(text.size() - 2);
    return text.substr(text.rfind('\n') + 1);
}

} // namespace

TEST(ConversionSafety, OutputBesideTheSourceIsRefusedWhateverItsName) {
    const auto f = convtest::makeSource("refuse", fixture::smallAllDataPlan());
    const auto before = convtest::snapshot(f.source);
    // The same folder, through a symbolic link to it.
    const std::string link = f.output + "-link";
    ::unlink(link.c_str());
    ASSERT_EQ(::symlink(f.source.c_str(), link.c_str()), 0);
    EXPECT_EQ(convtest::convert(f.allData, link).status, ConversionStatus::Refused);
    EXPECT_EQ(convtest::convert(f.allData, f.source + "/.").status, ConversionStatus::Refused);
    EXPECT_EQ(convtest::snapshot(f.source), before);
}

TEST(ConversionSafety, SourceGuardKnowsHardLinks) {
    const std::string dir = fixture::scratchDir("guard-links");
    fixture::writeFile(dir + "/a/ALLDATA.KWI", {1, 2, 3});
    fixture::writeFile(dir + "/b/.keep", {});
    ASSERT_EQ(::link((dir + "/a/ALLDATA.KWI").c_str(), (dir + "/b/OTHER.KWI").c_str()), 0);
    SourceGuard guard;
    guard.ProtectFile(dir + "/a/ALLDATA.KWI");
    EXPECT_FALSE(guard.RefusalFor(dir + "/b/OTHER.KWI").empty());
    EXPECT_TRUE(guard.RefusalFor(dir + "/b/NEW.KWI").empty());
    EXPECT_FALSE(guard.RefusalFor(dir + "/a/NEW.KWI").empty());
    EXPECT_FALSE(guard.RefusalFor(dir + "/missing/NEW.KWI").empty());
}

TEST(ConversionSafety, UnsupportedOptionsAreRefusedBeforeAnythingIsWritten) {
    const auto f = convtest::makeSource("unsupported", fixture::smallAllDataPlan());
    // Buildings without building data; with it, also together with name conversion.
    ConversionOptions options;
    options.buildings = true;
    EXPECT_EQ(convtest::convert(f.allData, f.output, options).status, ConversionStatus::Refused);
    EXPECT_TRUE(convtest::snapshot(f.output).empty());
    options.utfToAnsi = true;
    options.translate = true;
    EXPECT_FALSE(UnsupportedOption(options, false).empty());
    EXPECT_TRUE(UnsupportedOption(options, true).empty());
}

TEST(ConversionSafety, AClassTheImportLevelLacksIsRefusedWithItsCount) {
    // Level 1, of level code 0, takes the imports: 2 background classes, 1 name class.
    TLN_KiwiMap map(
        convtest::makeSource("classes", convtest::detailedLast(fixture::smallAllDataPlan())).allData);
    const std::vector<uint8_t> data(16);
    ConversionOptions o;
    o.buildings = true, o.buildingsClass = 2;
    EXPECT_EQ(UnsupportedOption(o, map, &data),
              "Buildings Display Class 2 is beyond the background classes of level 1 (it has 2)");
    o.buildings = false, o.address = true, o.numberingClass = 1;
    EXPECT_EQ(UnsupportedOption(o, map, &data),
              "Numbering Display Class 1 is beyond the name classes of level 1 (it has 1)");
}

TEST(ConversionSafety, StopDuringTheTransferLeavesNoOutput) {
    const auto f = convtest::makeSource("stop", fixture::smallAllDataPlan());
    const auto before = convtest::snapshot(f.source);
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    const auto earlier = convtest::readFile(f.output + "/ALLDATA.KWI");
    // A second run with other options, stopped once the first level's frames begin.
    ConversionOptions options;
    options.adjacentMode = AdjacentMode::Remove;
    const ConversionResult result = convtest::convert(f.allData, f.output, options, {}, "Level 0 Main Map");
    EXPECT_EQ(result.status, ConversionStatus::Stopped);
    EXPECT_EQ(convtest::readFile(f.output + "/ALLDATA.KWI"), earlier) << "the earlier output changed";
    const auto out = convtest::snapshot(f.output);
    EXPECT_FALSE(out.count("ALLDATA.KWI.part"));
    EXPECT_EQ(lastLogLine(f.output).rfind("ERROR!: Parcel 0/", 0), 0u) << lastLogLine(f.output);
    EXPECT_EQ(convtest::snapshot(f.source), before);
}

TEST(ConversionSafety, FullDiskFailsWithTheSystemsTextAndLeavesNoPartialFile) {
    const auto f = convtest::makeSource("full", fixture::smallAllDataPlan());
    const auto before = convtest::snapshot(f.source);
    for (int64_t budget : {int64_t(0), int64_t(9000), int64_t(12000), int64_t(19000)}) {
        const ConversionResult result =
            convtest::convert(f.allData, f.output, {}, [budget](const std::string& path) {
                return convtest::openWithBudget(path, budget);
            });
        EXPECT_EQ(result.status, ConversionStatus::Failed) << budget;
        EXPECT_NE(result.message.find("No space left on device"), std::string::npos) << result.message;
        const auto out = convtest::snapshot(f.output);
        EXPECT_FALSE(out.count("ALLDATA.KWI")) << budget;
        EXPECT_FALSE(out.count("ALLDATA.KWI.part")) << budget;
    }
    EXPECT_EQ(convtest::snapshot(f.source), before);
}

TEST(ConversionSafety, ProducedFileAppearsOnlyOnCommit) {
    const std::string dir = fixture::scratchDir("produced");
    fixture::writeFile(dir + "/OUT.BIN", {9, 9});
    {
        ProducedFile file(dir + "/OUT.BIN");
        file.Stream().Write("abc", 3);
        EXPECT_EQ(convtest::readFile(dir + "/OUT.BIN"), (std::vector<uint8_t>{9, 9}));
    }
    EXPECT_EQ(convtest::readFile(dir + "/OUT.BIN"), (std::vector<uint8_t>{9, 9}));
    EXPECT_FALSE(convtest::snapshot(dir).count("OUT.BIN.part"));
    ProducedFile file(dir + "/OUT.BIN");
    file.Stream().Write("abc", 3);
    file.Commit();
    EXPECT_EQ(convtest::readFile(dir + "/OUT.BIN"), (std::vector<uint8_t>{'a', 'b', 'c'}));
    EXPECT_EQ(convtest::snapshot(dir).size(), 1u);
}

TEST(ConversionSafety, DamagedSourcesEndCleanly) {
    for (const auto shape :
         {fixture::HostileMapShape::CrowdedBlockSets, fixture::HostileMapShape::OverlappingLevels}) {
        const std::string root = fixture::scratchDir("convert-hostile");
        const std::string source = fixture::writeAllData(fixture::buildHostileAllData(shape), root + "/src");
        fixture::writeFile(root + "/out/.keep", {});
        std::remove((root + "/out/.keep").c_str());
        const auto before = convtest::snapshot(root + "/src");
        const ConversionResult result = convtest::convert(source, root + "/out");
        EXPECT_NE(result.status, ConversionStatus::Stopped);
        const auto out = convtest::snapshot(root + "/out");
        EXPECT_FALSE(out.count("ALLDATA.KWI.part"));
        if (result.status == ConversionStatus::Done) {
            // Whatever was kept points inside the new file.
            const auto bytes = out.at("ALLDATA.KWI");
            EXPECT_EQ(bytes.size() % 32, 0u);
        } else {
            EXPECT_FALSE(out.count("ALLDATA.KWI"));
        }
        EXPECT_EQ(convtest::snapshot(root + "/src"), before);
    }
}

TEST(ConversionSafety, CutSourceKeepsWhatItHoldsAndWarnsOfTheRest) {
    auto image = fixture::buildAllData(fixture::largeAllDataPlan(2));
    const size_t full = image.allData.size();
    image.allData.resize(full - full / 4);
    const std::string root = fixture::scratchDir("convert-cut");
    const std::string source = fixture::writeAllData(image, root + "/src");
    fixture::writeFile(root + "/out/.keep", {});
    std::remove((root + "/out/.keep").c_str());
    const ConversionResult result = convtest::convert(source, root + "/out");
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_GT(result.warnings, 0);
    const auto v = convtest::validateOutput(convtest::readFile(root + "/out/ALLDATA.KWI"));
    EXPECT_TRUE(v.problems.empty()) << (v.problems.empty() ? "" : v.problems.front());
    EXPECT_GT(v.frames, 100);
    EXPECT_GT(v.emptyRecords, 0);
    const auto log = convtest::readFile(root + "/out/Log.txt");
    EXPECT_NE(std::string(log.begin(), log.end()).find("WARNING: Parcel 0/"), std::string::npos);
}

// The pre-flight check warns before the run starts and lets it go on: the estimate (the source's size)
// is rough, and a disk that does fill fails the run cleanly anyway. An unknown room warns of nothing.
TEST(ConversionSafety, LittleFreeSpaceIsWarnedOfAndTheRunGoesOn) {
    const auto f = convtest::makeSource("free-space", fixture::smallAllDataPlan());
    const int64_t sourceSize = int64_t(convtest::readFile(f.allData).size());
    struct Case {
        int64_t freeBytes;
        bool warned;
    };
    for (const Case& c : {Case{1000, true}, Case{sourceSize - 1, true}, Case{sourceSize, false},
                          Case{int64_t(1) << 40, false}, Case{-1, false}}) {
        ConversionOptions options;
        options.outputPath = f.output + "/ALLDATA.KWI";
        ConversionRun run(f.allData, options);
        std::string askedFor;
        run.SetFreeSpaceQuery([&](const std::string& folder) {
            askedFor = folder;
            return c.freeBytes;
        });
        ConversionProgress progress;
        std::atomic<bool> stop{false};
        const ConversionResult result = run.Execute(progress, stop);
        EXPECT_EQ(result.status, ConversionStatus::Done) << c.freeBytes;
        EXPECT_EQ(askedFor, f.output);
        const auto lines = progress.AllLines();
        const auto warning = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.rfind("WARNING: the output folder has ", 0) == 0;
        });
        EXPECT_EQ(warning != lines.end(), c.warned) << c.freeBytes;
        // Beside the two parcels the small map damages on purpose.
        EXPECT_EQ(result.warnings > 2, c.warned) << c.freeBytes;
        if (c.warned && warning != lines.end()) {
            // Before any stage of the run.
            EXPECT_LT(warning - lines.begin(), 3);
            EXPECT_NE(warning->find(std::to_string(sourceSize / 1024) + " kb"), std::string::npos)
                << *warning;
        }
    }
}

TEST(ConversionSafety, AMainFrameTooLargeForItsRecordIsCopiedUnchanged) {
    const auto f = convtest::makeSource("oversized", fixture::smallAllDataPlan());
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    const auto copied = convtest::readFile(f.output + "/ALLDATA.KWI");
    // A writer whose first frame grows one sector past what a 16-bit sector count can say.
    struct Growing : CopyParcelWriter {
        bool grown = false;
        uint32_t WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override {
            if (grown) return CopyParcelWriter::WriteMainFrame(frame, out, at);
            grown = true;
            const std::vector<uint8_t> junk(kMaxStoredFrameBytes + 32, 0x5A);
            out.WriteAt(at, junk.data(), int64_t(junk.size()));
            return uint32_t(junk.size());
        }
    };
    ConversionOptions options;
    options.outputPath = f.output + "/ALLDATA.KWI";
    ConversionRun run(f.allData, options);
    run.SetParcelWriter(std::make_unique<Growing>());
    ConversionProgress progress;
    std::atomic<bool> stop{false};
    const ConversionResult result = run.Execute(progress, stop);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_EQ(convtest::readFile(f.output + "/ALLDATA.KWI"), copied) << "the parcel as the copy writes it";
    const auto lines = progress.AllLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.rfind("WARNING: Parcel ", 0) == 0 &&
                                       endsWith(line, " grew past 2047 kb: copied unchanged");
                            }),
              1);
}
