// The sample disc converted through the wizard offscreen: the new map is byte for byte the one the
// headless conversion job writes with the options the wizard gave its run, also with the sample town's
// buildings imported, and then its "Log.txt" is the import log followed by the headless run's.
#include <QFile>

#include "WizardTestSupport.h"
#include "converter/import/LmpFile.h"
#include "converter/job/ConversionJob.h"
#include "converter/wizard/MpWizardImporter.h"
#include "sample-disc/TownPolishMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

using wizardtest::control;

using windowtest::waitUntil;

class WizardSampleDiscTest : public wizardtest::WizardTest {};

TEST_F(WizardSampleDiscTest, WritesTheSameMapAsTheHeadlessJob) {
    const ConverterSource source = ReadConverterSource(sampleDiscFile("ALLDATA.KWI"));
    ASSERT_TRUE(source.mapOpen);
    EXPECT_GT(source.levelCount, 0);
    EXPECT_FALSE(source.backgroundCodes.empty());
    // The disc's REGION.KWI lists its level-1 regions on the Region Network page.
    EXPECT_TRUE(source.hasRegionData);
    EXPECT_GT(source.regionCount, 0);
    EXPECT_FALSE(source.error) << source.error;
    // A map that cannot be opened says why.
    EXPECT_TRUE(ReadConverterSource(sampleDiscFile("NONE.KWI")).error);
    ConverterWizard wizard(source, services, taskBar);
    // Its voice header names the VOICEDAT.KWI beside it: DENSO may insert it, the completion copy it.
    control<QButtonGroup>(wizard, "targetRadioGroup")->button(1)->click();
    EXPECT_TRUE(control<QCheckBox>(wizard, "insertVoiceDataCheckBox")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>(wizard, "voiceCheckBox")->isEnabled());
    control<QButtonGroup>(wizard, "targetRadioGroup")->button(0)->click();
    wizard.SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(wizard, WizardPage::File);
    ASSERT_TRUE(wizard.Model().NextOn());
    wizard.NextBtnClick();
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Creation);
    ASSERT_TRUE(
        waitUntil([&] { return !wizard.CreationRunning() && wizard.LastReturnValue() != 0; }, 60000) ||
        wizard.CurrentPage() == WizardPage::Finish)
        << wizard.RunState().RunLog().join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Finish)
        << wizard.RunState().RunLog().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(control<QPlainTextEdit>(wizard, "finishMemo")
                    ->toPlainText()
                    .contains(QStringLiteral("Creating New Map started...")));
    EXPECT_EQ(taskBar.ProgressState(), TaskBarProgressStyle::None);
    EXPECT_FALSE(backend.calls.empty());

    ConversionOptions options = wizard.BuildOptions();
    std::filesystem::create_directories(spath("headless"));
    options.outputPath = spath("headless/ALLDATA.KWI");
    ConversionJob job(std::make_unique<ConversionRun>(source.allDataPath, options));
    job.Start();
    ASSERT_EQ(job.Result().status, ConversionStatus::Done);
    const std::vector<uint8_t> viaWizard = convtest::readFile(spath("out/ALLDATA.KWI"));
    ASSERT_FALSE(viaWizard.empty());
    EXPECT_TRUE(viaWizard == convtest::readFile(spath("headless/ALLDATA.KWI")));

    // The completion writes a new REGION.KWI beside the new map, on its own thread.
    wizard.NextBtnClick();
    ASSERT_TRUE(wizard.Model().Enabled(WizardControl::NewRegion));
    control<QCheckBox>(wizard, "regionCheckBox")->click();
    control<QCheckBox>(wizard, "voiceCheckBox")->click();
    control<QPushButton>(wizard, "processingButton")->click();
    ASSERT_TRUE(waitUntil([&] { return wizard.Model().NextOn(); }, 60000));
    EXPECT_TRUE(messenger.errors.isEmpty()) << messenger.errors.join("; ").toStdString();
    // The voice data lies beside the map, not in ALLDATA.KWI: there is nothing to copy, and the user hears
    // so.
    EXPECT_EQ(messenger.information,
              QStringList{QStringLiteral("STDVCE.KWI не создан: в ALLDATA.KWI исходной карты "
                                         "нет голосовых данных: они лежат рядом с картой, в "
                                         "VOICEDAT.KWI")});
    EXPECT_TRUE(std::filesystem::exists(spath("out/REGION.KWI")));
    // Where the new map belongs is said on the page.
    EXPECT_TRUE(control<QLabel>(wizard, "reportLabel")->text().contains(QStringLiteral("INDEXDAT.KWI")));
    wizard.NextBtnClick();
    EXPECT_EQ(wizard.result(), 1);
    EXPECT_EQ(wizard.OutputPath(), path("out/ALLDATA.KWI"));
}

QStringList logLines(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    // The time a run took is the one line two runs may differ in.
    lines.removeIf([](const QString& line) { return line.startsWith(QStringLiteral("Elapsed time: ")); });
    return lines;
}

