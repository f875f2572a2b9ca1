// The unpack wizard's rules without a window: the folder a first run offers, which pages enable Next, the
// worker choice, the progress rows a run's polls build, and that nothing is reported once it stopped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sys/xattr.h>
#include <thread>

#include "UnpackTestSupport.h"
#include "support/fixtures/CmpFixture.h"
#include "unpack/engine/UnpackTexts.h"
#include "unpack/engine/UnpackWizardModel.h"

using namespace unpacktest;

namespace {

// Sleeps before each write, so that a run lasts long enough to be stopped in the middle.
class SlowOutput : public TempFileOutput {
public:
    SlowOutput(const std::string& folder, const std::string& name) : TempFileOutput(folder, name, false) {}

protected:
    ssize_t WriteSome(int fd, const uint8_t* data, size_t size) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        return TempFileOutput::WriteSome(fd, data, size);
    }
};

class UnpackWizardModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fixture::scratchDir(std::string("wizard-model-") +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir + "/out");
    }
    void load(const std::vector<fixture::CorpusFile>& files) {
        corpus = fixture::writeUnpackCorpus(dir + "/disc", files);
        model.SetList(openList(corpus.listPath));
        ASSERT_NE(model.List(), nullptr);
    }
    // Polls as the window does until the run ends.
    void pollToTheEnd() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!model.Done() && std::chrono::steady_clock::now() < deadline) {
            model.Poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(model.Done());
    }

    std::string dir;
    fixture::Corpus corpus;
    UnpackWizardModel model;
};

TEST_F(UnpackWizardModelTest, TheFolderPageChoosesOnlyAStoredFolderThatExists) {
    fixture::writeFile(dir + "/plain-file", {1});
    const struct {
        std::string stored;
        bool chosen;
    } cases[] = {
        {"", false},                  // a fresh install stores nothing
        {"/", true},                  // the root is a folder like any other once the user chose it
        {dir + "/gone", false},       // the last folder was removed since
        {dir + "/plain-file", false}, // a file is no folder
        {dir + "/out", true},
    };
    load(fixture::everyEntryType());
    for (const auto& c : cases) {
        model.SetList(model.List());
        model.SetAllTicked(true);
        EXPECT_EQ(model.OfferStoredFolder(c.stored), c.chosen) << c.stored;
        model.EnterPage(UnpackWizardModel::SelectFolderPage);
        EXPECT_EQ(model.Folder(), c.chosen ? c.stored : std::string()) << c.stored;
        EXPECT_EQ(model.NextEnabled(), c.chosen) << c.stored;
        EXPECT_EQ(model.NewFolderEnabled(), c.chosen) << c.stored;
        EXPECT_EQ(model.CaptionText(), "Выберите папку, где будут сохранены распакованные файлы");
    }
    // Until the user picks one.
    model.SetList(model.List());
    model.EnterPage(UnpackWizardModel::SelectFolderPage);
    EXPECT_FALSE(model.NextEnabled());
    model.SetFolder(dir + "/out");
    EXPECT_TRUE(model.NextEnabled());
}

TEST_F(UnpackWizardModelTest, PagesEnableNextAndBackByTheirRules) {
    EXPECT_EQ(model.CaptionText(), "Выберите файл 05.CMP");
    EXPECT_FALSE(model.NextEnabled());
    load(fixture::everyEntryType());
    EXPECT_EQ(model.CaptionText(), "Пожалуйста, выберите файлы для распаковки");
    EXPECT_FALSE(model.NextEnabled());
    EXPECT_FALSE(model.BackVisible());
    model.SetTicked(2, true);
    EXPECT_EQ(model.CountText(), "Выбрано файлов: 1");
    EXPECT_TRUE(model.NextEnabled());
    model.SetFolder(dir + "/out");
    model.EnterPage(UnpackWizardModel::CheckFilesPage);
    EXPECT_EQ(model.NextText(), "Старт");
    EXPECT_TRUE(model.BackEnabled());
    EXPECT_EQ(model.NextStepText(), "Следующий шаг запустит процесс распаковки для 1 файла(ов)");
    EXPECT_TRUE(model.NextEnabled());
    // A folder removed behind the wizard's back is no place to start in.
    std::filesystem::create_directories(dir + "/brief");
    model.SetFolder(dir + "/brief");
    std::filesystem::remove(dir + "/brief");
    EXPECT_FALSE(model.NextEnabled());
    model.SetFolder(dir + "/out");
    model.EnterPage(UnpackWizardModel::ProgressPage);
    EXPECT_TRUE(model.NeedsStart());
    EXPECT_EQ(model.NextText(), "Далее");
    EXPECT_FALSE(model.NextEnabled());
    EXPECT_FALSE(model.BackEnabled());
    EXPECT_EQ(model.CaptionText(), "Идет процесс распаковки ...");
}

