// One smoke test per page: a change made through the page's widgets reaches the wizard's model, and the
// window then shows the model's options and enabled states and nothing of its own.
#include <QSlider>
#include <QStackedWidget>

#include "WizardTestSupport.h"

namespace {

using wizardtest::control;

using C = WizardControl;
using windowtest::waitUntil;

class WizardFollowsModelTest : public wizardtest::WizardTest {
protected:
    ConverterSource source() const {
        ConverterSource s = plainSource();
        s.areas = {{40, "DEU", "Germany"}, {43, "RUS", "Russia"}};
        return s;
    }
    // Every option widget against the model.
    static void expectShowsModel(const ConverterWizard& w) {
        const WizardModel& m = w.Model();
        const WizardChoices& c = m.Choices();
        const auto box = [](const QAbstractButton* b, bool checked, bool enabled, const char* name) {
            EXPECT_EQ(b->isChecked(), checked) << name;
            EXPECT_EQ(b->isEnabled(), enabled) << name;
        };
        EXPECT_EQ(control<QButtonGroup>(w, "targetRadioGroup")->checkedId(), c.target);
        box(control<QCheckBox>(w, "backwardCheckBox"), c.backward, m.Enabled(C::Backward), "backward");
        EXPECT_EQ(control<QComboBox>(w, "systemIdComboBox")->currentIndex(), c.systemIdIndex);
        EXPECT_EQ(control<QComboBox>(w, "systemIdComboBox")->isEnabled(), m.Enabled(C::SystemIdList));
        box(control<QCheckBox>(w, "insertRegionDataCheckBox"), c.insertRegion, m.Enabled(C::InsertRegion),
            "region");
        box(control<QCheckBox>(w, "utfToAnsiCheckBox"), c.utfToAnsi, m.Enabled(C::UtfToAnsi), "utf");
        box(control<QCheckBox>(w, "translateCheckBox"), c.translate, m.Enabled(C::TranslateSwitch),
            "translate");
        EXPECT_EQ(control<QSlider>(w, "translateTrackBar")->value(), c.translationLevel);
        EXPECT_EQ(control<QSlider>(w, "translateTrackBar")->isEnabled(), m.Enabled(C::TranslateOptions));
        EXPECT_EQ(control<QComboBox>(w, "cityAreaComboBox")->currentIndex(), c.cityAreaLevel);
        box(control<QCheckBox>(w, "buildingsCheckBox"), c.buildings, m.Enabled(C::BuildingsSwitch),
            "buildings");
        box(control<QCheckBox>(w, "addressCheckBox"), c.address, m.Enabled(C::AddressSwitch), "address");
        box(control<QCheckBox>(w, "addExtraLevelCheckBox"), c.extraLevel, m.Enabled(C::ExtraLevel),
            "extra level");
        box(control<QCheckBox>(w, "arrowsCheckBox"), c.arrows, m.Enabled(C::Arrows), "arrows");
        EXPECT_EQ(control<QSlider>(w, "sizeFilter50TrackBar")->value(), c.filter50);
        EXPECT_EQ(control<QSlider>(w, "sizeFilter100TrackBar")->value(), c.filter100);
        EXPECT_EQ(control<QLineEdit>(w, "buildingsTypeCodeEdit")->text(), TypeCodeText(c.buildingsTypeCode));
        EXPECT_EQ(control<QPushButton>(w, "defaultBtn")->isEnabled(), m.Enabled(C::DefaultButton));
        // The group boxes' titles grey with their controls.
        EXPECT_EQ(control<QSlider>(w, "sizeFilter50TrackBar")->parentWidget()->isEnabled(),
                  m.Enabled(C::BuildingsOptions));
        EXPECT_EQ(control<QCheckBox>(w, "includeLettersCheckBox")->parentWidget()->isEnabled(),
                  m.Enabled(C::AddressOptions));
        EXPECT_EQ(control<QCheckBox>(w, "arrowsCheckBox")->parentWidget()->isEnabled(),
                  m.Enabled(C::ExtraLevel) || m.Enabled(C::Arrows));
        box(control<QCheckBox>(w, "trimCheckBox"), c.trim, true, "trim");
        EXPECT_EQ(control<QButtonGroup>(w, "trimRadioGroup")->checkedId(), c.trimMode);
        EXPECT_EQ(control<QSlider>(w, "northTrackBar")->value(), c.edges.north);
        EXPECT_EQ(control<QSlider>(w, "southTrackBar")->value(), c.edges.south);
        EXPECT_EQ(control<QSlider>(w, "northTrackBar")->isEnabled(), m.Enabled(C::TrimEdges));
        EXPECT_EQ(control<QListWidget>(w, "areasCheckListBox")->isEnabled(), m.Enabled(C::TrimAreas));
        for (int i = 0; i < control<QListWidget>(w, "areasCheckListBox")->count(); ++i)
            EXPECT_EQ(control<QListWidget>(w, "areasCheckListBox")->item(i)->checkState() == Qt::Checked,
                      bool(c.areas[size_t(i)]))
                << i;
        EXPECT_EQ(control<QSlider>(w, "trimLevelTrackBar")->value(), c.trimLevel);
        EXPECT_EQ(control<QLineEdit>(w, "fileNameEdit")->text(), c.outputPath);
        EXPECT_EQ(control<QLineEdit>(w, "northEdit")->text(), m.EdgeText(TrimEdge::North));
        EXPECT_EQ(control<QLineEdit>(w, "eastEdit")->text(), m.EdgeText(TrimEdge::East));
        EXPECT_EQ(control<QLabel>(w, "sizeFilter50Label")->text(), m.SizeFilterText(true));
        EXPECT_EQ(control<QLabel>(w, "sizeFilter100Label")->text(), m.SizeFilterText(false));
        EXPECT_EQ(control<QLabel>(w, "ansiLabel")->text(), m.EncodingText());
        EXPECT_EQ(control<QComboBox>(w, "buildingsDcComboBox")->count(), m.ClassItems(true).size());
        EXPECT_EQ(control<QPushButton>(w, "backBtn")->isEnabled(), m.BackOn());
        EXPECT_EQ(control<QPushButton>(w, "nextBtn")->isEnabled(), m.NextOn());
        EXPECT_EQ(control<QPushButton>(w, "cancelBtn")->isEnabled(), m.CancelOn());
        EXPECT_EQ(control<QPushButton>(w, "processingButton")->isEnabled(), m.ProcessingEnabled());
        EXPECT_EQ(control<QLabel>(w, "readOnlyLabel")->isVisibleTo(&w),
                  m.ReadOnlyWarning() && m.Page() == WizardPage::File);
    }
    // The run state's log, texts, bars and tool buttons as the window shows them.
    static void expectShowsRunState(const ConverterWizard& w) {
        const WizardRunState& r = w.RunState();
        EXPECT_EQ(control<QPlainTextEdit>(w, "progressMemo")->toPlainText(),
                  r.RunLog().join(QLatin1Char('\n')));
        EXPECT_EQ(control<QPlainTextEdit>(w, "addMemo")->toPlainText(),
                  r.ImportMemo().join(QLatin1Char('\n')));
        EXPECT_EQ(control<QLabel>(w, "progressLabel")->text(), r.ProgressLabel());
        EXPECT_EQ(control<QLabel>(w, "timeStaticText")->text(), r.ElapsedText());
        EXPECT_EQ(control<QProgressBar>(w, "progressBar1")->value(), r.Percent());
        EXPECT_EQ(!control<QProgressBar>(w, "progressBar1")->isHidden(), r.ProgressShown());
        EXPECT_EQ(control<QProgressBar>(w, "progressBar2")->value(), r.RunPercent());
        EXPECT_EQ(control<QLabel>(w, "targetLabel")->text(), r.TargetText());
        EXPECT_EQ(control<QLabel>(w, "fileSizeLabel")->text(), r.SizeText());
        EXPECT_EQ(control<QLabel>(w, "timeLabel")->text(), r.TimeText());
        EXPECT_EQ(control<QPushButton>(w, "loadBtn")->isEnabled(), r.LoadOn());
        EXPECT_EQ(control<QPushButton>(w, "saveLmpBtn")->isEnabled(), r.SaveLmpOn());
        EXPECT_EQ(control<QLabel>(w, "dictionaryCountLabel")->text(), r.CountText());
        EXPECT_EQ(control<QPushButton>(w, "loadDictionaryBtn")->text(), r.LoadDictionaryCaption());
        EXPECT_EQ(control<QGroupBox>(w, "completeGroupBox")->isEnabled(), r.CompletionGroupOn());
        EXPECT_EQ(control<QPushButton>(w, "inspectRegionBtn")->isEnabled(), r.InspectOn());
        EXPECT_EQ(control<QPushButton>(w, "saveRegionBtn")->isEnabled(), r.SaveRegionOn());
    }
};

TEST_F(WizardFollowsModelTest, EachPageFollowsTheModel) {
    ConverterWizard w(source(), services, taskBar, true);
    w.SetCreationFactory([](const std::string&, const ConversionOptions&, const WizardRunInputs&) {
        return wizardtest::finishedWork(ConversionStatus::Done);
    });
    struct Page {
        WizardPage page;
        std::function<void()> act;
        std::function<bool()> reached;
    };
    const Page pages[] = {
        {WizardPage::FirstStep, [&] { control<QButtonGroup>(w, "targetRadioGroup")->button(1)->click(); },
         [&] { return w.Model().Choices().target == 1 && w.Model().Choices().buildingsTypeCode == 0x7018; }},
        {WizardPage::Translate,
         [&] {
             control<QCheckBox>(w, "translateCheckBox")->click();
             control<QSlider>(w, "translateTrackBar")->setValue(5);
         },
         [&] { return w.Model().Choices().translate && w.Model().Choices().translationLevel == 5; }},
        {WizardPage::Loading, [&] { control<QComboBox>(w, "cityAreaComboBox")->setCurrentIndex(2); },
         [&] { return w.Model().Choices().cityAreaLevel == 2; }},
        {WizardPage::Settings,
         [&] {
             control<QCheckBox>(w, "translateCheckBox")->click();
             control<QSlider>(w, "sizeFilter100TrackBar")->setValue(20);
         },
         [&] { return w.Model().Choices().filter100 == 40 && w.Model().Choices().filter50 == 40; }},
        {WizardPage::CutMap,
         [&] {
             control<QCheckBox>(w, "trimCheckBox")->click();
             control<QButtonGroup>(w, "trimRadioGroup")->button(2)->click();
             control<QListWidget>(w, "areasCheckListBox")->item(1)->setCheckState(Qt::Checked);
         },
         [&] { return w.Model().Choices().trimMode == 2 && !w.Model().Choices().areas[0]; }},
        {WizardPage::File, [&] { w.SetOutputFile(path("out/ALLDATA.KWI")); },
         [&] {
             return w.Model().Choices().outputPath == path("out/ALLDATA.KWI") &&
                    control<QPushButton>(w, "nextBtn")->isEnabled();
         }},
    };
    for (const Page& p : pages) {
        SCOPED_TRACE(int(p.page));
        nextTo(w, p.page);
        ASSERT_EQ(w.CurrentPage(), p.page);
        p.act();
        EXPECT_TRUE(p.reached());
        expectShowsModel(w);
        expectShowsRunState(w);
    }
    // The run, its end and the completion page show what the run and the model gave them.
    w.NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return w.CurrentPage() == WizardPage::Finish; }, 5000));
    EXPECT_EQ(w.RunSettings().outputPath, w.Model().BuildOptions(false).outputPath);
    EXPECT_EQ(w.RunSettings().selectedAreas, std::vector<int>{40});
    EXPECT_EQ(control<QLabel>(w, "targetLabel")->text(),
              control<QButtonGroup>(w, "targetRadioGroup")->button(w.Model().Choices().target)->text());
    expectShowsRunState(w);
    EXPECT_EQ(control<QPlainTextEdit>(w, "finishMemo")->toPlainText(),
              w.RunState().RunLog().join(QLatin1Char('\n')));
    w.NextBtnClick();
    ASSERT_EQ(w.CurrentPage(), WizardPage::Completion);
    expectShowsModel(w);
    expectShowsRunState(w);
    w.reject();
}

} // namespace
