// The converter wizard as the program puts it together: the import and dictionary adapters, every chosen
// setting in the run's options and inputs, and the main window's converter button over the sample disc.
#include <QDir>
#include <QFile>
#include <QPointer>

#include "WizardTestSupport.h"
#include "app/MapConverterLaunch.h"
#include "converter/import/LmpFile.h"
#include "converter/wizard/ConverterWizardDictionary.h"
#include "converter/wizard/MpWizardImporter.h"
#include "mainwindow/OpenPage.h"
#include "platform/RegistrySettings.h"
#include "support/converter/MpGenerator.h"
#include "tools/sample-disc/SampleDiscFolder.h"
#include "widgets/flat/FlatButton.h"

namespace {

using wizardtest::control;

using mp_import::MemoEvent;
using windowtest::waitUntil;

class WizardWiringTest : public wizardtest::WizardTest {
protected:
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Polls the importer as the wizard's timer does until the import has been taken in.
    QStringList finishImport(WizardImporter& importer) {
        QStringList memo;
        EXPECT_TRUE(waitUntil(
            [&] {
                if (std::optional<QStringList> lines = importer.TakeMemo()) memo = *lines;
                return !importer.Busy();
            },
            10000));
        return memo;
    }
};

const char* kBuilding =
    "[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\n[END]\n";

TEST(WizardMemo, AppliesEveryKindOfLogChange) {
    struct Case {
        const char* name;
        QStringList before;
        MemoEvent event;
        QStringList after;
    };
    const std::vector<Case> cases = {
        {"append", {"a"}, {MemoEvent::Kind::Append, "b", 0}, {"a", "b"}},
        {"replace last", {"a", "b"}, {MemoEvent::Kind::ReplaceLast, "c", 0}, {"a", "c"}},
        {"replace in an empty memo appends", {}, {MemoEvent::Kind::ReplaceLast, "c", 0}, {"c"}},
        {"drop last", {"a", "b", "c"}, {MemoEvent::Kind::DropLast, {}, 2}, {"a"}},
        {"drop more than there is", {"a"}, {MemoEvent::Kind::DropLast, {}, 5}, {}},
        {"clear", {"a", "b"}, {MemoEvent::Kind::Clear, {}, 0}, {}},
    };
    for (const Case& c : cases) {
        QStringList lines = c.before;
        ApplyMemoEvent(lines, c.event);
        EXPECT_EQ(lines, c.after) << c.name;
    }
}

TEST_F(WizardWiringTest, TheImporterCompilesAPolishMapAndSavesItAsCompiledData) {
    writeFile("town.mp", kBuilding);
    MpWizardImporter importer;
    EXPECT_FALSE(importer.Data().loaded);
    importer.Start({path("town.mp")}, 0, false);
    EXPECT_TRUE(importer.Busy());
    const QStringList memo = finishImport(importer);
    EXPECT_TRUE(memo.join('\n').contains(QStringLiteral("Импорт данных из файла town.mp")))
        << memo.join('\n').toStdString();
    EXPECT_TRUE(importer.TakeError().isEmpty());
    const WizardBuildingData data = importer.Data();
    ASSERT_TRUE(data.loaded);
    ASSERT_TRUE(data.records);
    EXPECT_GT(data.records->size(), building_data::kBoxSize);
    EXPECT_LT(data.west, data.east);
    EXPECT_GT(data.north, data.south);

    EXPECT_TRUE(importer.SaveCompiled(path("town.lmp")).isEmpty());
    Failure error;
    const std::optional<std::vector<uint8_t>> saved = building_data::ReadLmp(spath("town.lmp"), error);
    ASSERT_TRUE(saved) << error.English();
    EXPECT_EQ(*saved, *data.records);

    // The buffer a run holds stays as it was while the next import replaces the importer's.
    const std::shared_ptr<const std::vector<uint8_t>> held = data.records;
    const std::vector<uint8_t> copy = *held;
    importer.Start({path("town.lmp")}, 0, true);
    const QStringList appended = finishImport(importer);
    // The append writes over the memo's last line, then adds the size.
    EXPECT_EQ(appended.mid(memo.size() - 1),
              (QStringList{QStringLiteral("Загружена скомпилированная карта town.lmp"), appended.last()}));
    EXPECT_EQ(*held, copy);
    EXPECT_GT(importer.Data().records->size(), copy.size());
}

TEST_F(WizardWiringTest, ARefusedCompiledFileLeavesTheDataAndSaysWhy) {
    writeFile("town.mp", kBuilding);
    writeFile("broken.lmp", QByteArray(23, '\x7f'));
    MpWizardImporter importer;
    importer.Start({path("town.mp")}, 0, false);
    finishImport(importer);
    const std::vector<uint8_t> before = *importer.Data().records;
    importer.Start({path("broken.lmp")}, 0, false);
    finishImport(importer);
    EXPECT_EQ(importer.TakeError(), QStringLiteral("Файл %1 не является скомпилированной картой: запись "
                                                   "неизвестного вида 127")
                                        .arg(path("broken.lmp")));
    EXPECT_TRUE(importer.TakeError().isEmpty());
    EXPECT_EQ(*importer.Data().records, before);
    EXPECT_TRUE(importer.Data().loaded);
}

TEST_F(WizardWiringTest, TheDictionaryLoadsTextWarnsOfTheWrongTypeAndSavesWhatItHolds) {
    windowtest::RecordingMessenger recording;
    EditorWizardDictionary dictionary(recording);
    EXPECT_FALSE(dictionary.Loaded());
    writeFile("words.txt", "Moskva=Москва\r\nLenina=Ленина\r\n");
    writeFile("phrases.txt", "Krasnaya ploshchad=Красная площадь\r\n");
    // Words chosen and loaded: no message for a first load.
    EXPECT_TRUE(dictionary.Load(path("words.txt"), true).isEmpty());
    EXPECT_EQ(dictionary.Count(), 2);
    EXPECT_TRUE(dictionary.Loaded());
    // A key with a space under "words" is the wrong type.
    EXPECT_EQ(dictionary.Load(path("phrases.txt"), true), QString::fromUtf8(kDictionaryTypeMismatch));
    EXPECT_EQ(dictionary.Count(), 3);
    writeFile("more.txt", "Tverskaya ulitsa=Тверская улица\r\nArbat=Арбат\r\n");
    EXPECT_EQ(dictionary.Load(path("more.txt"), false), QStringLiteral("New 2 records added."));
    EXPECT_FALSE(dictionary.Load(path("missing.txt"), false).isEmpty());
    EXPECT_EQ(dictionary.Count(), 5);
    // The run borrows the very dictionary the wizard shows.
    EXPECT_EQ(dictionary.Shared()->Count(), 5);

    EXPECT_TRUE(dictionary.Save(path("saved.txt")).isEmpty());
    EditorWizardDictionary reloaded(recording);
    reloaded.Load(path("saved.txt"), false);
    EXPECT_EQ(reloaded.Count(), 5);
    EXPECT_FALSE(dictionary.Save(path("no/such/folder/saved.txt")).isEmpty());
}

TEST_F(WizardWiringTest, EveryHouseNumberCodePageOfferedIsOneARunAccepts) {
    auto wizard = make(plainSource());
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    ASSERT_EQ(control<QComboBox>(*wizard, "codePageComboBox")->count(), 5);
    for (int i = 0; i < control<QComboBox>(*wizard, "codePageComboBox")->count(); ++i) {
        control<QComboBox>(*wizard, "codePageComboBox")->setCurrentIndex(i);
        const ConversionOptions options = wizard->BuildOptions();
        EXPECT_FALSE(bool(options.Validate()))
            << control<QComboBox>(*wizard, "codePageComboBox")->itemText(i).toStdString() << ": "
            << options.Validate().English();
    }
}

TEST_F(WizardWiringTest, TheRunGetsEverySettingThePagesCollect) {
    ConverterSource source = plainSource();
    source.areas = {{40, "DEU", "Germany"}, {43, "RUS", "Russia"}};
    auto wizard = make(source);
    control<QButtonGroup>(*wizard, "addRadioGroup")->button(1)->click();
    control<QCheckBox>(*wizard, "strictRulesCheckBox")->setChecked(false);
    control<QCheckBox>(*wizard, "includeLettersCheckBox")->setChecked(false);
    control<QSlider>(*wizard, "sizeFilter50TrackBar")->setValue(30);
    control<QSlider>(*wizard, "sizeFilter100TrackBar")->setValue(120);
    control<QCheckBox>(*wizard, "trimCheckBox")->setChecked(true);
    control<QButtonGroup>(*wizard, "trimRadioGroup")->button(1)->click();
    control<QSlider>(*wizard, "trimLevelTrackBar")->setValue(4);
    control<QSlider>(*wizard, "northTrackBar")->setValue(190000);
    control<QSlider>(*wizard, "westTrackBar")->setValue(60000);
    control<QCheckBox>(*wizard, "addSeasCheckBox")->setChecked(true);
    control<QCheckBox>(*wizard, "addAdjacentCheckBox")->setChecked(true);
    const ConversionOptions o = wizard->BuildOptions();
    EXPECT_TRUE(o.replaceOldData);
    EXPECT_FALSE(o.strictRules);
    EXPECT_FALSE(o.includeLetters);
    EXPECT_EQ(o.cityAreaClass, uint8_t(wizard->Model().Defaults().secondBackgroundClass));
    EXPECT_EQ(o.arrowNameClass, uint8_t(wizard->Model().Defaults().extraNameClass));
    EXPECT_EQ(o.buildingFilterSmallest, 30);
    EXPECT_EQ(o.buildingFilterDetailed, 120);
    EXPECT_TRUE(o.trim);
    EXPECT_EQ(o.trimMode, 1);
    EXPECT_EQ(o.trimLevel, 4);
    EXPECT_EQ(o.trimNorth, wizard->Model().Choices().edges.north);
    EXPECT_EQ(o.trimWest, wizard->Model().Choices().edges.west);
    EXPECT_EQ(o.trimSouth, wizard->Model().Choices().edges.south);
    EXPECT_EQ(o.trimEast, wizard->Model().Choices().edges.east);
    EXPECT_TRUE(o.addSeaParcels);
    EXPECT_TRUE(o.addAdjacentParcels);
    // Without a dictionary nothing of the translation reaches the run.
    EXPECT_FALSE(o.translate);
    EXPECT_EQ(o.dictionaryAreaCode, -1);
}

TEST_F(WizardWiringTest, TheTranslationSettingsAndTheDictionaryReachTheRun) {
    ConverterSource source = plainSource();
    source.areas = {{40, "DEU", "Germany"}, {43, "RUS", "Russia"}};
    ConverterWizard wizard(source, services, taskBar, true);
    auto dictionary = std::make_unique<EditorWizardDictionary>(messenger);
    writeFile("words.txt", "Moskva=Москва\r\n");
    dictionary->Load(path("words.txt"), true);
    const std::shared_ptr<LatRusDictionary> lent = dictionary->Shared();
    wizard.SetDictionary(std::move(dictionary));
    std::shared_ptr<LatRusDictionary> received;
    bool buildingsReceived = true;
    wizard.SetCreationFactory(
        [&](const std::string&, const ConversionOptions&, const WizardRunInputs& inputs) {
            received = inputs.dictionary;
            buildingsReceived = bool(inputs.buildings);
            return wizardtest::finishedWork(ConversionStatus::Done);
        });
    control<QCheckBox>(wizard, "translateCheckBox")->click();
    control<QButtonGroup>(wizard, "dictionaryTypeRadioGroup")->button(0)->click();
    control<QCheckBox>(wizard, "excludeFwyCheckBox")->setChecked(true);
    control<QCheckBox>(wizard, "excludeYoCheckBox")->setChecked(true);
    control<QCheckBox>(wizard, "ukrICheckBox")->setChecked(true);
    control<QSlider>(wizard, "translateTrackBar")->setValue(4);
    wizard.SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(wizard, WizardPage::Creation);
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Creation);
    const ConversionOptions& o = wizard.RunSettings();
    EXPECT_TRUE(o.translate);
    EXPECT_TRUE(o.translateByWords);
    EXPECT_TRUE(o.excludeFreeways);
    EXPECT_TRUE(o.foldYo);
    EXPECT_TRUE(o.foldUkrainian);
    EXPECT_EQ(o.translationLevel, 4);
    EXPECT_EQ(o.dictionaryAreaCode, 43);
    EXPECT_EQ(received, lent);
    EXPECT_FALSE(buildingsReceived);
    wizard.reject();
}

