// The flat controls drawn offscreen and read back pixel by pixel in each state (border, hover, pressed,
// focus, checked, disabled), their groups, and the progress bar's clamped positions.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <type_traits>

#include "kiwi/display/WindowsColor.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatComboBox.h"
#include "widgets/flat/FlatEdit.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {

const QColor kBorder = winColor(0x8396A0);
const QColor kHoverFace = winColor(0xE1EAEB);
const QColor kDownFace = winColor(0xC5D6D9);
const QColor kElement = winColor(0x996633);
const QColor kWhite(Qt::white), kBlack(Qt::black);

QColor at(QWidget& w, int x, int y) {
    return w.grab().toImage().pixelColor(x, y);
}

void enter(QWidget& w) {
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&w, &event);
}

void leave(QWidget& w) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &event);
}

// ----- button -----

TEST(FlatButton, PaintsEachState) {
    QWidget parent;
    FlatButton button(&parent);
    ASSERT_EQ(button.size(), QSize(25, 25));
    const QColor face = button.palette().color(QPalette::Window);

    EXPECT_EQ(at(button, 0, 0), kBorder);
    EXPECT_EQ(at(button, 24, 24), kBorder);
    EXPECT_EQ(at(button, 1, 1), face);

    button.setDefault(true);
    EXPECT_EQ(at(button, 1, 1), kBorder) << "the default button's frame is two pixels wide";
    button.setDefault(false);

    enter(button);
    EXPECT_TRUE(button.Hovered());
    EXPECT_EQ(at(button, 0, 0), kWhite);
    EXPECT_EQ(at(button, 24, 24), kBlack);
    EXPECT_EQ(at(button, 12, 12), kHoverFace);
    leave(button);
    EXPECT_EQ(at(button, 0, 0), kBorder);

    button.setDown(true); // held by the mouse
    EXPECT_EQ(at(button, 0, 0), kBlack);
    EXPECT_EQ(at(button, 24, 24), kWhite);
    EXPECT_EQ(at(button, 12, 12), kDownFace);
    button.setDown(false);

    // The keyboard focus shows as the raised look.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&button, &focusIn);
    EXPECT_EQ(at(button, 0, 0), kWhite);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&button, &focusOut);
    EXPECT_EQ(at(button, 0, 0), kBorder);

    button.SetGroupIndex(1);
    button.setChecked(true); // held down as the group's pressed member
    EXPECT_EQ(at(button, 0, 0), kBlack);
    EXPECT_EQ(at(button, 12, 12), kDownFace);
    button.setChecked(false);

    enter(button);
    button.setEnabled(false);
    EXPECT_FALSE(button.Hovered()) << "disabling clears the hover";
    EXPECT_EQ(at(button, 0, 0), kBorder);
    EXPECT_EQ(at(button, 1, 1), face);
}

TEST(FlatButton, WithoutGroupNeverStaysDown) {
    FlatButton button;
    button.setChecked(true);
    EXPECT_FALSE(button.isChecked());
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_FALSE(button.isChecked());
}

TEST(FlatButton, GroupKeepsOneDown) {
    QWidget parent;
    FlatButton first(&parent), second(&parent), other(&parent);
    first.SetGroupIndex(1);
    second.SetGroupIndex(1);
    other.SetGroupIndex(2);
    QTest::mouseClick(&first, Qt::LeftButton);
    QTest::mouseClick(&other, Qt::LeftButton);
    EXPECT_TRUE(first.isChecked());
    QTest::mouseClick(&second, Qt::LeftButton);
    EXPECT_TRUE(second.isChecked());
    EXPECT_FALSE(first.isChecked()) << "pressing the second raises the first";
    EXPECT_TRUE(other.isChecked()) << "another group keeps its state";
    QTest::mouseClick(&second, Qt::LeftButton);
    EXPECT_TRUE(second.isChecked()) << "without AllowAllUp the pressed one cannot be raised";

    first.SetAllowAllUp(true);
    EXPECT_TRUE(second.AllowAllUp()) << "the group shares AllowAllUp";
    QTest::mouseClick(&second, Qt::LeftButton);
    EXPECT_FALSE(second.isChecked());
}

