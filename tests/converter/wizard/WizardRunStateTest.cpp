// The wizard's run state without its window: the elapsed time and the finish page's figures, the run's
// log kept to its tail and started afresh, and the rules of the import, dictionary and region buttons.
#include <gtest/gtest.h>

#include "converter/wizard/WizardRunState.h"

namespace {

ConversionProgress::Snapshot snapshot(std::vector<std::string> lines, int percent = 0) {
    ConversionProgress::Snapshot s;
    s.label = "Step";
    s.percent1 = percent;
    s.percent2 = percent / 2;
    s.newLines = std::move(lines);
    return s;
}

TEST(WizardRunStateTest, ElapsedTimeAndFinishFigures) {
    struct Case {
        int64_t milliseconds;
        const char* elapsed;
    };
    for (const Case& c : {Case{0, "0:00:00"}, Case{59999, "0:00:59"}, Case{61000, "0:01:01"},
                          Case{3723000, "1:02:03"}, Case{36000000, "10:00:00"}}) {
        WizardRunState state;
        state.SetElapsed(c.milliseconds);
        EXPECT_EQ(state.ElapsedText(), QString::fromUtf8(c.elapsed)) << c.milliseconds;
        state.RunDone(QStringLiteral("DENSO"), 5 * 1024 + 1023);
        EXPECT_EQ(state.TargetText(), QStringLiteral("DENSO"));
        EXPECT_EQ(state.SizeText(), QStringLiteral("Output File Size: 5 kb"));
        EXPECT_EQ(state.TimeText(), QStringLiteral("Elapsed time: ") + QString::fromUtf8(c.elapsed));
    }
}

TEST(WizardRunStateTest, TheRunLogKeepsItsTailAndStartsAfreshWithEachRun) {
    WizardRunState state;
    state.RunStarted();
    state.TakeProgress(snapshot({"a", "b"}, 40));
    state.TakeProgress(snapshot({"c"}, 60));
    EXPECT_EQ(state.RunLog(), QStringList({"a", "b", "c"}));
    EXPECT_EQ(state.ProgressLabel(), QStringLiteral("Step"));
    EXPECT_EQ(state.Percent(), 60);
    EXPECT_EQ(state.RunPercent(), 30);
    state.TakeProgress(snapshot(std::vector<std::string>(ConversionProgress::kKeptLines, "x")));
    EXPECT_EQ(state.RunLog().size(), qsizetype(ConversionProgress::kKeptLines));
    EXPECT_EQ(state.DroppedLines(), 3);
    state.CompletionFailed("disk full");
    EXPECT_EQ(state.RunLog().back(), QStringLiteral("ERROR: disk full"));
    state.SetElapsed(5000);
    const int runs = state.Runs();
    state.RunStarted();
    EXPECT_EQ(state.Runs(), runs + 1);
    EXPECT_TRUE(state.RunLog().isEmpty());
    EXPECT_EQ(state.DroppedLines(), 0);
    EXPECT_EQ(state.ElapsedText(), QStringLiteral("0:00:00"));
    EXPECT_EQ(state.Percent(), 0);
}

TEST(WizardRunStateTest, ImportButtons) {
    WizardRunState state;
    EXPECT_TRUE(state.LoadOn());
    EXPECT_FALSE(state.SaveLmpOn());
    state.LeaveNamesPage(true);
    EXPECT_FALSE(state.LoadOn());
    state.LeaveNamesPage(false);
    EXPECT_TRUE(state.LoadOn());
    state.ImportEnded(true);
    EXPECT_TRUE(state.SaveLmpOn());
    // Data already loaded may not be saved while another import runs.
    state.ImportStarted();
    EXPECT_FALSE(state.LoadOn());
    EXPECT_FALSE(state.SaveLmpOn());
    state.ImportEnded(false);
    EXPECT_TRUE(state.LoadOn());
    EXPECT_FALSE(state.SaveLmpOn());
    state.ImportUnavailable();
    EXPECT_EQ(state.ImportMemo(), QStringList{QStringLiteral("Импорт зданий недоступен")});
    EXPECT_EQ(WizardRunState::LoadedText((3u << 20) + 5), QStringLiteral("Загружено: 3 Mb"));
    EXPECT_EQ(WizardRunState::AvailableText((1u << 20) - 1), QStringLiteral("Доступно памяти: 0 Mb"));
}

TEST(WizardRunStateTest, OnlyALoadWithEntriesOffersTheDictionaryButtons) {
    struct Step {
        int count;
        bool load;
        bool filled;
    };
    // A save, or a load that found nothing, offers nothing; once offered they stay.
    const Step steps[] = {
        {5, false, false}, {0, true, false}, {7, true, true}, {0, true, true}, {2, false, true}};
    WizardRunState state;
    EXPECT_EQ(state.CountText(), QStringLiteral("0 записей в словаре"));
    EXPECT_EQ(state.LoadDictionaryCaption(), QStringLiteral("Загрузить словарь"));
    for (const Step& s : steps) {
        state.DictionaryWorkStarted();
        EXPECT_TRUE(state.DictionaryWorking());
        state.DictionaryWorkEnded(s.count, s.load);
        EXPECT_FALSE(state.DictionaryWorking());
        EXPECT_EQ(state.DictionaryFilled(), s.filled) << s.count;
        EXPECT_EQ(state.CountText(), QString::number(s.count) + QStringLiteral(" записей в словаре"));
        EXPECT_EQ(state.LoadDictionaryCaption(),
                  s.filled ? QStringLiteral("Добавить в словарь") : QStringLiteral("Загрузить словарь"));
    }
}

TEST(WizardRunStateTest, RegionAndCompletionButtons) {
    WizardRunState state;
    EXPECT_FALSE(state.InspectOn());
    state.PasswordGiven();
    EXPECT_TRUE(state.InspectOn());
    state.RegionsInspected();
    EXPECT_FALSE(state.InspectOn());
    EXPECT_TRUE(state.CompletionGroupOn());
    EXPECT_FALSE(state.ProgressShown());
    state.CompletionStarted();
    EXPECT_FALSE(state.CompletionGroupOn());
    EXPECT_TRUE(state.ProgressShown());
    state.CompletionEnded();
    EXPECT_FALSE(state.ProgressShown());
    EXPECT_FALSE(state.CompletionGroupOn()) << "processing runs once";
}

} // namespace
