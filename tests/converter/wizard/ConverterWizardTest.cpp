// The converter wizard's window through its pages: the start page, each page's buttons from the page
// table, the results 1/6/2, Restore Default per target, type codes checked when the field is left, the
// file page's refusals, the runs' ends and their failures, closing during a run, and its settings.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QSlider>
#include <QStackedWidget>

#include "WizardTestSupport.h"
#include "converter/wizard/ConverterWizardDictionary.h"
#include "kiwi/core/KiwiErrors.h"
#include "platform/RegistrySettings.h"

namespace {

using wizardtest::control;

using windowtest::waitUntil;
using wizardtest::endlessWork;
using wizardtest::finishedWork;

class ConverterWizardTest : public wizardtest::WizardTest {};

TEST_F(ConverterWizardTest, StartsOnInfoWithoutAMap) {
    auto wizard = make(ConverterSource{});
    EXPECT_EQ(wizard->windowTitle(), QStringLiteral("Конвертер карт"));
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Info);
    EXPECT_EQ(control<QLabel>(*wizard, "captionLabel")->text(), QStringLiteral("Информация"));
    EXPECT_FALSE(wizard->Model().BackOn());
    EXPECT_FALSE(wizard->Model().NextOn());
    EXPECT_TRUE(wizard->Model().CancelOn());
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Info);
}

TEST_F(ConverterWizardTest, StartsOnCautionForACompressedMapAndOnFirstStepOtherwise) {
    ConverterSource compressed = plainSource();
    compressed.compressed = true;
    auto wizard = make(compressed);
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Caution);
    EXPECT_TRUE(control<QPlainTextEdit>(*wizard, "attentionMemo")
                    ->toPlainText()
                    .startsWith(QStringLiteral("Карта, открытая в главном окне")));
    EXPECT_TRUE(wizard->Model().NextOn());
    EXPECT_TRUE(wizard->Model().Choices().newCmpList);
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::FirstStep);
    EXPECT_TRUE(wizard->Model().BackOn());
    auto plain = make(plainSource());
    EXPECT_EQ(plain->CurrentPage(), WizardPage::FirstStep);
    EXPECT_FALSE(plain->Model().BackOn());
}

TEST_F(ConverterWizardTest, EveryPageSetsItsButtonsFromTheTable) {
    auto wizard = make(plainSource());
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    struct Row {
        WizardPage page;
        bool back, next, progress;
        const char* caption;
    };
    const Row rows[] = {
        {WizardPage::FirstStep, false, true, false, "Первый шаг"},
        {WizardPage::Translate, true, true, true, "Изменение названий"},
        {WizardPage::Loading, true, true, true, "Загрузка карт"},
        {WizardPage::Settings, true, true, false, "Настройка"},
        {WizardPage::CutMap, true, true, false, "Обрезка карты"},
        {WizardPage::File, true, true, false, "Выберите выходной файл"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        ASSERT_EQ(wizard->CurrentPage(), row.page);
        EXPECT_EQ(control<QLabel>(*wizard, "captionLabel")->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(wizard->Model().BackOn(), row.back);
        EXPECT_EQ(wizard->Model().NextOn(), row.next);
        EXPECT_EQ(!control<QProgressBar>(*wizard, "progressBar1")->isHidden(), row.progress);
        EXPECT_EQ(control<QPushButton>(*wizard, "nextBtn")->text(), QStringLiteral("Далее"));
        wizard->NextBtnClick();
    }
    // Next on the file page started the run; its page turns Back and Next off until it ends.
    ASSERT_TRUE(waitUntil([&] { return wizard->CurrentPage() == WizardPage::Finish; }, 5000));
    EXPECT_FALSE(wizard->Model().BackOn());
    EXPECT_TRUE(wizard->Model().NextOn());
    EXPECT_EQ(control<QPlainTextEdit>(*wizard, "finishMemo")->toPlainText(),
              QStringLiteral("Creating New Map started..."));
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Completion);
    EXPECT_EQ(control<QPushButton>(*wizard, "nextBtn")->text(), QStringLiteral("Готово"));
    EXPECT_TRUE(wizard->Model().NextOn());
    EXPECT_FALSE(wizard->Model().CancelOn());
    EXPECT_TRUE(wizard->Model().BackOn());
    wizard->BackBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Finish);
}

TEST_F(ConverterWizardTest, BackGoesOnePageBack) {
    auto wizard = make(plainSource());
    nextTo(*wizard, WizardPage::CutMap);
    wizard->BackBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Settings);
    wizard->BackBtnClick();
    wizard->BackBtnClick();
    wizard->BackBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::FirstStep);
    wizard->BackBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::FirstStep);
}