TEST(FlatButton, GlyphStripSetsItsCount) {
    FlatButton button;
    button.SetGlyph(QImage(48, 16, QImage::Format_RGB32));
    EXPECT_EQ(button.NumGlyphs(), 3);
    button.SetGlyph(QImage(80, 16, QImage::Format_RGB32));
    EXPECT_EQ(button.NumGlyphs(), 1) << "more than four images count as one";
}

TEST(FlatButton, PictureAloneAsksForASquareOfTheDefaultSize) {
    FlatButton picture;
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(Qt::red);
    picture.SetGlyph(glyph);
    EXPECT_EQ(picture.sizeHint(), QSize(25, 25)) << "an empty caption takes no room";
    FlatButton captioned(QStringLiteral("OK"));
    captioned.SetGlyph(glyph);
    EXPECT_GT(captioned.sizeHint().height(), 16 + captioned.fontMetrics().height());
}

TEST(FlatButton, AdvancedColoursWithZeroPercentKeepTheBorder) {
    QWidget parent;
    FlatButton button(&parent);
    button.SetAdvColorBorder(0);
    button.SetUseAdvColors(true);
    EXPECT_EQ(button.ColorBorder(), 0x8396A0u);
    EXPECT_NE(button.ColorFocused(), 0xE1EAEBu) << "the focused colour derives from the button's colour";
}

TEST(FlatButton, EnterAndLeaveReachTheOwnerInPairs) {
    QWidget parent;
    FlatButton button(&parent);
    QSignalSpy entered(&button, &FlatButton::MouseEnter), left(&button, &FlatButton::MouseLeave);
    enter(button);
    leave(button);
    enter(button);
    button.setEnabled(false);
    EXPECT_EQ(left.count(), 2) << "disabling under the mouse ends the hover for the owner too";
    enter(button); // a disabled button is not entered
    leave(button);
    EXPECT_EQ(entered.count(), 2);
    EXPECT_EQ(left.count(), 2);
}

void doubleClick(QWidget& w) {
    const QPointF inside(5, 5);
    auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent event(type, inside, w.mapToGlobal(inside), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

TEST(FlatButton, DoubleClickClicksTwiceAndReportsOnADownButton) {
    QWidget parent;
    FlatButton plain(&parent), grouped(&parent);
    grouped.SetGroupIndex(1);
    QSignalSpy clicks(&plain, &QAbstractButton::clicked), doubles(&plain, &FlatButton::doubleClicked);
    QSignalSpy groupedDoubles(&grouped, &FlatButton::doubleClicked);
    doubleClick(plain);
    doubleClick(grouped); // the first click presses it down, the second finds it down
    EXPECT_EQ(clicks.count(), 2) << "the second press clicks again";
    EXPECT_EQ(doubles.count(), 0) << "only a button held down reports a double click";
    EXPECT_EQ(groupedDoubles.count(), 1);
    EXPECT_TRUE(grouped.isChecked());
}

// ----- check box and radio button -----

int countPixels(const QImage& image, const QRect& area, const QColor& color) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == color) ++count;
    return count;
}

TEST(FlatCheckBox, PaintsItsBoxInEachState) {
    QWidget parent;
    FlatCheckBox box(&parent);
    ASSERT_EQ(box.size(), QSize(121, 17));
    const QColor face = box.palette().color(QPalette::Window);
    const QRect inner(2, 4, 9, 9);

    EXPECT_EQ(at(box, 1, 3), kBorder);
    EXPECT_EQ(at(box, 11, 13), kBorder);
    EXPECT_EQ(at(box, 2, 4), face);
    EXPECT_EQ(countPixels(box.grab().toImage(), inner, kBlack), 0);

    enter(box);
    EXPECT_EQ(at(box, 2, 4), kWhite);
    leave(box);
    box.setDown(true);
    EXPECT_EQ(at(box, 2, 4), kDownFace);
    box.setDown(false);

    box.setChecked(true);
    EXPECT_GE(countPixels(box.grab().toImage(), inner, kBlack), 6);
    box.setEnabled(false);
    EXPECT_EQ(countPixels(box.grab().toImage(), inner, kBlack), 0) << "a disabled mark is grey";
}