TEST_F(UnpackWizardModelTest, TheWorkerChoiceFallsBackToOneAndAnOpticalListRunsOnOne) {
    const std::pair<int, int> choices[] = {{1, 1}, {2, 2}, {3, 1}, {4, 4}, {8, 8}, {16, 16}, {32, 1}, {0, 1}};
    for (const auto& [asked, chosen] : choices) {
        model.ChooseWorkers(asked);
        EXPECT_EQ(model.WorkerLimit(), chosen) << asked;
    }
    model.ChooseWorkers(8);
    model.SetOneWorker(true);
    EXPECT_FALSE(model.WorkerChoiceEnabled());
    EXPECT_EQ(model.WorkerLimit(), 1);
}

TEST_F(UnpackWizardModelTest, PollsBuildARowPerEntryAndCountTheOutcomes) {
    const auto content = fixture::mapLikeContent(3 * 65536 + 7, 4);
    load({{"BIG.KWI", 2, content, false, {}},
          {"GONE.KWI", 2, content, false, "-"},
          {"ODD.KWI", 7, content, false, {}},
          {"SMALL.KWI", 0, fixture::mapLikeContent(100, 1), false, {}}});
    model.SetAllTicked(true);
    model.SetFolder(dir + "/out");
    model.ChooseWorkers(2);
    std::atomic<int> wakes{0};
    model.Start({}, [&] { wakes.fetch_add(1); });
    const UnpackPollResult first = model.Poll();
    EXPECT_TRUE(first.reported);
    // The refused entries' rows come with the first poll.
    EXPECT_EQ(first.firstNewRow, 0u);
    pollToTheEnd();
    EXPECT_GE(wakes.load(), 1);
    ASSERT_EQ(model.Rows().size(), 4u);
    const auto& rows = model.Rows();
    EXPECT_EQ(rows[0].name, "GONE.KWI");
    EXPECT_EQ(rows[0].status, "Не найден");
    EXPECT_EQ(rows[1].name, "ODD.KWI");
    EXPECT_EQ(rows[1].status, "Ошибка");
    EXPECT_EQ(rows[1].size, "---");
    EXPECT_EQ(rows[1].reason, "неподдерживаемый тип сжатия");
    EXPECT_EQ(rows[2].name, "BIG.KWI");
    EXPECT_EQ(rows[2].written, "196 615");
    EXPECT_EQ(rows[2].size, "196 615");
    EXPECT_EQ(rows[2].status, "100 %");
    EXPECT_EQ(rows[2].bar, 100);
    EXPECT_EQ(rows[3].written, "100");
    EXPECT_EQ(model.Succeeded(), 2);
    EXPECT_EQ(model.Failed(), 2);
    EXPECT_EQ(model.ResultText(), "2 файла(ов) успешно распаковано.  2 файла(ов) не распаковано!");
    model.EnterPage(UnpackWizardModel::ProgressPage);
    EXPECT_EQ(model.CaptionText(), "Всё готово");
    EXPECT_TRUE(model.NextEnabled());
    EXPECT_FALSE(model.NeedsStart());
    // A poll after the end (a worker's late wake-up) reports nothing more.
    EXPECT_FALSE(model.Poll().reported);
}