TEST_F(ConverterWizardTest, EndsWithOneSixOrTwo) {
    for (const auto& [open, expected] : {std::pair{true, 1}, std::pair{false, 6}}) {
        auto wizard = make(plainSource());
        wizard->SetOutputFile(path("out/ALLDATA.KWI"));
        nextTo(*wizard, WizardPage::Creation);
        ASSERT_TRUE(waitUntil([&] { return wizard->CurrentPage() == WizardPage::Finish; }, 5000));
        wizard->NextBtnClick();
        control<QCheckBox>(*wizard, "openNewMapCheckBox")->setChecked(open);
        wizard->NextBtnClick();
        EXPECT_EQ(wizard->result(), expected);
        EXPECT_EQ(wizard->OutputPath(), path("out/ALLDATA.KWI"));
    }
    auto cancelled = make(plainSource());
    control<QPushButton>(*cancelled, "cancelBtn")->click();
    EXPECT_EQ(cancelled->result(), 2);
    EXPECT_EQ(taskBar.ProgressState(), TaskBarProgressStyle::None);
}

TEST_F(ConverterWizardTest, RestoreDefaultFollowsTheTargetAndSystemNumber) {
    ConverterSource old = plainSource();
    old.systemNumber = 2;
    auto wizard = make(old);
    EXPECT_EQ(wizard->Model().Choices().codePageIndex, 4);
    EXPECT_EQ(wizard->Model().Choices().addMode, 0);
    EXPECT_EQ(control<QLineEdit>(*wizard, "buildingsTypeCodeEdit")->text(), QStringLiteral("0143"));
    EXPECT_EQ(control<QLineEdit>(*wizard, "numberingTypeCodeEdit")->text(), QStringLiteral("01C2"));
    EXPECT_EQ(wizard->Model().Choices().buildingsClass, 3);
    EXPECT_EQ(wizard->Model().Choices().numberingClass, 2);
    EXPECT_FALSE(wizard->Model().Choices().strictRules);
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::DefaultButton));
    control<QButtonGroup>(*wizard, "targetRadioGroup")->button(1)->click();
    EXPECT_EQ(control<QLineEdit>(*wizard, "buildingsTypeCodeEdit")->text(), QStringLiteral("7018"));
    EXPECT_EQ(wizard->Model().Choices().buildingsTypeCode, 0x7018);
    EXPECT_EQ(wizard->Model().Choices().buildingsClass, 5);
    EXPECT_EQ(wizard->Model().Choices().numberingClass, 4);
    EXPECT_TRUE(wizard->Model().Choices().strictRules);
    // DENSO asks for Management 21 where the map has Management 32 only; the earlier choice comes back.
    EXPECT_TRUE(wizard->Model().Choices().backward);
    control<QButtonGroup>(*wizard, "targetRadioGroup")->button(2)->click();
    EXPECT_TRUE(wizard->Model().Choices().backward);
    EXPECT_EQ(wizard->Model().Choices().buildingsTypeCode, 0x0143);
    auto modern = make(plainSource());
    EXPECT_EQ(modern->Model().Choices().codePageIndex, 0);
    EXPECT_EQ(modern->Model().Choices().addMode, 1);
    EXPECT_EQ(modern->Model().Choices().buildingsClass, 5);
    EXPECT_EQ(modern->BuildOptions().codePage, 65001);
    EXPECT_EQ(modern->BuildOptions().adjacentMode, AdjacentMode::Update);
}

TEST_F(ConverterWizardTest, TypeCodesAreCheckedWhenTheFieldIsLeft) {
    auto wizard = make(plainSource());
    control<QLineEdit>(*wizard, "buildingsTypeCodeEdit")->setText(QStringLiteral("7"));
    EXPECT_EQ(wizard->Model().Choices().buildingsTypeCode, 0x0143);
    emit control<QLineEdit>(*wizard, "buildingsTypeCodeEdit")->editingFinished();
    EXPECT_EQ(wizard->Model().Choices().buildingsTypeCode, 7);
    EXPECT_TRUE(wizard->Model().Enabled(WizardControl::DefaultButton));
    control<QLineEdit>(*wizard, "buildingsTypeCodeEdit")->setText(QString());
    emit control<QLineEdit>(*wizard, "buildingsTypeCodeEdit")->editingFinished();
    EXPECT_EQ(control<QLineEdit>(*wizard, "buildingsTypeCodeEdit")->text(), QStringLiteral("0007"));
    EXPECT_TRUE(messenger.errors.isEmpty());
    control<QLineEdit>(*wizard, "numberingTypeCodeEdit")->setText(QStringLiteral("10000"));
    emit control<QLineEdit>(*wizard, "numberingTypeCodeEdit")->editingFinished();
    EXPECT_EQ(messenger.errors, QStringList{QStringLiteral("Wrong type code")});
    EXPECT_EQ(control<QLineEdit>(*wizard, "numberingTypeCodeEdit")->text(), QStringLiteral("01C2"));
    // The field takes no fifth digit.
    EXPECT_NE(control<QLineEdit>(*wizard, "numberingTypeCodeEdit")->validator(), nullptr);
}

