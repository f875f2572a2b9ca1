// The sample disc converted through the wizard offscreen: the new map is byte for byte the one the
// headless conversion job writes with the options the wizard gave its run.
#include "WizardTestSupport.h"
#include "converter/ConversionJob.h"
#include "support/converter/ConversionTestSupport.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

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
    ConverterWizard wizard(source, services, taskBar);
    wizard.SetOutputFile(path("out/ALLDATA.KWI"));
    nextTo(wizard, WizardPage::File);
    ASSERT_TRUE(wizard.nextBtn->isEnabled());
    wizard.NextBtnClick();
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Creation);
    ASSERT_TRUE(
        waitUntil([&] { return !wizard.CreationRunning() && wizard.LastReturnValue() != 0; }, 60000) ||
        wizard.CurrentPage() == WizardPage::Finish)
        << wizard.progressMemo->toPlainText().toStdString();
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Finish) << wizard.progressMemo->toPlainText().toStdString();
    EXPECT_TRUE(wizard.finishMemo->toPlainText().contains(QStringLiteral("Creating New Map started...")));
    EXPECT_EQ(taskBar.ProgressState(), TaskBarProgressStyle::None);
    EXPECT_FALSE(backend.calls.empty());

    ConversionOptions options = wizard.BuildOptions();
    std::filesystem::create_directories(spath("headless"));
    options.outputPath = spath("headless/ALLDATA.KWI");
    ConversionJob job(std::make_unique<ConversionRun>(source.allDataPath, options));
    job.Start();
    ASSERT_EQ(job.Wait().status, ConversionStatus::Done);
    const std::vector<uint8_t> viaWizard = convtest::readFile(spath("out/ALLDATA.KWI"));
    ASSERT_FALSE(viaWizard.empty());
    EXPECT_TRUE(viaWizard == convtest::readFile(spath("headless/ALLDATA.KWI")));

    // The completion writes a new REGION.KWI beside the new map, on its own thread.
    wizard.NextBtnClick();
    ASSERT_TRUE(wizard.regionCheckBox->isEnabled());
    wizard.regionCheckBox->click();
    wizard.processingButton->click();
    ASSERT_TRUE(waitUntil([&] { return wizard.nextBtn->isEnabled(); }, 60000));
    EXPECT_TRUE(messenger.errors.isEmpty()) << messenger.errors.join("; ").toStdString();
    EXPECT_TRUE(std::filesystem::exists(spath("out/REGION.KWI")));
    wizard.NextBtnClick();
    EXPECT_EQ(wizard.result(), 1);
    EXPECT_EQ(wizard.OutputPath(), path("out/ALLDATA.KWI"));
}

TEST_F(WizardSampleDiscTest, SavesAnAlternativeRegionFileOfTheCheckedRegions) {
    const ConverterSource source = ReadConverterSource(sampleDiscFile("ALLDATA.KWI"));
    ConverterWizard wizard(source, services, taskBar);
    texts.answer = QStringLiteral("qvorpelin");
    wizard.PresentationImageClick();
    ASSERT_EQ(wizard.CurrentPage(), WizardPage::Region);
    wizard.InspectRegionBtnClick();
    ASSERT_EQ(wizard.regionCheckListBox->count(), source.regionCount);
    wizard.regionCheckListBox->item(0)->setCheckState(Qt::Checked);
    paths.answer = path("out/REGION.KWI");
    wizard.SaveRegionBtnClick();
    EXPECT_TRUE(messenger.errors.isEmpty()) << messenger.errors.join("; ").toStdString();
    const auto size = std::filesystem::file_size(spath("out/REGION.KWI"));
    EXPECT_GT(size, 0u);
    EXPECT_EQ(size % 32, 0u);
    EXPECT_FALSE(wizard.saveRegionBtn->isEnabled());
}

} // namespace
