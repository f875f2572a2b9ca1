// The wizard's pages as the user sees them: the system text the map carries, the captions after a run,
// the loading page's texts and links, what an import and a dictionary load disable, the import memo's lines.
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>

#include "WizardTestSupport.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

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
        EXPECT_EQ(wizard.systemIdComboBox->count(), c.items);
        EXPECT_EQ(wizard.systemIdComboBox->currentText(), QString::fromLatin1(c.systemText));
        EXPECT_TRUE(wizard.backwardCheckBox->isEnabled());
        EXPECT_EQ(wizard.backwardCheckBox->isChecked(), c.backward);
    }
}

} // namespace