TEST_F(WizardWiringTest, TheImportedBuildingsReachTheRun) {
    writeFile("town.mp", kBuilding);
    auto wizard = make(plainSource());
    wizard->SetImporter(std::make_unique<MpWizardImporter>());
    std::shared_ptr<const std::vector<uint8_t>> received;
    ConversionOptions given;
    wizard->SetCreationFactory(
        [&](const std::string&, const ConversionOptions& options, const WizardRunInputs& inputs) {
            received = inputs.buildings;
            given = options;
            return wizardtest::finishedWork(ConversionStatus::Done);
        });
    nextTo(*wizard, WizardPage::Loading);
    paths.answers = {path("town.mp")};
    wizard->LoadMpBtnClick();
    EXPECT_FALSE(wizard->Model().NextOn());
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::CityAreaLevel));
    ASSERT_TRUE(waitUntil([&] { return wizard->Model().Enabled(WizardControl::BuildingsSwitch); }, 10000));
    EXPECT_TRUE(wizard->Model().NextOn());
    EXPECT_TRUE(wizard->RunState().ImportMemo().join(QLatin1Char('\n')).contains(QStringLiteral("town.mp")));
    control<QCheckBox>(*wizard, "buildingsCheckBox")->click();
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    ASSERT_TRUE(received);
    EXPECT_GT(received->size(), building_data::kBoxSize);
    EXPECT_TRUE(given.buildings);
    wizard->reject();
}