TEST_F(ConverterWizardTest, OptionCouplings) {
    ConverterSource source = plainSource();
    source.fileConPresent = true;
    source.compressed = true;
    auto wizard = make(source);
    control<QSlider>(*wizard, "sizeFilter100TrackBar")->setValue(60);
    control<QSlider>(*wizard, "sizeFilter50TrackBar")->setValue(70);
    EXPECT_EQ(wizard->Model().Choices().filter100, 70);
    control<QSlider>(*wizard, "sizeFilter100TrackBar")->setValue(50);
    EXPECT_EQ(wizard->Model().Choices().filter50, 50);
    EXPECT_EQ(wizard->BuildOptions().buildingFilterSmallest, 50);
    EXPECT_EQ(wizard->BuildOptions().buildingFilterDetailed, 50);
    control<QSlider>(*wizard, "southTrackBar")->setValue(150000);
    control<QSlider>(*wizard, "northTrackBar")->setValue(152000);
    EXPECT_EQ(wizard->Model().Choices().edges.south, 152000 - 4800);
    control<QSlider>(*wizard, "eastTrackBar")->setValue(100000);
    control<QSlider>(*wizard, "westTrackBar")->setValue(140000);
    EXPECT_EQ(wizard->Model().Choices().edges.east, 147200);
    control<QSlider>(*wizard, "trimLevelTrackBar")->setValue(7);
    EXPECT_EQ(wizard->Model().Choices().trimLevel, 5);
    control<QCheckBox>(*wizard, "trimCheckBox")->click();
    control<QButtonGroup>(*wizard, "trimRadioGroup")->button(0)->click();
    EXPECT_EQ(wizard->Model().Choices().trimMode, 1);
    nextTo(*wizard, WizardPage::File);
    // A new 05.CMP is shown, not chosen, and is no task of its own.
    EXPECT_TRUE(wizard->Model().Choices().newCmpList);
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::NewCmpList));
    EXPECT_FALSE(wizard->Model().ProcessingEnabled());
    control<QCheckBox>(*wizard, "splitCheckBox")->click();
    EXPECT_TRUE(wizard->Model().Choices().fileCon);
    EXPECT_TRUE(wizard->Model().ProcessingEnabled());
    EXPECT_FALSE(wizard->Model().NextOn());
}

TEST_F(ConverterWizardTest, TrimByBordersWithOnlyZeroCheckedGives255AndNothingCheckedClearsTrim) {
    ConverterSource source = plainSource();
    source.areas = {{40, "DEU", "Germany"}, {43, "RUS", "Russia"}};
    auto wizard = make(source);
    EXPECT_EQ(wizard->Model().Choices().translationArea, 1);
    ASSERT_EQ(control<QListWidget>(*wizard, "areasCheckListBox")->count(), 4);
    control<QCheckBox>(*wizard, "trimCheckBox")->click();
    control<QButtonGroup>(*wizard, "trimRadioGroup")->button(2)->click();
    control<QListWidget>(*wizard, "areasCheckListBox")->item(3)->setCheckState(Qt::Checked);
    EXPECT_EQ(control<QListWidget>(*wizard, "areasCheckListBox")->item(0)->checkState(), Qt::Unchecked);
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    EXPECT_EQ(wizard->Model().SelectedAreas(), std::vector<int>{255});
    EXPECT_TRUE(wizard->RunSettings().trim);
    EXPECT_EQ(wizard->RunSettings().selectedAreas, std::vector<int>{255});
    EXPECT_EQ(wizard->RunSettings().trimMode, 2);
    auto none = make(source);
    control<QCheckBox>(*none, "trimCheckBox")->click();
    control<QButtonGroup>(*none, "trimRadioGroup")->button(2)->click();
    none->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*none, WizardPage::Creation);
    EXPECT_TRUE(none->Model().SelectedAreas().empty());
    EXPECT_FALSE(none->RunSettings().trim);
    EXPECT_FALSE(none->Model().Choices().trim);
}

TEST_F(ConverterWizardTest, FilePageRefusesUnsafeOutputsAndDeletesNothing) {
    auto wizard = make(plainSource());
    nextTo(*wizard, WizardPage::File);
    ASSERT_EQ(wizard->CurrentPage(), WizardPage::File);
    wizard->SetOutputFile(path("missing/ALLDATA.KWI"));
    EXPECT_FALSE(wizard->Model().NextOn());
    wizard->SetOutputFile(path("src/ALLDATA.KWI"));
    EXPECT_FALSE(wizard->Model().NextOn());
    EXPECT_FALSE(control<QLabel>(*wizard, "otherFileLabel")->isHidden());
    std::filesystem::create_directory_symlink(spath("src"), spath("srclink"));
    wizard->SetOutputFile(path("srclink/NEW.KWI"));
    EXPECT_FALSE(wizard->Model().NextOn());
    std::filesystem::create_hard_link(spath("src/ALLDATA.KWI"), spath("out/hard.KWI"));
    wizard->SetOutputFile(path("out/hard.KWI"));
    EXPECT_FALSE(wizard->Model().NextOn());
    EXPECT_FALSE(control<QLabel>(*wizard, "otherFileLabel")->isHidden());
    std::ofstream(spath("out/ro.KWI")) << "x";
    std::filesystem::permissions(spath("out/ro.KWI"), std::filesystem::perms::owner_read);
    wizard->SetOutputFile(path("out/ro.KWI"));
    EXPECT_FALSE(wizard->Model().NextOn());
    EXPECT_FALSE(control<QLabel>(*wizard, "readOnlyLabel")->isHidden());
    // The chooser's answer goes through the same check.
    paths.answer = path("out/ALLDATA.KWI");
    control<QPushButton>(*wizard, "fileBitBtn")->click();
    EXPECT_EQ(paths.calls.back().kind, "save, asking nothing");
    EXPECT_TRUE(wizard->Model().NextOn());
    EXPECT_TRUE(control<QLabel>(*wizard, "readOnlyLabel")->isHidden());
    // An existing output asks first; "no" stays, and an old 05.CMP in the output folder is left alone.
    std::ofstream(spath("out/ALLDATA.KWI")) << "old";
    std::ofstream(spath("out/05.CMP")) << "list";
    messenger.answer = false;
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::File);
    EXPECT_TRUE(messenger.questions.isEmpty());
    EXPECT_EQ(messenger.warnings.size(), 1);
    wizard->SetCreationFactory(
        [](const std::string&, const ConversionOptions&, const WizardRunInputs&) { return endlessWork(); });
    messenger.answer = true;
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Creation);
    EXPECT_TRUE(std::filesystem::exists(spath("out/05.CMP")));
}