TEST_F(WizardSampleDiscTest, WithTheTownImportedTheMapEqualsTheHeadlessOneAndTheLogStartsWithTheImport) {
    const ConverterSource source = ReadConverterSource(sampleDiscFile("ALLDATA.KWI"));
    ASSERT_TRUE(source.mapOpen);
    QString error;
    ASSERT_TRUE(writeTownPolishMap(path("town.mp"), error)) << error.toStdString();
    ConverterWizard wizard(source, services, taskBar);
    wizard.SetImporter(std::make_unique<MpWizardImporter>());
    nextTo(wizard, WizardPage::Loading);
    paths.answers = {path("town.mp")};
    wizard.LoadMpBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard.RunState().LoadOn(); }, 30000));
    ASSERT_TRUE(wizard.Model().Enabled(WizardControl::BuildingsSwitch))
        << wizard.RunState().ImportMemo().join(QLatin1Char('\n')).toStdString();
    const QStringList importLog =
        wizard.RunState().ImportMemo().join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    EXPECT_TRUE(importLog.join('\n').contains(QStringLiteral("Импорт данных из файла town.mp")));
    control<QCheckBox>(wizard, "buildingsCheckBox")->click();
    control<QCheckBox>(wizard, "addressCheckBox")->click();
    // The town's top level has no class 9 for house numbers: they take the last name class.
    ASSERT_GT(control<QComboBox>(wizard, "numberingDcComboBox")->count(), 0);
    if (wizard.Model().Choices().numberingClass < 0)
        control<QComboBox>(wizard, "numberingDcComboBox")
            ->setCurrentIndex(control<QComboBox>(wizard, "numberingDcComboBox")->count() - 1);
    wizard.SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(wizard, WizardPage::File);
    ASSERT_TRUE(wizard.Model().NextOn());
    wizard.NextBtnClick();
    // The run has ended once the window has taken its end and stopped polling.
    ASSERT_TRUE(waitUntil(
        [&] { return !wizard.CreationRunning() && !control<QTimer>(wizard, "elapsedClock")->isActive(); },
        60000));
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Finish)
        << wizard.RunState().RunLog().join(QLatin1Char('\n')).toStdString()
        << messenger.errors.join("; ").toStdString();
    // The run's memo holds the run's lines only.
    EXPECT_TRUE(control<QPlainTextEdit>(wizard, "progressMemo")
                    ->toPlainText()
                    .startsWith(QStringLiteral("Creating New Map started...")))
        << wizard.RunState().RunLog().join(QLatin1Char('\n')).toStdString();

    // The headless run gets the same options and the compiled buildings the wizard can save.
    paths.answer = path("town.lmp");
    wizard.SaveLmpBtnClick();
    Failure why;
    const std::optional<std::vector<uint8_t>> buildings = building_data::ReadLmp(spath("town.lmp"), why);
    ASSERT_TRUE(buildings) << why.English();
    ConversionOptions options = wizard.RunSettings();
    EXPECT_TRUE(options.buildings);
    EXPECT_TRUE(options.address);
    std::filesystem::create_directories(spath("headless"));
    options.outputPath = spath("headless/ALLDATA.KWI");
    auto run = std::make_unique<ConversionRun>(source.allDataPath, options);
    run->SetBuildingData(std::make_shared<const std::vector<uint8_t>>(*buildings));
    ConversionJob job(std::move(run));
    job.Start();
    ASSERT_EQ(job.Result().status, ConversionStatus::Done);
    const std::vector<uint8_t> viaWizard = convtest::readFile(spath("out/ALLDATA.KWI"));
    ASSERT_FALSE(viaWizard.empty());
    EXPECT_TRUE(viaWizard == convtest::readFile(spath("headless/ALLDATA.KWI")));
    const QStringList headlessLog = logLines(spath("headless/Log.txt"));
    ASSERT_FALSE(headlessLog.isEmpty());
    EXPECT_TRUE(headlessLog.join('\n').contains(QStringLiteral("Buildings Display Class : ")));
    EXPECT_EQ(logLines(spath("out/Log.txt")), importLog + headlessLog);
}

TEST_F(WizardSampleDiscTest, SavesAnAlternativeRegionFileOfTheCheckedRegions) {
    const ConverterSource source = ReadConverterSource(sampleDiscFile("ALLDATA.KWI"));
    ConverterWizard wizard(source, services, taskBar);
    texts.answer = QStringLiteral("qvorpelin");
    wizard.PresentationImageClick();
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Region);
    wizard.InspectRegionBtnClick();
    ASSERT_EQ(control<QListWidget>(wizard, "regionCheckListBox")->count(), source.regionCount);
    control<QListWidget>(wizard, "regionCheckListBox")->item(0)->setCheckState(Qt::Checked);
    paths.answer = path("out/REGION.KWI");
    wizard.SaveRegionBtnClick();
    EXPECT_TRUE(messenger.errors.isEmpty()) << messenger.errors.join("; ").toStdString();
    const auto size = std::filesystem::file_size(spath("out/REGION.KWI"));
    EXPECT_GT(size, 0u);
    EXPECT_EQ(size % 32, 0u);
    EXPECT_FALSE(wizard.RunState().SaveRegionOn());
}

} // namespace