TEST(FlatCheckBox, ClickAnywhereToggles) {
    FlatCheckBox box(QStringLiteral("Добавить"));
    QSignalSpy toggled(&box, &QAbstractButton::toggled);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(100, 8));
    EXPECT_TRUE(box.isChecked());
    box.setChecked(false);
    EXPECT_EQ(toggled.count(), 2) << "a programmatic change reports too";
}

TEST(FlatRadioButton, CheckingOneUnchecksItsGroupOnly) {
    QWidget parent;
    FlatRadioButton a(QStringLiteral("a"), &parent), b(QStringLiteral("b"), &parent),
        c(QStringLiteral("c"), &parent), other(QStringLiteral("x"), &parent);
    other.SetGroupIndex(1);
    other.setChecked(true);
    a.setChecked(true);
    b.setChecked(true);
    EXPECT_FALSE(a.isChecked());
    QTest::mouseClick(&c, Qt::LeftButton);
    EXPECT_TRUE(c.isChecked());
    EXPECT_FALSE(b.isChecked());
    EXPECT_TRUE(other.isChecked()) << "another group index keeps its state";
    QTest::mouseClick(&c, Qt::LeftButton);
    EXPECT_TRUE(c.isChecked()) << "a checked radio button stays checked";
    // Tab reaches the checked member of the group only.
    EXPECT_EQ(c.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(a.focusPolicy(), Qt::ClickFocus);
}

TEST(FlatRadioButton, ArrowKeysMoveTheChoice) {
    QWidget parent;
    FlatRadioButton a(QStringLiteral("a"), &parent), b(QStringLiteral("b"), &parent);
    b.setEnabled(true);
    a.setChecked(true);
    QTest::keyClick(&a, Qt::Key_Down);
    EXPECT_TRUE(b.isChecked());
    EXPECT_FALSE(a.isChecked());
}

TEST(FlatRadioButton, PaintsCircleAndDot) {
    QWidget parent;
    FlatRadioButton radio(&parent);
    // The circle's top edge in the middle of its 10-pixel square from (1, 3); its corner stays clear.
    EXPECT_EQ(at(radio, 6, 3), kBorder);
    EXPECT_EQ(at(radio, 1, 3), radio.palette().color(QPalette::Window));
    EXPECT_NE(at(radio, 6, 8), kBlack);
    radio.setChecked(true);
    EXPECT_EQ(at(radio, 6, 8), kBlack);
}

// ----- edit and combo box -----

TEST(FlatLineEdit, BorderTurnsToTheFocusedColour) {
    QWidget window;
    auto* edit = new FlatLineEdit(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    const int height = edit->fontMetrics().height() + 6;
    EXPECT_EQ(edit->sizeHint().height(), height);
    EXPECT_EQ(at(*edit, 0, 0), kBorder);
    EXPECT_EQ(at(*edit, 1, 1), winColor(0xE1EAEB));
    EXPECT_EQ(at(*edit, 2, 2), winColor(0xE1EAEB));

    // Away from the mouse: hovering would light the edit up as well.
    QCursor::setPos(0, 0);
    window.move(400, 400);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(at(*edit, 0, 0), kBorder);
    EXPECT_EQ(at(*edit, 1, 1), kWhite);
    other->setFocus();
    EXPECT_EQ(at(*edit, 1, 1), winColor(0xE1EAEB));
    edit->setEnabled(false);
    EXPECT_EQ(at(*edit, 0, 0), kBorder);
}

TEST(FlatComboBox, FramesAndButtonStrip) {
    QWidget parent;
    FlatComboBox combo(&parent);
    combo.addItems({QStringLiteral("один"), QStringLiteral("два")});
    combo.resize(120, 21);
    const int w = combo.width();
    EXPECT_EQ(at(combo, 0, 0), kBorder);
    EXPECT_EQ(at(combo, w - 1, 20), kBorder);
    EXPECT_EQ(at(combo, w - 2, 2), kDownFace) << "the button strip is in the arrow background colour";
    EXPECT_EQ(at(combo, w - 1 - combo.ButtonWidth(), 2), kDownFace);

    combo.setEditable(true);
    combo.resize(130, 21);
    parent.show(); // a hidden widget gets its resize event only when shown
    ASSERT_NE(combo.lineEdit(), nullptr);
    EXPECT_EQ(combo.lineEdit()->geometry(), QRect(3, 3, 130 - combo.ButtonWidth() - 8, 15));
}

TEST(FlatComboBox, ListRowsTakeTheItemHeight) {
    QWidget parent;
    FlatComboBox combo(&parent);
    combo.addItems({QStringLiteral("0ABC"), QStringLiteral("FF"), QStringLiteral("1000")});
    combo.setCurrentIndex(1);
    parent.show();
    combo.showPopup();
    QAbstractItemView* list = combo.view();
    const QRect current = list->visualRect(list->model()->index(1, 0));
    const QRect other = list->visualRect(list->model()->index(2, 0));
    EXPECT_EQ(current.height(), std::max(13, combo.fontMetrics().height()));
    // The far right of a row holds no text: the current row in the selection colour, another in the box's.
    const QImage rows = list->viewport()->grab().toImage();
    EXPECT_EQ(rows.pixelColor(current.right() - 1, current.center().y()),
              combo.palette().color(QPalette::Highlight));
    EXPECT_EQ(rows.pixelColor(other.right() - 1, other.center().y()), combo.palette().color(QPalette::Base));
    combo.hidePopup();

    combo.SetItemHeight(30);
    EXPECT_EQ(list->visualRect(list->model()->index(1, 0)).height(), 30);
    combo.setFont(QFont(combo.font().family(), combo.font().pointSize() + 1));
    EXPECT_EQ(combo.ItemHeight(), 13) << "a font change restores the item height";
}

// ----- progress bar -----

TEST(FlatProgressBar, HalfWayFillsHalfTheElements) {
    QWidget parent;
    FlatProgressBar bar(&parent);
    ASSERT_EQ(bar.size(), QSize(147, 16));
    bar.setValue(50);
    const QColor face = bar.palette().color(QPalette::Window);
    EXPECT_EQ(at(bar, 0, 0), kBorder);
    EXPECT_EQ(at(bar, 146, 15), kBorder);
    EXPECT_EQ(at(bar, 2 + 9 * 7 + 4, 8), kElement) << "the eighth element";
    EXPECT_EQ(at(bar, 2 + 9 * 8 + 4, 8), face) << "the ninth stays empty";
    EXPECT_EQ(at(bar, 2 + 8, 8), face) << "the gap between elements";
}

TEST(FlatProgressBar, SnapsItsFrameToWholeElements) {
    QWidget parent;
    FlatProgressBar bar(&parent);
    bar.resize(100, 16);
    bar.setValue(100);
    // (100 - 3) div 9 = 10 elements: the frame ends at 93 pixels.
    EXPECT_EQ(at(bar, 92, 8), kBorder);
    EXPECT_EQ(at(bar, 95, 8), bar.palette().color(QPalette::Window));
    EXPECT_EQ(at(bar, 2 + 9 * 9 + 4, 8), kElement);
}

TEST(FlatProgressBar, EmptyRangePaintsNoElements) {
    QWidget parent;
    FlatProgressBar bar(&parent);
    bar.setRange(0, 0);
    bar.setValue(50);
    EXPECT_EQ(bar.value(), 0);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(6, 8), bar.palette().color(QPalette::Window));
    bar.setRange(5, 5);
    EXPECT_EQ(bar.value(), 5);
    EXPECT_EQ(bar.grab().toImage().pixelColor(6, 8), bar.palette().color(QPalette::Window));
}

TEST(FlatProgressBar, PositionsAreClamped) {
    FlatProgressBar bar;
    bar.SetPosition(150);
    EXPECT_EQ(bar.value(), 100);
    bar.SetPosition(-5);
    EXPECT_EQ(bar.value(), 0);
    bar.SetPosition(60);
    bar.SetMax(40);
    EXPECT_EQ(bar.value(), 40) << "a lowered maximum lowers the position";
    EXPECT_EQ(bar.maximum(), 40);
}

TEST(FlatProgressBar, TurnedUprightSwapsItsSizeAndFillsFromTheBottom) {
    QWidget parent;
    FlatProgressBar bar(&parent);
    bar.setValue(50);
    bar.SetOrientation(Qt::Vertical);
    ASSERT_EQ(bar.size(), QSize(16, 147));
    EXPECT_EQ(at(bar, 15, 146), kBorder);
    EXPECT_EQ(at(bar, 8, 147 - 2 - 4), kElement) << "the first element sits at the bottom";
    EXPECT_EQ(at(bar, 8, 147 - 2 - 9 * 7 - 4), kElement) << "the eighth";
    EXPECT_EQ(at(bar, 8, 147 - 2 - 9 * 8 - 4), bar.palette().color(QPalette::Window)) << "the ninth";
    bar.SetOrientation(Qt::Vertical);
    EXPECT_EQ(bar.size(), QSize(16, 147)) << "the same orientation again keeps the size";
}

struct FilledCase {
    int position, minimum, maximum, count, expected;
};

TEST(FlatProgressBar, FilledElementsTable) {
    const FilledCase cases[] = {{50, 0, 100, 16, 8},  {100, 0, 100, 16, 16}, {0, 0, 100, 16, 0},
                                {99, 0, 100, 16, 15}, {1, 0, 3, 16, 5},      {5, 5, 5, 16, 0},
                                {7, 0, 0, 16, 0},     {30, 10, 50, 4, 2},    {200, 0, 100, 16, 16},
                                {-3, 0, 100, 16, 0},  {50, 0, 100, 0, 0}};
    for (const FilledCase& c : cases)
        EXPECT_EQ(FlatProgressBar::FilledElements(c.position, c.minimum, c.maximum, c.count), c.expected)
            << c.position << " in " << c.minimum << ".." << c.maximum << " over " << c.count;
    EXPECT_EQ(FlatProgressBar::ElementCount(147), 16);
    EXPECT_EQ(FlatProgressBar::ElementCount(2), 0);
}

} // namespace