TEST_F(WizardWiringTest, SeveralPolishMapsChosenAtOnceAddUpInOneImport) {
    mpgen::Plan north;
    north.seed = 7;
    north.objects = 40;
    mpgen::Plan south = north;
    south.seed = 8;
    south.objects = 25;
    south.originY = 54 * 3200;
    const mpgen::Expected first = mpgen::GenerateFile(north, spath("north.mp"));
    const mpgen::Expected second = mpgen::GenerateFile(south, spath("south.MP"));
    writeFile("notes.txt", kBuilding);
    // Offered name conversion, so that the import is seen to switch it off.
    auto wizard = std::make_unique<ConverterWizard>(plainSource(), services, taskBar, true);
    auto importer = std::make_unique<MpWizardImporter>();
    MpWizardImporter* raw = importer.get();
    wizard->SetImporter(std::move(importer));
    nextTo(*wizard, WizardPage::Loading);
    ASSERT_TRUE(wizard->Model().Enabled(WizardControl::UtfToAnsi));
    paths.answers = {path("north.mp"), path("notes.txt"), path("south.MP")};
    wizard->LoadMpBtnClick();
    EXPECT_EQ(taskBar.ProgressState(), TaskBarProgressStyle::Indeterminate);
    ASSERT_TRUE(waitUntil([&] { return wizard->RunState().LoadOn(); }, 20000));
    EXPECT_EQ(taskBar.ProgressState(), TaskBarProgressStyle::None);

    const QString memo = wizard->RunState().ImportMemo().join(QLatin1Char('\n'));
    const auto found = [](const mpgen::Expected& e) {
        return QStringLiteral("Найдено на карте: городов %1, зданий %2, c нумерацией %3")
            .arg(e.cities)
            .arg(e.buildings)
            .arg(e.numbers);
    };
    EXPECT_TRUE(memo.contains(found(first))) << memo.toStdString();
    EXPECT_TRUE(memo.contains(found(second))) << memo.toStdString();
    EXPECT_LT(memo.indexOf(QStringLiteral("north.mp")), memo.indexOf(QStringLiteral("south.MP")));
    EXPECT_FALSE(memo.contains(QStringLiteral("notes.txt")));
    EXPECT_EQ(memo.count(QStringLiteral("Вы можете одновременно добавить ещё несколько файлов с картами.")),
              1);

    // The second map's records follow the first's, and the box covers both.
    const std::vector<uint8_t>& data = *raw->Data().records;
    std::vector<uint8_t> records(first.data.begin() + building_data::kBoxSize, first.data.end());
    records.insert(records.end(), second.data.begin() + building_data::kBoxSize, second.data.end());
    ASSERT_EQ(data.size(), building_data::kBoxSize + records.size());
    EXPECT_TRUE(std::equal(records.begin(), records.end(), data.begin() + building_data::kBoxSize));
    building_data::Box box = building_data::ReadBox(first.data);
    box.Widen(building_data::ReadBox(second.data));
    EXPECT_EQ(building_data::ReadBox(data), box);
    EXPECT_TRUE(wizard->Model().Enabled(WizardControl::BuildingsSwitch));
    EXPECT_TRUE(wizard->RunState().SaveLmpOn());
    // Imported buildings rule out the name conversion of the same run.
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::UtfToAnsi));
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::TranslateSwitch));
    EXPECT_EQ(RegReadString(QStringLiteral("BuildingsOpen")), path("north.mp"));
    EXPECT_TRUE(messenger.errors.isEmpty());
}