TEST_F(ConverterWizardTest, ARefusedRunGoesBackToTheFilePageAndAFailedOneStays) {
    auto wizard = make(plainSource());
    wizard->SetCreationFactory([](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
        return finishedWork(
            ConversionStatus::Refused,
            Failure(FailureCode::OutputOpenFailed, Failure::System(EACCES), {{"file", "/out/ALLDATA.KWI"}}));
    });
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    ASSERT_TRUE(waitUntil([&] { return wizard->CurrentPage() == WizardPage::File; }, 5000));
    EXPECT_EQ(wizard->LastReturnValue(), -1);
    // The run's English is shown in Russian.
    EXPECT_EQ(messenger.errors.last(),
              QStringLiteral("Не удалось записать /out/ALLDATA.KWI (открытие): доступ запрещён"));
    wizard->SetCreationFactory([](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
        return finishedWork(ConversionStatus::Failed,
                            Failure(FailureCode::StreamWriteFailed, Failure::System(ENOSPC),
                                    {{"file", "/out/ALLDATA.KWI.part"}}));
    });
    wizard->NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return !wizard->CreationRunning() && messenger.errors.size() == 2; }, 5000));
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Creation);
    EXPECT_FALSE(wizard->Model().NextOn());
    EXPECT_FALSE(wizard->Model().BackOn());
    EXPECT_TRUE(messenger.information.isEmpty());
    control<QPushButton>(*wizard, "cancelBtn")->click();
    EXPECT_EQ(messenger.information, QStringList{QStringLiteral("Процесс создания не был завершен !")});
}

TEST_F(ConverterWizardTest, ClosingDuringARunStopsAndJoinsItWithinTwoSeconds) {
    auto wizard = make(plainSource());
    std::atomic<int> steps{0};
    wizard->SetCreationFactory([&](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
        return endlessWork(&steps);
    });
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    ASSERT_TRUE(waitUntil([&] { return steps.load() > 3; }, 5000));
    EXPECT_TRUE(wizard->CreationRunning());
    QElapsedTimer clock;
    clock.start();
    control<QPushButton>(*wizard, "cancelBtn")->click();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_FALSE(wizard->CreationRunning());
    EXPECT_EQ(wizard->result(), 2);
    EXPECT_EQ(messenger.information, QStringList{QStringLiteral("Процесс создания не был завершен !")});
    const int after = steps.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(steps.load(), after);
    // Destroying the wizard mid-run joins too.
    auto other = make(plainSource());
    other->SetCreationFactory([&](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
        return endlessWork(&steps);
    });
    other->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*other, WizardPage::Creation);
    clock.restart();
    other.reset();
    EXPECT_LT(clock.elapsed(), 2000);
}

// A dictionary that says when it is freed, so a run still using it would be seen.
class WatchedDictionary : public WizardDictionary {
public:
    explicit WatchedDictionary(std::atomic<bool>& alive) : alive_(alive) { alive_ = true; }
    ~WatchedDictionary() override { alive_ = false; }
    bool Loaded() const override { return true; }
    int Count() const override { return 1; }
    QString Load(const QString&, bool, const Percent&) override {
        ++loads;
        return {};
    }
    QString Save(const QString&) override { return {}; }
    void Show(QWidget*, std::function<bool()>) override {}
    std::shared_ptr<LatRusDictionary> Shared() const override { return nullptr; }
    int loads = 0;

private:
    std::atomic<bool>& alive_;
};