namespace {

TEST(FlatMemo, ScrollBarsStayInsideTheBorder) {
    QWidget parent;
    FlatMemo memo(&parent);
    memo.resize(185, 89);
    memo.setLineWrapMode(QPlainTextEdit::NoWrap);
    memo.setPlainText(QString(QStringLiteral("строка текста, которая длиннее самого поля\n")).repeated(40));
    parent.show();
    ASSERT_TRUE(memo.verticalScrollBar()->isVisible());
    // Scroll bars sit in containers of their own: their place in the memo's coordinates.
    QScrollBar* scrollBar = memo.verticalScrollBar();
    const QRect bar(scrollBar->mapTo(&memo, QPoint(0, 0)), scrollBar->size());
    EXPECT_LE(bar.right(), memo.width() - 1 - 3);
    EXPECT_GE(bar.top(), 3);
    const QImage image = memo.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), kBorder);
    EXPECT_EQ(image.pixelColor(memo.width() - 1, memo.height() - 1), kBorder);
    EXPECT_EQ(image.pixelColor(1, 1), winColor(0xE1EAEB));
}

TEST(FlatControls, AccessibleAsTheirQtKinds) {
    QWidget parent;
    FlatButton button(QStringLiteral("&Далее"), &parent);
    FlatCheckBox box(QStringLiteral("Добавить"), &parent);
    FlatRadioButton radio(QStringLiteral("SSD-4"), &parent);
    FlatProgressBar bar(&parent);
    struct Case {
        QWidget* widget;
        QAccessible::Role role;
        QString name;
    } cases[] = {{&button, QAccessible::Button, QStringLiteral("Далее")},
                 {&box, QAccessible::CheckBox, QStringLiteral("Добавить")},
                 {&radio, QAccessible::RadioButton, QStringLiteral("SSD-4")},
                 {&bar, QAccessible::ProgressBar, QString()}};
    for (const Case& c : cases) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(c.widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), c.role);
        if (!c.name.isEmpty()) {
            EXPECT_EQ(accessible->text(QAccessible::Name), c.name);
        }
    }
    button.setEnabled(false);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(&button)->state().disabled);
}

} // namespace

