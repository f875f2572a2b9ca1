// The wizard's view of a map opened inside a mounted ISO image: the files beside it are found in the image,
// so the completion options they allow are offered as for the same map in a folder.
#include <filesystem>

#include "WizardTestSupport.h"
#include "kiwi/disc/FileManager.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IsoFixture.h"
#include "tools/sample-disc/SampleDiscFolder.h"

namespace {

using wizardtest::control;

class ImageConverterSourceTest : public wizardtest::WizardTest {
protected:
    void TearDown() override { CloseISOImage(); }
};

TEST_F(ImageConverterSourceTest, ImageMapReportsTheFilesBesideItAsAFolderMapDoes) {
    KIWI_NEED_XORRISO();
    const std::string disc = spath("disc");
    std::filesystem::copy(sampleDiscFolder(), disc);
    fixture::FileConPlan plan;
    plan.entries = {{0, "ALLDATA.KWI", "ALLDATA.KWI", 3}};
    fixture::writeFile(disc + "/filecon.mng", fixture::buildFileCon(plan));
    fixture::makeIsoWithXorriso(disc, spath("disc.iso"));

    const ConverterSource inFolder = ReadConverterSource(disc + "/ALLDATA.KWI");
    ASSERT_TRUE(OpenISOImage(spath("disc.iso")));
    const ConverterSource inImage = ReadConverterSource("ALLDATA.KWI");
    ASSERT_TRUE(inImage.mapOpen);
    EXPECT_TRUE(inImage.fileConPresent);
    EXPECT_TRUE(inImage.hasRegionData);
    EXPECT_GT(inImage.regionCount, 0);
    EXPECT_EQ(inImage.fileConPresent, inFolder.fileConPresent);
    EXPECT_EQ(inImage.hasRegionData, inFolder.hasRegionData);
    EXPECT_EQ(inImage.regionCount, inFolder.regionCount);
    EXPECT_EQ(inImage.compressed, inFolder.compressed);
    EXPECT_EQ(inImage.voiceSize, inFolder.voiceSize);

    ConverterWizard wizard(inImage, services, taskBar);
    EXPECT_TRUE(control<QCheckBox>(wizard, "splitCheckBox")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>(wizard, "regionCheckBox")->isEnabled());
    EXPECT_EQ(control<QCheckBox>(wizard, "voiceCheckBox")->isEnabled(), inFolder.voiceSize > 0);
}

} // namespace
