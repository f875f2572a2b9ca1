// Tests of the conversion settings and of the progress a job reports.
#include <gtest/gtest.h>

#include "converter/job/ConversionProgress.h"
#include "converter/job/ConversionRun.h"
#include "converter/source/ConversionOptions.h"

TEST(ConversionOptions, DefaultsNeedOnlyAnOutput) {
    ConversionOptions options;
    EXPECT_TRUE(bool(options.Validate()));
    options.outputPath = "/tmp/out/ALLDATA.KWI";
    EXPECT_FALSE(bool(options.Validate()));
}

TEST(ConversionOptions, RefusesWhatARunCannotUse) {
    ConversionOptions options;
    options.outputPath = "x";
    options.codePage = 932;
    EXPECT_TRUE(bool(options.Validate()));
    options.codePage = 1251;
    options.systemIdChecked = true;
    options.systemIdText = std::string(53, 'A');
    EXPECT_TRUE(bool(options.Validate()));
    options.systemIdText = std::string(52, 'A');
    EXPECT_FALSE(bool(options.Validate()));
}

TEST(ConversionOptions, LoadsJsonAndRefusesUnknownKeys) {
    ConversionOptions options;
    EXPECT_FALSE(options
                     .LoadJson(R"({"target": 1, "adjacentMode": "clear", "removeRds": true,
                                      "buildingsTypeCode": 4660})")
                     .has_value());
    EXPECT_EQ(options.target, ConversionTarget::Denso);
    EXPECT_EQ(options.adjacentMode, AdjacentMode::Clear);
    EXPECT_TRUE(options.removeRds);
    EXPECT_EQ(options.buildingsTypeCode, 0x1234);
    const ConversionOptions before = options;
    EXPECT_TRUE(options.LoadJson(R"({"removeRds": false, "bogus": 1})").has_value());
    EXPECT_TRUE(options.removeRds) << "a refused file changes nothing";
    EXPECT_TRUE(options.LoadJson(R"({"buildingsTypeCode": 70000})").has_value());
    EXPECT_TRUE(options.LoadJson(R"({"target": "1"})").has_value());
    EXPECT_TRUE(options.LoadJson("[1]").has_value());
    EXPECT_EQ(options.buildingsTypeCode, before.buildingsTypeCode);
}

TEST(ConversionOptions, EachKindOfSettingTakesItsValuesAndRefusesOthers) {
    // One key of each kind: a flag, a text, a bounded number of a narrow field, a signed one, a named
    // mode and a list of area codes, each with a value it takes and values it refuses.
    struct Case {
        const char* json;
        bool taken;
    } cases[] = {
        {R"({"foldYo": true})", true},
        {R"({"foldYo": 1})", false},
        {R"({"dictionaryPath": "/maps/dict.lndict"})", true},
        {R"({"dictionaryPath": false})", false},
        {R"({"arrowNameClass": 15})", true},
        {R"({"arrowNameClass": 16})", false},
        {R"({"arrowNameClass": 2.5})", false},
        {R"({"trimWest": -2147483648})", true},
        {R"({"trimWest": 2147483648})", false},
        {R"({"systemIdIndex": -1})", true},
        {R"({"systemIdIndex": 16})", false},
        {R"({"adjacentMode": "remove"})", true},
        {R"({"adjacentMode": "Remove"})", false},
        {R"({"selectedAreas": [0, 17, 255]})", true},
        {R"({"selectedAreas": [256]})", false},
        {R"({"selectedAreas": 17})", false},
    };
    for (const Case& c : cases) {
        ConversionOptions options;
        const auto problem = options.LoadJson(c.json);
        EXPECT_EQ(!problem.has_value(), c.taken) << c.json;
        if (problem) {
            EXPECT_NE(problem->find("has a value it cannot take"), std::string::npos) << c.json;
        }
    }
    ConversionOptions options;
    ASSERT_FALSE(options
                     .LoadJson(R"({"foldYo": true, "dictionaryPath": "/d", "arrowNameClass": 15,
                                   "trimWest": -5, "adjacentMode": "remove", "selectedAreas": [3, 4]})")
                     .has_value());
    EXPECT_TRUE(options.foldYo);
    EXPECT_EQ(options.dictionaryPath, "/d");
    EXPECT_EQ(options.arrowNameClass, 15);
    EXPECT_EQ(options.trimWest, -5);
    EXPECT_EQ(options.adjacentMode, AdjacentMode::Remove);
    EXPECT_EQ(options.selectedAreas, (std::vector<int>{3, 4}));
}

TEST(ConversionProgress, PercentIsClampedAndZeroMaximumGivesZero) {
    EXPECT_EQ(ProgressPercent(1, 0), 0);
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 67);
    EXPECT_EQ(ProgressPercent(5, 3), 100);
    EXPECT_EQ(ProgressPercent(-5, 3), 0);
}

TEST(ConversionProgress, SnapshotsHandOutEachLineOnce) {
    ConversionProgress progress;
    std::vector<std::string> echoed;
    progress.SetLineCallback([&](const std::string& line) { echoed.push_back(line); });
    progress.AddLog("a");
    progress.SetProgress1(1, 2);
    progress.SetProgressLabel("label");
    auto first = progress.TakeSnapshot();
    EXPECT_EQ(first.newLines, std::vector<std::string>{"a"});
    EXPECT_EQ(first.percent1, 50);
    EXPECT_EQ(first.label, "label");
    progress.AddLog("b");
    progress.SetTaskBarIndeterminate();
    auto second = progress.TakeSnapshot();
    EXPECT_EQ(second.newLines, std::vector<std::string>{"b"});
    EXPECT_TRUE(second.taskBarIndeterminate);
    EXPECT_EQ(progress.AllLines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(echoed, (std::vector<std::string>{"a", "b"}));
}

TEST(ConversionProgress, MemoryKeepsATailWhileTheSinkGetsEveryLine) {
    ConversionProgress progress;
    progress.AddLog("first");
    std::vector<std::string> sunk;
    progress.SetLogSink([&](const std::string& line) { sunk.push_back(line); });
    const size_t more = ConversionProgress::kKeptLines + 10;
    for (size_t i = 0; i < more; ++i)
        progress.AddLog(std::to_string(i));
    ASSERT_EQ(sunk.size(), more + 1);
    EXPECT_EQ(sunk.front(), "first");
    EXPECT_EQ(sunk.back(), std::to_string(more - 1));
    EXPECT_EQ(progress.LineCount(), more + 1);
    const auto kept = progress.AllLines();
    ASSERT_EQ(kept.size(), ConversionProgress::kKeptLines);
    EXPECT_EQ(kept.front(), std::to_string(more - ConversionProgress::kKeptLines));
    // The window gets the kept lines it has not seen, the newest last, then only what follows.
    EXPECT_EQ(progress.TakeSnapshot().newLines, kept);
    progress.SetLogSink({});
    progress.AddLog("after");
    EXPECT_EQ(progress.TakeSnapshot().newLines, std::vector<std::string>{"after"});
    EXPECT_EQ(sunk.size(), more + 1);
}

TEST(ConversionProgress, ElapsedTimeReadsAsATimeOfDay) {
    EXPECT_EQ(ElapsedText(0), "0:00:00");
    EXPECT_EQ(ElapsedText(3725), "1:02:05");
}