TEST_F(ConverterWizardTest, TheDictionaryIsFreedOnlyAfterTheRunIsJoined) {
    std::atomic<bool> alive{false};
    std::atomic<bool> usedAfterFree{false};
    std::atomic<int> steps{0};
    auto wizard = std::make_unique<ConverterWizard>(plainSource(), services, taskBar, true);
    wizard->SetDictionary(std::make_unique<WatchedDictionary>(alive));
    wizard->SetCreationFactory(
        [&](const std::string&, const ConversionOptions&, const WizardRunInputs&) -> ConversionWork {
            return [&](ConversionProgress&, const std::atomic<bool>& stop) {
                // Stands for a run translating names until it notices the stop.
                while (!stop.load()) {
                    if (!alive.load()) usedAfterFree = true;
                    ++steps;
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (!alive.load()) usedAfterFree = true;
                ConversionResult stopped;
                stopped.status = ConversionStatus::Stopped;
                return stopped;
            };
        });
    control<QCheckBox>(*wizard, "translateCheckBox")->click();
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    ASSERT_TRUE(waitUntil([&] { return steps.load() > 3; }, 5000));
    control<QPushButton>(*wizard, "cancelBtn")->click();
    EXPECT_FALSE(alive.load());
    EXPECT_FALSE(usedAfterFree.load());
}

TEST_F(ConverterWizardTest, ABinaryDictionaryReplacesTheLoadedOneOnlyWhenConfirmed) {
    std::atomic<bool> alive{false};
    auto wizard = std::make_unique<ConverterWizard>(plainSource(), services, taskBar, true);
    auto dictionary = std::make_unique<WatchedDictionary>(alive);
    WatchedDictionary* raw = dictionary.get();
    wizard->SetDictionary(std::move(dictionary));
    control<QCheckBox>(*wizard, "translateCheckBox")->click();
    paths.answer = path("words.LNDICT");
    messenger.answer = false;
    wizard->LoadDictionaryBtnClick();
    EXPECT_EQ(raw->loads, 0);
    EXPECT_EQ(messenger.questions.size(), 1);
    messenger.answer = true;
    wizard->LoadDictionaryBtnClick();
    ASSERT_TRUE(waitUntil([&] { return !wizard->DictionaryBusy(); }, 5000));
    EXPECT_EQ(raw->loads, 1);
    EXPECT_EQ(wizard->RunState().CountText(), QStringLiteral("1 записей в словаре"));
    EXPECT_EQ(wizard->RunState().LoadDictionaryCaption(), QStringLiteral("Добавить в словарь"));
    EXPECT_TRUE(wizard->RunState().DictionaryFilled());
    paths.answer = path("more.txt");
    wizard->LoadDictionaryBtnClick();
    ASSERT_TRUE(waitUntil([&] { return !wizard->DictionaryBusy(); }, 5000));
    EXPECT_EQ(raw->loads, 2);
    EXPECT_EQ(messenger.questions.size(), 2);
}

TEST_F(ConverterWizardTest, AThrowingCompletionShowsItsErrorAndReenablesNext) {
    ConverterSource source = plainSource();
    source.hasRegionData = true;
    auto wizard = make(source);
    wizard->SetCompletionFactory([](const CompletionOptions&) -> ConversionWork {
        return [](ConversionProgress&, const std::atomic<bool>&) -> ConversionResult {
            throw EConvertError(Failure(FailureCode::RegionInvalid));
        };
    });
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    ASSERT_TRUE(waitUntil([&] { return wizard->CurrentPage() == WizardPage::Finish; }, 5000));
    wizard->NextBtnClick();
    control<QCheckBox>(*wizard, "regionCheckBox")->click();
    ASSERT_TRUE(wizard->Model().ProcessingEnabled());
    control<QPushButton>(*wizard, "processingButton")->click();
    EXPECT_FALSE(wizard->Model().NextOn());
    ASSERT_TRUE(waitUntil([&] { return wizard->Model().NextOn(); }, 5000));
    EXPECT_EQ(messenger.errors, QStringList{QStringLiteral(
                                    "REGION.KWI исходной карты не содержит правильных данных о регионах")});
    EXPECT_TRUE(control<QPlainTextEdit>(*wizard, "progressMemo")
                    ->toPlainText()
                    .contains(QStringLiteral("REGION.KWI of the source map is not valid region data")));
    EXPECT_FALSE(wizard->Model().ProcessingEnabled());
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->result(), 1);
    EXPECT_TRUE(messenger.information.isEmpty());
}

TEST_F(ConverterWizardTest, TheMapCodePageComesBackUnlessTheNewMapIsOpened) {
    for (const bool open : {true, false}) {
        ConverterSource source = plainSource();
        std::vector<int> pages;
        source.mapCodePage = [] { return 1252; };
        source.setMapCodePage = [&](int page, bool) { pages.push_back(page); };
        auto wizard = std::make_unique<ConverterWizard>(source, services, taskBar, true);
        wizard->SetCreationFactory([](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
            return finishedWork(ConversionStatus::Done);
        });
        control<QCheckBox>(*wizard, "utfToAnsiCheckBox")->click();
        wizard->SetOutputFile(path("out/ALLDATA.KWI"));
        nextTo(*wizard, WizardPage::Creation);
        EXPECT_EQ(pages, std::vector<int>{65001});
        ASSERT_TRUE(waitUntil([&] { return wizard->CurrentPage() == WizardPage::Finish; }, 5000));
        if (open) {
            wizard->NextBtnClick();
            wizard->NextBtnClick();
            EXPECT_EQ(wizard->result(), 1);
            EXPECT_EQ(pages, (std::vector<int>{65001, 1251}));
        } else {
            // Cancel on the finish page puts the map's own code page back.
            control<QPushButton>(*wizard, "cancelBtn")->click();
            EXPECT_EQ(pages, (std::vector<int>{65001, 1252}));
        }
    }
}

