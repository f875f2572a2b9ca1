// The go-to dialog driven through its widgets: texts, the remembered addresses, checks while typing, the
// clamp to the last byte and input that keeps the dialog open.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "hexview/dialogs/GotoDialog.h"

using namespace hexdialogstest;

namespace {

class GotoDialogTest : public DialogTest {
protected:
    void type(GotoDialog& dialog, const QString& text) {
        dialog.AddressBox()->lineEdit()->clear();
        QTest::keyClicks(dialog.AddressBox(), text);
    }
};

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

} // namespace

TEST_F(GotoDialogTest, ShowsTheViewersTexts) {
    GotoDialog dialog(100, settings.Store(), prompts.Prompts());
    EXPECT_EQ(dialog.windowTitle(), "Перейти на адрес");
    EXPECT_TRUE(labelTexts(dialog).contains("Новый адрес"));
    EXPECT_TRUE(labelTexts(dialog).contains("(Hexadecimal)"));
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "Отмена");
    EXPECT_EQ(dialog.AddressBox()->lineEdit()->maxLength(), 12);
}

TEST_F(GotoDialogTest, AnAddressBeyondTheEndGoesToTheLastByte) {
    GotoDialog dialog(100, settings.Store(), prompts.Prompts());
    dialog.show();
    type(dialog, "100");
    QTest::keyClick(dialog.AddressBox(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result(), 99);
    EXPECT_EQ(settings.Binary("GotoCash"), offsetBytes({99}));
    // Typing past the size beeped and turned the box red, but OK still went to the last byte.
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(GotoDialogTest, OffersTheRememberedAddressesFirstSelected) {
    SettingsStore store = settings.Store();
    store.write("GotoCash", offsetBytes({0x20, 0, 0x1234}));
    GotoDialog dialog(0x10000, settings.Store(), prompts.Prompts());
    EXPECT_EQ(dialog.AddressBox()->count(), 2);
    EXPECT_EQ(dialog.AddressBox()->currentText(), "20");
    EXPECT_EQ(dialog.AddressBox()->itemText(1), "1234");
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Result(), 0x20);
}

TEST_F(GotoDialogTest, EveryEditIsChecked) {
    GotoDialog dialog(0x100, settings.Store(), prompts.Prompts());
    dialog.show();
    type(dialog, "f");
    EXPECT_EQ(dialog.AddressBox()->currentText(), "F");
    EXPECT_EQ(prompts.beeps, 0);
    EXPECT_FALSE(dialog.AddressBox()->MarkedBad());
    QTest::keyClicks(dialog.AddressBox(), "F");
    EXPECT_EQ(prompts.beeps, 0);
    QTest::keyClicks(dialog.AddressBox(), "0");
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(dialog.AddressBox()->MarkedBad());
    QTest::keyClick(dialog.AddressBox(), Qt::Key_Backspace);
    EXPECT_FALSE(dialog.AddressBox()->MarkedBad());
    QTest::keyClicks(dialog.AddressBox(), "Z");
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_EQ(boxColor(dialog.AddressBox()), HexInputCombo::BadColor());
}

TEST_F(GotoDialogTest, UnreadableInputKeepsTheDialogOpen) {
    GotoDialog dialog(100, settings.Store(), prompts.Prompts());
    dialog.show();
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(dialog.AddressBox()->MarkedBad());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.Result());
    // Cancel answers nothing and stores nothing.
    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(settings.Has("GotoCash"));
}