namespace {

void dragTo(QWidget& w, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, pos, w.mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &move);
}

// The flat button, check box and radio button drop their hover look when dragged off with the mouse held,
// and behind a modal window that opens while the mouse rests on them (the button's own click opens it).
template <typename Control> void checkHoverFollowsTheMouse() {
    constexpr bool isButton = std::is_same_v<Control, FlatButton>;
    QWidget parent;
    parent.resize(300, 200);
    Control control(QStringLiteral("Выбрать"), &parent);
    control.move(10, 10);
    if constexpr (isButton)
        control.resize(80, 25);
    else // without the keyboard focus the box shows the hover look alone
        control.setFocusPolicy(Qt::NoFocus);
    const QColor face = control.palette().color(QPalette::Window);
    const QPoint inside(5, 8), off(200, 8); // inside the box or circle; past the control's 121 pixels
    parent.show();
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    enter(control);
    QTest::mousePress(&control, Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_TRUE(control.isDown());
    // The control holds the mouse while it is pressed, so no leave arrives until the release.
    dragTo(control, off);
    EXPECT_FALSE(control.isDown());
    EXPECT_FALSE(control.Hovered());
    EXPECT_EQ(at(control, inside.x(), inside.y()), face);
    if constexpr (isButton) {
        EXPECT_EQ(at(control, 0, 0), kBorder);
    }
    dragTo(control, inside);
    EXPECT_TRUE(control.isDown());
    EXPECT_TRUE(control.Hovered());
    dragTo(control, off);
    QTest::mouseRelease(&control, Qt::LeftButton, Qt::NoModifier, off);
    EXPECT_FALSE(control.isChecked());
    EXPECT_FALSE(control.Hovered());
    if constexpr (isButton) {
        // A click leaves the focus on the button; leaving it still ends the hover look.
        enter(control);
        QTest::mouseClick(&control, Qt::LeftButton, Qt::NoModifier, inside);
        leave(control);
        EXPECT_FALSE(control.Hovered());
        EXPECT_EQ(at(control, 0, 0), kBorder);
        control.setFocus();
    }

    // The modal window opens elsewhere without taking the focus (no window manager): neither a leave nor a
    // focus change reaches the control.
    enter(control);
    control.setAttribute(Qt::WA_UnderMouse);
    ASSERT_TRUE(control.Hovered());
    QDialog dialog(&parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAttribute(Qt::WA_ShowWithoutActivating);
    dialog.setGeometry(parent.geometry().translated(400, 0));
    if constexpr (isButton) {
        QObject::connect(&control, &QPushButton::clicked, &dialog, &QDialog::show);
        control.click();
    } else {
        dialog.show();
    }
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_FALSE(control.Hovered());
    EXPECT_EQ(at(control, inside.x(), inside.y()), face);
    if constexpr (isButton) {
        EXPECT_EQ(at(control, 0, 0), kBorder);
    }
    // Once the modal window is gone, the mouse's next visit lights it up again.
    dialog.hide();
    enter(control);
    EXPECT_TRUE(control.Hovered());
}

TEST(FlatButton, TheHoverLookFollowsTheMouseOffAndBehindAModalWindowItOpened) {
    checkHoverFollowsTheMouse<FlatButton>();
}

TEST(FlatCheckBox, TheHoverLookFollowsTheMouseOffAndBehindAModalWindow) {
    checkHoverFollowsTheMouse<FlatCheckBox>();
}

TEST(FlatRadioButton, TheHoverLookFollowsTheMouseOffAndBehindAModalWindow) {
    checkHoverFollowsTheMouse<FlatRadioButton>();
}

} // namespace