// An import that ends at its first poll with one building.
class InstantImporter : public WizardImporter {
public:
    void Start(const QStringList& files, int level, bool append) override {
        started = files;
        cityAreaLevel = level;
        appended = append;
        TellNews();
    }
    bool Busy() const override { return false; }
    void Stop() override {}
    std::optional<QStringList> TakeMemo() override {
        if (memo.isEmpty()) return std::nullopt;
        return std::exchange(memo, {});
    }
    int Percent() const override { return 100; }
    QString TakeError() override { return {}; }
    WizardBuildingData Data() const override {
        WizardBuildingData data;
        data.loaded = !started.isEmpty();
        data.records = std::make_shared<const std::vector<uint8_t>>(dataSize, uint8_t(0));
        return data;
    }
    QString SaveCompiled(const QString&) override { return {}; }
    QStringList started;
    int cityAreaLevel = -1;
    bool appended = false;
    size_t dataSize = 16;
    QStringList memo{QStringLiteral("Файл скомпилирован. ")};
};

TEST_F(ConverterWizardTest, AHouseNumberClassTheMapLacksIsAskedForOnItsOwnPage) {
    ConverterSource source = plainSource();
    source.nameCodes = {0, 1};
    auto wizard = make(source);
    wizard->SetImporter(std::make_unique<InstantImporter>());
    nextTo(*wizard, WizardPage::Loading);
    paths.answers = {path("town.mp")};
    wizard->LoadMpBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->Model().Enabled(WizardControl::AddressSwitch); }, 5000));
    wizard->NextBtnClick();
    control<QCheckBox>(*wizard, "addressCheckBox")->click();
    wizard->NextBtnClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Settings);
    ASSERT_FALSE(messenger.errors.isEmpty());
    EXPECT_EQ(messenger.errors.last(), QStringLiteral("Выберите класс отображения для номеров зданий"));
}

TEST_F(ConverterWizardTest, AnImportEnablesTheBuildingSwitches) {
    auto bare = make(plainSource());
    bare->LoadMpBtnClick();
    EXPECT_TRUE(bare->RunState().ImportMemo().join(QLatin1Char('\n')).contains(QStringLiteral("недоступен")));
    auto wizard = make(plainSource());
    auto importer = std::make_unique<InstantImporter>();
    InstantImporter* raw = importer.get();
    wizard->SetImporter(std::move(importer));
    nextTo(*wizard, WizardPage::Loading);
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::BuildingsSwitch));
    RegWriteString(QStringLiteral("BuildingsOpen"), path("old.mp"));
    paths.answers = {path("town.mp")};
    wizard->LoadMpBtnClick();
    EXPECT_EQ(raw->started, QStringList{path("town.mp")});
    ASSERT_FALSE(paths.calls.empty());
    EXPECT_EQ(paths.calls.back().kind, "files");
    EXPECT_EQ(paths.calls.back().start, path("old.mp"));
    ASSERT_TRUE(waitUntil([&] { return wizard->Model().Enabled(WizardControl::BuildingsSwitch); }, 5000));
    // The choice is remembered once the import has gone through.
    EXPECT_EQ(RegReadString(QStringLiteral("BuildingsOpen")), path("town.mp"));
    EXPECT_TRUE(wizard->Model().Enabled(WizardControl::AddressSwitch));
    EXPECT_TRUE(wizard->RunState().LoadOn());
    EXPECT_TRUE(control<QPlainTextEdit>(*wizard, "addMemo")
                    ->toPlainText()
                    .contains(QStringLiteral("Файл скомпилирован.")));
    control<QCheckBox>(*wizard, "buildingsCheckBox")->click();
    EXPECT_TRUE(wizard->Model().Enabled(WizardControl::BuildingsOptions));
    EXPECT_TRUE(wizard->BuildOptions().buildings);
}

