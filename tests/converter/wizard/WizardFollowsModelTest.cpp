// One smoke test per page: a change made through the page's widgets reaches the wizard's model, and the
// window then shows the model's options and enabled states and nothing of its own.
#include <QSlider>
#include <QStackedWidget>

#include "WizardTestSupport.h"

namespace {

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
        EXPECT_EQ(w.targetRadioGroup->checkedId(), c.target);
        box(w.backwardCheckBox, c.backward, m.Enabled(C::Backward), "backward");
        EXPECT_EQ(w.systemIdComboBox->currentIndex(), c.systemIdIndex);
        EXPECT_EQ(w.systemIdComboBox->isEnabled(), m.Enabled(C::SystemIdList));
        box(w.insertRegionDataCheckBox, c.insertRegion, m.Enabled(C::InsertRegion), "region");
        box(w.utfToAnsiCheckBox, c.utfToAnsi, m.Enabled(C::UtfToAnsi), "utf");
        box(w.translateCheckBox, c.translate, m.Enabled(C::TranslateSwitch), "translate");
        EXPECT_EQ(w.translateTrackBar->value(), c.translationLevel);
        EXPECT_EQ(w.translateTrackBar->isEnabled(), m.Enabled(C::TranslateOptions));
        EXPECT_EQ(w.cityAreaComboBox->currentIndex(), c.cityAreaLevel);
        box(w.buildingsCheckBox, c.buildings, m.Enabled(C::BuildingsSwitch), "buildings");
        box(w.addressCheckBox, c.address, m.Enabled(C::AddressSwitch), "address");
        box(w.addExtraLevelCheckBox, c.extraLevel, m.Enabled(C::ExtraLevel), "extra level");
        box(w.arrowsCheckBox, c.arrows, m.Enabled(C::Arrows), "arrows");
        EXPECT_EQ(w.sizeFilter50TrackBar->value(), c.filter50);
        EXPECT_EQ(w.sizeFilter100TrackBar->value(), c.filter100);
        EXPECT_EQ(w.buildingsTypeCodeEdit->text(), TypeCodeText(c.buildingsTypeCode));
        EXPECT_EQ(w.defaultBtn->isEnabled(), m.Enabled(C::DefaultButton));
        box(w.trimCheckBox, c.trim, true, "trim");
        EXPECT_EQ(w.trimRadioGroup->checkedId(), c.trimMode);
        EXPECT_EQ(w.northTrackBar->value(), c.edges.north);
        EXPECT_EQ(w.southTrackBar->value(), c.edges.south);
        EXPECT_EQ(w.northTrackBar->isEnabled(), m.Enabled(C::TrimEdges));
        EXPECT_EQ(w.areasCheckListBox->isEnabled(), m.Enabled(C::TrimAreas));
        for (int i = 0; i < w.areasCheckListBox->count(); ++i)
            EXPECT_EQ(w.areasCheckListBox->item(i)->checkState() == Qt::Checked, bool(c.areas[size_t(i)]))
                << i;
        EXPECT_EQ(w.trimLevelTrackBar->value(), c.trimLevel);
        EXPECT_EQ(w.fileNameEdit->text(), c.outputPath);
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
        {WizardPage::FirstStep, [&] { w.targetRadioGroup->button(1)->click(); },
         [&] { return w.Model().Choices().target == 1 && w.BuildingsTypeCode() == 0x7018; }},
        {WizardPage::Translate,
         [&] {
             w.translateCheckBox->click();
             w.translateTrackBar->setValue(5);
         },
         [&] { return w.Model().Choices().translate && w.Model().Choices().translationLevel == 5; }},
        {WizardPage::Loading, [&] { w.cityAreaComboBox->setCurrentIndex(2); },
         [&] { return w.Model().Choices().cityAreaLevel == 2; }},
        {WizardPage::Settings,
         [&] {
             w.translateCheckBox->click();
             w.sizeFilter100TrackBar->setValue(20);
         },
         [&] { return w.Model().Choices().filter100 == 40 && w.Model().Choices().filter50 == 40; }},
        {WizardPage::CutMap,
         [&] {
             w.trimCheckBox->click();
             w.trimRadioGroup->button(2)->click();
             w.areasCheckListBox->item(1)->setCheckState(Qt::Checked);
         },
         [&] { return w.Model().Choices().trimMode == 2 && !w.Model().Choices().areas[0]; }},
        {WizardPage::File, [&] { w.SetOutputFile(path("out/ALLDATA.KWI")); },
         [&] { return w.Model().Choices().outputPath == path("out/ALLDATA.KWI") && w.nextBtn->isEnabled(); }},
    };
    for (const Page& p : pages) {
        SCOPED_TRACE(int(p.page));
        nextTo(w, p.page);
        ASSERT_EQ(w.CurrentPage(), p.page);
        p.act();
        EXPECT_TRUE(p.reached());
        expectShowsModel(w);
    }
    // The run, its end and the completion page show what the run and the model gave them.
    w.NextBtnClick();
    ASSERT_TRUE(waitUntil([&] { return w.CurrentPage() == WizardPage::Finish; }, 5000));
    EXPECT_EQ(w.RunSettings().outputPath, w.Model().BuildOptions(false).outputPath);
    EXPECT_EQ(w.RunSettings().selectedAreas, std::vector<int>{40});
    EXPECT_EQ(w.targetLabel->text(), w.targetRadioGroup->button(w.Model().Choices().target)->text());
    w.NextBtnClick();
    ASSERT_EQ(w.CurrentPage(), WizardPage::Completion);
    expectShowsModel(w);
    w.reject();
}

} // namespace
