// Pictures of the hex viewer's dialogs for a person to review (saved when STROVANE_SCREENSHOT_DIR is set):
// each must show something, and a box holding bad input must be drawn light red.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QTest>

#include "DialogTestSupport.h"
#include "hexview/dialogs/DefineBlockDialog.h"
#include "hexview/dialogs/FindDialog.h"
#include "hexview/dialogs/GotoDialog.h"
#include "hexview/dialogs/ProgressDialog.h"

using namespace hexdialogstest;

namespace {

bool uniform(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (image.pixel(x, y) != first) return false;
    return true;
}

QImage picture(QWidget& widget, const QString& name) {
    widget.show();
    const QImage image = widget.grab().toImage();
    keepPicture(image, name);
    return image;
}

// The colour in the middle of the box's edit field, as drawn in the dialog's picture.
QColor fieldColour(QWidget& dialog, HexInputCombo* box) {
    const QImage image = dialog.grab().toImage();
    const QRect field = box->lineEdit()->geometry();
    const QPoint inDialog = box->mapTo(&dialog, QPoint(field.right() - 4, field.center().y()));
    return image.pixelColor(inDialog * image.devicePixelRatio());
}

class DialogPicturesTest : public DialogTest {};

} // namespace

TEST_F(DialogPicturesTest, FindDialog) {
    SettingsStore store = settings.Store();
    store.write("HexCash", QByteArray("0ABC\r\n"));
    store.write("HexCashSize", int32_t(6));
    FindDialog dialog(FindSetup{1251, "WIN", true}, settings.Store(), prompts.Prompts());
    EXPECT_FALSE(uniform(picture(dialog, "find-dialog.png")));
    dialog.Functions()->button(1)->click();
    EXPECT_FALSE(uniform(picture(dialog, "find-dialog-text.png")));
}

TEST_F(DialogPicturesTest, GotoDialogWithBadInput) {
    GotoDialog dialog(100, settings.Store(), prompts.Prompts());
    dialog.show();
    const QColor normal = fieldColour(dialog, dialog.AddressBox());
    QTest::keyClicks(dialog.AddressBox(), "FFX");
    EXPECT_FALSE(uniform(picture(dialog, "goto-dialog-bad.png")));
    EXPECT_EQ(fieldColour(dialog, dialog.AddressBox()), HexInputCombo::BadColor());
    EXPECT_NE(normal, HexInputCombo::BadColor());
}

TEST_F(DialogPicturesTest, DefineBlockDialog) {
    DefineBlockDialog dialog(BlockSetup{0x1000, 0x10, 0x20, true}, settings.Store(), prompts.Prompts());
    EXPECT_FALSE(uniform(picture(dialog, "define-block-dialog.png")));
    DefineBlockDialog disabled(BlockSetup{0x1000, 0x10, 0x20, false}, settings.Store(), prompts.Prompts());
    EXPECT_FALSE(uniform(picture(disabled, "define-block-dialog-no-end.png")));
}

TEST_F(DialogPicturesTest, ProgressDialog) {
    ProgressDialog dialog(nullptr);
    dialog.SetPercent(37);
    EXPECT_FALSE(uniform(picture(dialog, "progress-dialog.png")));
    dialog.SetPercent(-1);
}