TEST_F(ConverterWizardTest, ChoicesThatImportNothingLeaveTheDataAsItWas) {
    struct Case {
        const char* name;
        QStringList chosen;
        QStringList information;
        bool cityAreaFrozen;
    };
    const QString refusal = QStringLiteral("Предварительно скомпилированные файлы LMP\n"
                                           "можно добавлять только последовательно один за другим!");
    const std::vector<Case> cases = {
        {"cancelled", {}, {}, false},
        {"a compiled file among several", {path("a.mp"), path("b.LMP")}, {refusal}, true},
        {"two compiled files", {path("a.lmp"), path("b.lmp")}, {refusal}, true},
    };
    for (const Case& c : cases) {
        RegWriteString(QStringLiteral("BuildingsOpen"), path("old.mp"));
        messenger.information.clear();
        auto wizard = make(plainSource());
        auto importer = std::make_unique<InstantImporter>();
        InstantImporter* raw = importer.get();
        wizard->SetImporter(std::move(importer));
        nextTo(*wizard, WizardPage::Loading);
        const QString memoBefore = wizard->RunState().ImportMemo().join(QLatin1Char('\n'));
        paths.answers = c.chosen;
        wizard->LoadMpBtnClick();
        EXPECT_TRUE(raw->started.isEmpty()) << c.name;
        EXPECT_EQ(messenger.information, c.information) << c.name;
        EXPECT_EQ(wizard->Model().Enabled(WizardControl::CityAreaLevel), !c.cityAreaFrozen) << c.name;
        EXPECT_TRUE(wizard->RunState().LoadOn()) << c.name;
        EXPECT_TRUE(wizard->Model().NextOn()) << c.name;
        EXPECT_FALSE(wizard->Model().Enabled(WizardControl::BuildingsSwitch)) << c.name;
        EXPECT_EQ(wizard->RunState().ImportMemo().join(QLatin1Char('\n')), memoBefore) << c.name;
        EXPECT_EQ(RegReadString(QStringLiteral("BuildingsOpen")), path("old.mp")) << c.name;
    }
}

TEST_F(ConverterWizardTest, ACompiledFileOverLoadedDataAsksToAppendReplaceOrCancel) {
    auto wizard = make(plainSource());
    auto importer = std::make_unique<InstantImporter>();
    InstantImporter* raw = importer.get();
    wizard->SetImporter(std::move(importer));
    nextTo(*wizard, WizardPage::Loading);
    paths.answers = {path("maps/first town.mp")};
    wizard->LoadMpBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->RunState().LoadOn(); }, 5000));
    // With no data before it, nothing was asked.
    EXPECT_TRUE(messenger.questions.isEmpty());
    const QString question = QStringLiteral("Добавить данные ?|Чтобы добавить данные, нажмите ДА\n"
                                            "Чтобы заменить данные, нажмите НЕТ");
    struct Case {
        bool cancels, yes;
        bool started, appended;
    };
    for (const Case c :
         {Case{true, false, false, false}, Case{false, true, true, true}, Case{false, false, true, false}}) {
        messenger.questions.clear();
        messenger.cancels = c.cancels;
        messenger.answer = c.yes;
        raw->started.clear();
        raw->appended = !c.appended;
        paths.answers = {path("more.lmp")};
        wizard->LoadMpBtnClick();
        EXPECT_EQ(messenger.questions, QStringList{question});
        EXPECT_EQ(!raw->started.isEmpty(), c.started);
        if (c.started) {
            EXPECT_EQ(raw->appended, c.appended);
        }
        ASSERT_TRUE(waitUntil([&] { return wizard->RunState().LoadOn(); }, 5000));
    }
    // "Save as..." proposes the first file of the last import, under the compiled extension.
    wizard->SaveLmpBtnClick();
    ASSERT_FALSE(paths.calls.empty());
    EXPECT_EQ(paths.calls.back().kind, "save");
    EXPECT_EQ(paths.calls.back().start, path("more.lmp"));
}

TEST_F(ConverterWizardTest, NeitherSaveGoesOverAFileTheSourceMapIsReadFrom) {
    auto wizard = make(plainSource());
    wizard->SetImporter(std::make_unique<InstantImporter>());
    wizard->SetDictionary(std::make_unique<EditorWizardDictionary>(messenger));
    std::filesystem::create_symlink(spath("src/ALLDATA.KWI"), spath("out/link.kwi"));
    for (const QString& target : {path("src/ALLDATA.KWI"), path("out/link.kwi")}) {
        paths.answer = target;
        wizard->SaveLmpBtnClick();
        wizard->SaveDictionaryBtnClick();
    }
    EXPECT_EQ(messenger.errors.size(), 4);
    EXPECT_FALSE(wizard->DictionaryBusy());
}

TEST_F(ConverterWizardTest, TheMemoryGaugeShowsTheImportedDataOnceTheImportEnds) {
    auto wizard = make(plainSource());
    auto importer = std::make_unique<InstantImporter>();
    InstantImporter* raw = importer.get();
    raw->dataSize = size_t(3) << 20;
    wizard->SetImporter(std::move(importer));
    nextTo(*wizard, WizardPage::Loading);
    EXPECT_EQ(control<QLabel>(*wizard, "memorySizeLabel")->text(), QStringLiteral("Загружено: 0 Mb"));
    control<QLabel>(*wizard, "memoryAviableLabel")->clear();
    paths.answers = {path("big.mp")};
    wizard->LoadMpBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->RunState().LoadOn(); }, 5000));
    EXPECT_EQ(control<QLabel>(*wizard, "memorySizeLabel")->text(), QStringLiteral("Загружено: 3 Mb"));
    EXPECT_TRUE(control<QLabel>(*wizard, "memoryAviableLabel")
                    ->text()
                    .startsWith(QStringLiteral("Доступно памяти: ")));
}

