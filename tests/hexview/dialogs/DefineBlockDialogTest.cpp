// The define-block dialog driven through its widgets: texts, the offered lists, the radio buttons, OK by
// end and by length, red boxes for bad input, and the disabled end group.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "hexview/dialogs/DefineBlockDialog.h"

using namespace hexdialogstest;

namespace {

class DefineBlockDialogTest : public DialogTest {
protected:
    void type(HexInputCombo* box, const QString& text) {
        box->lineEdit()->clear();
        QTest::keyClicks(box, text);
    }
};

} // namespace

TEST_F(DefineBlockDialogTest, ShowsTheViewersTexts) {
    DefineBlockDialog dialog(BlockSetup{0x1000, 0x10, 0x20, true}, settings.Store(), prompts.Prompts());
    EXPECT_EQ(dialog.windowTitle(), "Задать блок");
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList{"Начало блока"});
    EXPECT_EQ(dialog.EndGroup()->title(), " Конец блока ");
    EXPECT_EQ(dialog.EndButton()->text(), "Конечный адрес");
    EXPECT_EQ(dialog.LengthButton()->text(), "Длина блока");
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "Отмена");
    for (HexInputCombo* box : {dialog.StartBox(), dialog.EndBox(), dialog.LengthBox()})
        EXPECT_EQ(box->lineEdit()->maxLength(), 12);
}

TEST_F(DefineBlockDialogTest, OffersTheCurrentBlock) {
    SettingsStore store = settings.Store();
    store.write("GotoCash", offsetBytes({0x99}));
    DefineBlockDialog dialog(BlockSetup{0x1000, 0x10, 0x20, true}, settings.Store(), prompts.Prompts());
    EXPECT_EQ(dialog.StartBox()->currentText(), "10");
    EXPECT_EQ(dialog.StartBox()->itemText(1), "99");
    EXPECT_EQ(dialog.EndBox()->currentText(), "20");
    EXPECT_EQ(dialog.LengthBox()->currentText(), "11");
    EXPECT_TRUE(dialog.EndButton()->isChecked());
    EXPECT_TRUE(dialog.EndBox()->isEnabled());
    EXPECT_FALSE(dialog.LengthBox()->isEnabled());
    dialog.show();
    QTest::keyClick(dialog.StartBox(), Qt::Key_Return);
    EXPECT_EQ(dialog.Result(), (BlockRange{0x10, 0x20}));
}

TEST_F(DefineBlockDialogTest, TheRadioButtonsChooseEndOrLength) {
    DefineBlockDialog dialog(BlockSetup{0x1000, 0x10, -1, true}, settings.Store(), prompts.Prompts());
    dialog.show();
    QTest::mouseClick(dialog.LengthButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.EndBox()->isEnabled());
    EXPECT_TRUE(dialog.LengthBox()->isEnabled());
    type(dialog.LengthBox(), "100");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Result(), (BlockRange{0x10, 0x10F}));
    EXPECT_EQ(settings.Binary("LengthCash"), offsetBytes({0x100}));
    QTest::mouseClick(dialog.EndButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.EndBox()->isEnabled());
    EXPECT_FALSE(dialog.LengthBox()->isEnabled());
}

TEST_F(DefineBlockDialogTest, BadBoxesTurnRedAndTheDialogStays) {
    DefineBlockDialog dialog(BlockSetup{0x1000, 0, -1, true}, settings.Store(), prompts.Prompts());
    dialog.show();
    type(dialog.StartBox(), "1Q");
    EXPECT_EQ(prompts.beeps, 1);
    type(dialog.EndBox(), "");
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.StartBox()->MarkedBad());
    EXPECT_TRUE(dialog.EndBox()->MarkedBad());
    EXPECT_EQ(boxColor(dialog.EndBox()), HexInputCombo::BadColor());
    EXPECT_FALSE(dialog.LengthBox()->MarkedBad());
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_TRUE(dialog.isVisible());
    // An end before the start: a beep, no red box.
    type(dialog.StartBox(), "20");
    type(dialog.EndBox(), "10");
    EXPECT_FALSE(dialog.StartBox()->MarkedBad());
    dialog.Submit();
    EXPECT_EQ(prompts.beeps, 3);
    EXPECT_FALSE(dialog.EndBox()->MarkedBad());
    EXPECT_FALSE(dialog.Result());
    EXPECT_FALSE(settings.Has("GotoCash"));
}

TEST_F(DefineBlockDialogTest, ADisabledEndGroupShowsButtonFace) {
    DefineBlockDialog dialog(BlockSetup{0x1000, 0x10, 0x30, false}, settings.Store(), prompts.Prompts());
    EXPECT_FALSE(dialog.EndGroup()->isEnabled());
    EXPECT_FALSE(dialog.EndBox()->isEnabled());
    EXPECT_EQ(dialog.EndBox()->count(), 0);
    EXPECT_EQ(boxColor(dialog.EndBox()),
              dialog.EndBox()->palette().color(QPalette::Active, QPalette::Button));
    dialog.show();
    dialog.Submit();
    EXPECT_EQ(dialog.Result(), (BlockRange{0x10, 0x30}));
}