TEST_F(WizardWiringTest, TheMainWindowsConverterButtonOpensTheWizardOverTheOpenDisc) {
    MainWindow window{services};
    EXPECT_FALSE(window.Opening().Page()->wizardBtn->isEnabled());
    window.SetMapConverter(MakeMapConverterHook(window, services));
    ASSERT_TRUE(
        window.Opening().Open(OpenTabController::Source::Folder, QString::fromStdString(sampleDiscFolder())));
    ASSERT_TRUE(waitUntil([&] { return window.Data().map != nullptr; }, 10000));
    ASSERT_TRUE(window.Opening().Page()->wizardBtn->isEnabled());
    window.Opening().Page()->wizardBtn->click();
    auto* wizard = window.findChild<ConverterWizard*>();
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->CurrentPage(), WizardPage::FirstStep);
    // As opened from the main window the name switches stay off.
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::UtfToAnsi));
    EXPECT_FALSE(wizard->Model().Enabled(WizardControl::TranslateSwitch));
    const QPointer<ConverterWizard> watched = wizard;
    control<QPushButton>(*wizard, "cancelBtn")->click();
    EXPECT_TRUE(watched.isNull() || !watched->isVisible());
    EXPECT_EQ(watched ? watched->result() : 2, 2);
}

} // namespace
