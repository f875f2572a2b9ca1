// The wizard's pages as the user sees them: the system text the map carries, the captions after a run,
// the loading page's texts and links, what an import and a dictionary load disable, the import memo's lines.
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>

#include "WizardTestSupport.h"
#include "converter/wizard/MpWizardImporter.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

using wizardtest::control;

using windowtest::waitUntil;

class WizardPagesToTheLetterTest : public wizardtest::WizardTest {};

TEST_F(WizardPagesToTheLetterTest, TheSystemBoxAndTheBackwardCheckReadTheMapsSystemText) {
    // The maker's identification text is the system text; the hardware maker's record says "HW MAKER".
    struct Case {
        const char* systemText;
        int items;
        bool backward;
    };
    for (const Case c : {Case{"AFEU:2.45,AGEU:2.45", 16, true}, Case{"AFEU:4.05", 17, false}}) {
        SCOPED_TRACE(c.systemText);
        fixture::AllDataPlan plan = fixture::smallAllDataPlan(c.systemText);
        plan.headers[31] = fixture::ManagementHeaderPlan{8192, 1, ""};
        const convtest::Folders folders = convtest::makeSource(c.systemText[5] == '2' ? "eu2" : "eu4", plan);
        const ConverterSource source = ReadConverterSource(folders.allData);
        ASSERT_TRUE(source.mapOpen);
        EXPECT_EQ(source.systemIdText, c.systemText);
        ConverterWizard wizard(source, services, taskBar);
        EXPECT_EQ(control<QComboBox>(wizard, "systemIdComboBox")->count(), c.items);
        EXPECT_EQ(control<QComboBox>(wizard, "systemIdComboBox")->currentText(),
                  QString::fromLatin1(c.systemText));
        EXPECT_TRUE(control<QCheckBox>(wizard, "backwardCheckBox")->isEnabled());
        EXPECT_EQ(control<QCheckBox>(wizard, "backwardCheckBox")->isChecked(), c.backward);
    }
}

TEST_F(WizardPagesToTheLetterTest, TheFinishPageLabelsCarryTheirCaptions) {
    auto wizard = make(plainSource());
    wizard->SetCreationFactory([](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
        return [](ConversionProgress&, const std::atomic<bool>&) {
            ConversionResult result;
            result.status = ConversionStatus::Done;
            result.outputSize = 5 * 1024 + 100;
            result.voiceSize = 640;
            result.newCmpList = "out/05.CMP";
            return result;
        };
    });
    wizard->SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(*wizard, WizardPage::Creation);
    ASSERT_TRUE(waitUntil([&] { return wizard->CurrentPage() == WizardPage::Finish; }, 5000));
    EXPECT_EQ(wizard->RunState().TargetText(), QStringLiteral("AISIN-AW (EU cars)"));
    EXPECT_EQ(wizard->RunState().SizeText(), QStringLiteral("Output File Size: 5 kb"));
    EXPECT_TRUE(wizard->RunState().TimeText().startsWith(QStringLiteral("Elapsed time: 0:00:0")))
        << wizard->RunState().TimeText().toStdString();
    EXPECT_EQ(wizard->BuildCompletionOptions().voiceSize, 640)
        << "a new STDVCE.KWI copies what the run found";
    EXPECT_EQ(wizard->BuildCompletionOptions().newCmpList, "out/05.CMP")
        << "a new REGION.KWI is cleared in it";
}

TEST_F(WizardPagesToTheLetterTest, TheLoadingPageOffersTwoMapPagesAndSaysWhatMapsToUse) {
    auto wizard = make(plainSource());
    nextTo(*wizard, WizardPage::Loading);
    QStringList labelTexts;
    for (const QLabel* label :
         control<QStackedWidget>(*wizard, "pageControl")->currentWidget()->findChildren<QLabel*>())
        labelTexts << label->text();
    const QString all = labelTexts.join('\n');
    EXPECT_TRUE(all.contains(QStringLiteral(
        "Вы можете использовать карты в польском формате (***. MP) чтобы добавить контуры зданий.")));
    EXPECT_TRUE(all.contains(QStringLiteral("сообществом")));
    for (QLabel* link : {control<QLabel>(*wizard, "urlLabel1"), control<QLabel>(*wizard, "urlLabel2")}) {
        ASSERT_NE(link, nullptr);
        EXPECT_TRUE(link->isVisibleTo(wizard.get()));
        EXPECT_TRUE(link->text().contains(QStringLiteral("href=")));
        emit link->linkActivated(QStringLiteral("http://maps.example/") + link->objectName());
    }
    EXPECT_EQ(urls.urls.size(), 2);
}

// An import that runs until the test lets it end.
class HeldImporter : public WizardImporter {
public:
    void Start(const QStringList&, int, bool) override { busy = true; }
    bool Busy() const override { return busy; }
    void Stop() override { busy = false; }
    std::optional<QStringList> TakeMemo() override { return std::nullopt; }
    int Percent() const override { return 50; }
    QString TakeError() override { return {}; }
    WizardBuildingData Data() const override {
        WizardBuildingData data;
        data.loaded = true;
        data.records = std::make_shared<const std::vector<uint8_t>>(32, uint8_t(0));
        return data;
    }
    QString SaveCompiled(const QString&) override { return {}; }
    bool busy = false;
};