TEST_F(UnpackWizardModelTest, NothingIsReportedOnceTheRunIsStopped) {
    load({{"A.KWI", 2, fixture::mapLikeContent(12 * 65536, 1), false, {}},
          {"B.KWI", 2, fixture::mapLikeContent(12 * 65536, 2), false, {}}});
    model.SetAllTicked(true);
    model.SetFolder(dir + "/out");
    model.ChooseWorkers(2);
    UnpackJobOptions options;
    options.output = [](const std::string& folder, const std::string& name) -> std::unique_ptr<UnpackOutput> {
        return std::make_unique<SlowOutput>(folder, name);
    };
    std::atomic<int> wakesAfterStop{0};
    std::atomic<bool> stopped{false};
    model.Start(std::move(options), [&] {
        if (stopped.load()) wakesAfterStop.fetch_add(1);
    });
    ASSERT_TRUE(model.Poll().reported);
    EXPECT_TRUE(model.Stop());
    stopped = true;
    EXPECT_EQ(model.Job()->LiveWorkers(), 0);
    // The poll a worker queued before the stop arrives now: it must not report progress (the taskbar
    // would show the stopped run's percentage, or 100 %).
    const UnpackPollResult late = model.Poll();
    EXPECT_FALSE(late.reported);
    EXPECT_FALSE(late.hasPercent);
    EXPECT_FALSE(model.Done());
    EXPECT_EQ(wakesAfterStop.load(), 0);
    EXPECT_TRUE(partFiles(dir + "/out").empty());
}

TEST_F(UnpackWizardModelTest, APartialFileNameHeldByAnotherFileIsListedAndReplacedOnlyThen) {
    const auto content = fixture::mapLikeContent(70000, 4);
    load({{"A.KWI", 2, content, false, {}}, {"B.KWI", 0, fixture::mapLikeContent(500, 2), false, {}}});
    // The user's own file under the partial name, and a partial file a crashed run of ours left.
    fixture::writeFile(dir + "/out/A.KWI.part", {'m', 'i', 'n', 'e'});
    fixture::writeFile(dir + "/out/B.KWI.part", {'s', 't', 'a', 'l', 'e'});
    ASSERT_EQ(::setxattr((dir + "/out/B.KWI.part").c_str(), "user.strovane.part", "1", 1, 0), 0);
    UnpackJobOptions options;
    options.outputFolder = dir + "/out";
    const auto job = runJob(model.List(), options);
    EXPECT_EQ(entryNamed(*job, "A.KWI")->Reason(), unpacktext::otherPartFile);
    EXPECT_EQ(fixture::readFile(dir + "/out/A.KWI.part"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(entryNamed(*job, "B.KWI")->State(), UnpackState::Done);

    model.SetAllTicked(true);
    model.SetFolder(dir + "/out");
    model.EnterPage(UnpackWizardModel::CheckFilesPage);
    EXPECT_EQ(model.ExistingTargets(),
              (std::vector<std::string>{dir + "/out/A.KWI.part", dir + "/out/B.KWI"}));
    model.Start({}, [] {});
    pollToTheEnd();
    EXPECT_EQ(fixture::readFile(dir + "/out/A.KWI"), content);
    EXPECT_TRUE(partFiles(dir + "/out").empty());
}

TEST_F(UnpackWizardModelTest, TheWarningTellsWhichExistingTargetsTheRunWillRefuse) {
    // Into the list's own folder the targets are the sources themselves.
    load({{"A.KWI", 2, fixture::mapLikeContent(700, 4), false, {}}, {"B.KWI", 0, {1}, false, {}}});
    model.SetAllTicked(true);
    model.SetFolder(dir + "/disc");
    model.EnterPage(UnpackWizardModel::CheckFilesPage);
    EXPECT_EQ(model.WarningText(),
              "Некоторые файлы уже существуют в папке!\nA.KWI . . . B.KWI\nЭто исходные файлы: "
              "они не будут заменены, распаковка в них будет отклонена !!!");
}

TEST_F(UnpackWizardModelTest, SizesAreGroupedWhateverTheirLength) {
    const std::pair<int64_t, const char*> cases[] = {{0, "0"},
                                                     {999, "999"},
                                                     {1000, "1 000"},
                                                     {1073741824, "1 073 741 824"},
                                                     {5000000000, "5 000 000 000"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(UnpackWizardModel::Grouped(value), text);
}

} // namespace