TEST_F(ConverterWizardTest, ReadsAndWritesItsSettings) {
    RegWriteInteger(QStringLiteral("NewSysIdx"), 1);
    RegWriteInteger(QStringLiteral("Version"), 123);
    RegWriteString(QStringLiteral("NewMapSave"), path("out/alldata1.kwi"));
    auto wizard = make(plainSource());
    EXPECT_EQ(wizard->Model().Choices().target, 1);
    EXPECT_TRUE(control<QLineEdit>(*wizard, "versionStampEdit")->text().endsWith(QStringLiteral(".01.23")));
    EXPECT_EQ(control<QLineEdit>(*wizard, "fileNameEdit")->text(), path("out/ALLDATA.KWI"));
    wizard->ResetVersion();
    EXPECT_EQ(RegReadInteger(QStringLiteral("Version")), 0);
    EXPECT_TRUE(control<QLineEdit>(*wizard, "versionStampEdit")->text().endsWith(QStringLiteral(".00.00")));
    // A stamp typed longer than its header field is held to the field.
    auto* date = control<QLineEdit>(*wizard, "dateStampEdit");
    date->setText(QString(80, u'9'));
    EXPECT_EQ(date->text().size(), 51);
    control<QButtonGroup>(*wizard, "targetRadioGroup")->button(2)->click();
    std::ofstream(spath("out/ALLDATA.KWI")) << "x";
    wizard->reject();
    EXPECT_EQ(RegReadInteger(QStringLiteral("NewSysIdx")), 2);
    EXPECT_EQ(RegReadString(QStringLiteral("NewMapSave")), path("out/ALLDATA.KWI"));
}

TEST_F(ConverterWizardTest, RegionNetworkPageOpensOnlyWithItsCode) {
    ConverterSource source = plainSource();
    source.hasRegionData = true;
    source.regionCount = 3;
    auto wizard = make(source);
    // Cancelling the box changes nothing; a wrong code only enables the inspection.
    wizard->PresentationImageClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::FirstStep);
    EXPECT_FALSE(wizard->RunState().InspectOn());
    texts.answer = QStringLiteral("guess");
    wizard->PresentationImageClick();
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::FirstStep);
    EXPECT_TRUE(wizard->RunState().InspectOn());
    texts.answer = QStringLiteral("qvorpelin");
    wizard->PresentationImageClick();
    EXPECT_EQ(texts.asked, QStringList(3, QStringLiteral("Password|Введите пароль:")));
    // Enter on the first step is Next's, and the picture takes no Tab.
    EXPECT_EQ(control<QPushButton>(*wizard, "presentationImage")->focusPolicy(), Qt::NoFocus);
    auto fresh = make(source);
    fresh->show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(fresh.get(), &enter);
    EXPECT_EQ(fresh->CurrentPage(), WizardPage::Translate);
    EXPECT_EQ(texts.asked.size(), 3);
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::Region);
    EXPECT_TRUE(wizard->Model().CancelOn());
    wizard->InspectRegionBtnClick();
    EXPECT_EQ(control<QListWidget>(*wizard, "regionCheckListBox")->count(), 3);
    EXPECT_FALSE(wizard->RunState().SaveRegionOn());
    control<QListWidget>(*wizard, "regionCheckListBox")->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(wizard->RunState().SaveRegionOn());
    // The source's own folder is refused before anything is written.
    paths.answer = path("src/REGION.KWI");
    wizard->SaveRegionBtnClick();
    EXPECT_EQ(messenger.errors.size(), 1);
    EXPECT_FALSE(std::filesystem::exists(spath("src/REGION.KWI")));
    // A map without region data offers Inspect all the same, which says there is nothing to inspect.
    auto bare = make(plainSource());
    bare->PresentationImageClick();
    EXPECT_TRUE(control<QPushButton>(*bare, "inspectRegionBtn")->isEnabled());
    bare->InspectRegionBtnClick();
    EXPECT_EQ(messenger.information.size(), 1);
}

TEST_F(ConverterWizardTest, NameSwitchesStayOffAsOpenedFromTheMainWindow) {
    auto wizard = make(plainSource());
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::UtfToAnsi));
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::TranslateSwitch));
    auto offered = std::make_unique<ConverterWizard>(plainSource(), services, taskBar, true);
    control<QCheckBox>(*offered, "translateCheckBox")->click();
    EXPECT_TRUE(offered->Model().Enabled(WizardControl::TranslateOptions));
    EXPECT_FALSE(offered->Model().Enabled(WizardControl::UtfToAnsi));
    offered->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*offered, WizardPage::File);
    offered->NextBtnClick();
    EXPECT_EQ(offered->CurrentPage(), WizardPage::File);
    EXPECT_EQ(messenger.errors, QStringList{QStringLiteral("Словарь не загружен !!!")});
}

} // namespace