TEST_F(WizardPagesToTheLetterTest, AnImportDisablesSaveAsWithLoadBackAndNext) {
    auto wizard = make(plainSource());
    auto importer = std::make_unique<HeldImporter>();
    HeldImporter* raw = importer.get();
    wizard->SetImporter(std::move(importer));
    nextTo(*wizard, WizardPage::Loading);
    for (int round = 0; round < 2; ++round) {
        paths.answers = {path("town.mp")};
        wizard->LoadMpBtnClick();
        ASSERT_TRUE(raw->busy);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 control<QPushButton>(*wizard, "loadBtn"), control<QPushButton>(*wizard, "saveLmpBtn"),
                 control<QPushButton>(*wizard, "backBtn"), control<QPushButton>(*wizard, "nextBtn")})
            EXPECT_FALSE(w->isEnabled()) << round;
        raw->busy = false;
        raw->TellNews();
        ASSERT_TRUE(waitUntil([&] { return wizard->RunState().LoadOn(); }, 5000));
        EXPECT_TRUE(wizard->RunState().SaveLmpOn());
    }
}

TEST_F(WizardPagesToTheLetterTest, TheCountryFilterLabelGreysOutWithItsControls) {
    ConverterWizard wizard(plainSource(), services, taskBar, true);
    ASSERT_NE(control<QLabel>(wizard, "translateLevelLabel"), nullptr);
    EXPECT_EQ(control<QLabel>(wizard, "translateLevelLabel")->text(), QStringLiteral("Фильтр стран"));
    EXPECT_FALSE(control<QLabel>(wizard, "translateLevelLabel")->isEnabled());
    for (bool on : {true, false}) {
        control<QCheckBox>(wizard, "translateCheckBox")->click();
        EXPECT_EQ(control<QLabel>(wizard, "translateLevelLabel")->isEnabled(), on);
        EXPECT_EQ(control<QSlider>(wizard, "translateTrackBar")->isEnabled(), on);
    }
    // So do the captions of the other sliders.
    for (const char* name :
         {"sizeFilter50Label", "sizeFilter100Label", "cutLevelLabel", "northLabel", "eastLabel"})
        EXPECT_FALSE(control<QLabel>(wizard, name)->isEnabled()) << name;
    control<QCheckBox>(wizard, "trimCheckBox")->click();
    EXPECT_TRUE(control<QLabel>(wizard, "northLabel")->isEnabled());
}

TEST_F(WizardPagesToTheLetterTest, ADamagedFileGivesOneMemoLinePerLoggedLine) {
    // Unreadable pairs holding a vertical tab, a form feed, group separators and a next-line byte.
    std::ofstream(spath("damaged.mp")) << ("[POLYGON]\nType=0x13\nData0=(55.75\x0b,37.6),(55.7\x0c"
                                           "5,37.6002),(55.75015,37.6002)\n"
                                           "Data0=(55\x1c.75,3\x1d"
                                           "7.6\x1e)\xc2\x85(1,2)\xe2\x80\xa8(3,4)\n[END]\n");
    auto wizard = make(plainSource());
    wizard->SetImporter(std::make_unique<MpWizardImporter>());
    nextTo(*wizard, WizardPage::Loading);
    paths.answers = {path("damaged.mp")};
    wizard->LoadMpBtnClick();
    ASSERT_TRUE(waitUntil([&] { return wizard->RunState().LoadOn(); }, 10000));
    const QStringList lines =
        wizard->RunState().ImportMemo().join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    EXPECT_EQ(control<QPlainTextEdit>(*wizard, "addMemo")->document()->blockCount(), lines.size());
    int errors = 0;
    for (const QString& line : lines) {
        if (line.contains(QStringLiteral("Data0="))) {
            EXPECT_TRUE(line.startsWith(QStringLiteral("ERROR : "))) << line.toStdString();
            ++errors;
        }
        for (const QChar c : line)
            EXPECT_FALSE(c.unicode() < 0x20 && c != QLatin1Char('\t')) << line.toStdString();
    }
    EXPECT_EQ(errors, 2) << wizard->RunState().ImportMemo().join(QLatin1Char('\n')).toStdString();
}

TEST_F(WizardPagesToTheLetterTest, TheTranslationLevelStaysWithinOneToFive) {
    ConverterWizard wizard(plainSource(), services, taskBar, true);
    control<QCheckBox>(wizard, "translateCheckBox")->click();
    struct Case {
        int set, kept;
    };
    for (const Case c : {Case{0, 1}, Case{-3, 1}, Case{1, 1}, Case{5, 5}, Case{9, 5}}) {
        control<QSlider>(wizard, "translateTrackBar")->setValue(c.set);
        EXPECT_EQ(control<QSlider>(wizard, "translateTrackBar")->value(), c.kept) << c.set;
        // "Уровни " + (position + 1) + " - " + (level count - 1), the map having 4 levels.
        EXPECT_EQ(control<QLabel>(wizard, "levelsRangeLabel")->text(),
                  QStringLiteral("Уровни %1 - 3").arg(c.kept + 1));
    }
}

} // namespace
