// The flat hint: where its box goes for each zone of the screen, its painted strip and wrap width, and the
// application's tooltips it takes over.
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QTableWidget>
#include <QToolTip>
#include <gtest/gtest.h>

#include "kiwi/display/WindowsColor.h"
#include "widgets/flat/FlatHint.h"

namespace {

struct PlacementCase {
    const char* name;
    QPoint cursor;
    QRect screen;
    QSize size;
    int side;
    QRect expected;
};

class HintPlacementTable : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(HintPlacementTable, PicksTheSideThatStaysOnScreen) {
    const PlacementCase c = GetParam();
    const HintPlacement placement = hintPlacement(c.cursor, c.screen, c.size);
    EXPECT_EQ(placement.side, c.side);
    EXPECT_EQ(placement.rect, c.expected);
}

const QRect kScreen(0, 0, 1600, 1000);
const QSize kBox(100, 40);

INSTANTIATE_TEST_SUITE_P(
    Zones, HintPlacementTable,
    ::testing::Values(
        PlacementCase{"default_right_below", {500, 500}, kScreen, kBox, 1, QRect(512, 512, 100, 40)},
        PlacementCase{"bottom_band_above", {500, 950}, kScreen, kBox, 3, QRect(505, 905, 100, 40)},
        PlacementCase{"right_band_left", {1550, 500}, kScreen, kBox, 0, QRect(1445, 505, 100, 40)},
        PlacementCase{"corner_left_above", {1550, 950}, kScreen, kBox, 2, QRect(1445, 905, 100, 40)},
        PlacementCase{"right_edge_clamped", {1499, 899}, kScreen, kBox, 1, QRect(1500, 911, 100, 40)},
        // A second screen to the right: zones count from its own corner.
        PlacementCase{
            "second_screen", {1700, 500}, QRect(1600, 0, 1920, 1080), kBox, 1, QRect(1712, 512, 100, 40)},
        PlacementCase{"second_screen_right",
                      {3450, 500},
                      QRect(1600, 0, 1920, 1080),
                      kBox,
                      0,
                      QRect(3345, 505, 100, 40)},
        // A tall hint just above the bottom band would run off the screen: it is pulled back.
        PlacementCase{
            "tall_hint_clamped", {500, 880}, kScreen, QSize(100, 200), 1, QRect(512, 800, 100, 200)}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST(FlatHint, WindowPaintsStripOnTheCursorSide) {
    FlatHint hint;
    FlatHintWindow* window = hint.Window();
    window->ActivateHint(QStringLiteral("Подсказка"), QPoint(500, 500), kScreen);
    ASSERT_EQ(window->Side(), 1);
    QImage image = window->grab().toImage();
    const int w = image.width(), h = image.height();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, h - 2), winColor(0x53D2FF)) << "the arrow strip on the left";
    EXPECT_EQ(image.pixelColor(w - 2, h - 2), QColor(Qt::white)) << "the text area";
    EXPECT_EQ(image.pixelColor(window->ArrowTip()), QColor(Qt::black)) << "the arrow in its colour";
    EXPECT_LT(window->ArrowTip().x(), FlatHintWindow::kArrowStrip);
    EXPECT_LT(window->ArrowTip().y(), h / 2 + 1) << "pointing up at the cursor";

    window->ActivateHint(QStringLiteral("Подсказка"), QPoint(1590, 500), kScreen);
    ASSERT_EQ(window->Side(), 0);
    image = window->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() - 2, image.height() - 2), winColor(0x53D2FF))
        << "strip on the right";
    EXPECT_GE(window->ArrowTip().x(), image.width() - FlatHintWindow::kArrowStrip);
}

TEST(FlatHint, LongHintWrapsAtTheWidestBox) {
    FlatHint hint;
    const QString text = QStringLiteral("Очень длинная подсказка, которая никак не помещается в одну строку");
    const QSize one = hint.Window()->hintSize(QStringLiteral("Коротко"));
    const QSize size = hint.Window()->hintSize(text);
    EXPECT_LE(size.width(), hint.MaxHintWidth());
    EXPECT_GT(size.height(), one.height());
    hint.SetMaxHintWidth(2000);
    EXPECT_EQ(hint.Window()->hintSize(text).height(), one.height());
}

TEST(FlatHint, TakesOverTooltipsAndAsksTheHandler) {
    FlatHint hint;
    QWidget control;
    control.setToolTip(QStringLiteral("Старый текст"));
    QWidget silent;
    silent.setToolTip(QStringLiteral("Не показывать"));
    hint.SetOnShowHint([&](QWidget* widget, QString& text, bool& canShow) {
        if (widget == &silent) canShow = false;
        text = QStringLiteral("Новый текст");
    });
    QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), QPoint(300, 300));
    QCoreApplication::sendEvent(&control, &event);
    EXPECT_TRUE(hint.Window()->isVisible());
    EXPECT_EQ(hint.Window()->Text(), QStringLiteral("Новый текст"));
    EXPECT_EQ(hint.HintControl(), &control);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&control, &leave);
    EXPECT_FALSE(hint.Window()->isVisible());

    QHelpEvent again(QEvent::ToolTip, QPoint(1, 1), QPoint(300, 300));
    QCoreApplication::sendEvent(&silent, &again);
    EXPECT_FALSE(hint.Window()->isVisible()) << "the handler may forbid a hint";
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 500);
}

} // namespace

namespace {

TEST(FlatHint, ShowsTheHintsOfAGridsItemsAndDropsThemOffTheItem) {
    FlatHint hint;
    QTableWidget grid(2, 2);
    grid.resize(300, 200);
    grid.setItem(0, 1, new QTableWidgetItem(QStringLiteral("Ошибка")));
    grid.item(0, 1)->setToolTip(QStringLiteral("на диске нет места"));
    grid.setItem(1, 1, new QTableWidgetItem(QStringLiteral("100 %")));
    grid.show();
    QWidget* viewport = grid.viewport();
    const QRect withHint = grid.visualRect(grid.model()->index(0, 1));
    QHelpEvent over(QEvent::ToolTip, withHint.center(), viewport->mapToGlobal(withHint.center()));
    QCoreApplication::sendEvent(viewport, &over);
    EXPECT_TRUE(hint.Window()->isVisible());
    EXPECT_EQ(hint.Window()->Text(), QStringLiteral("на диске нет места"));
    EXPECT_FALSE(QToolTip::isVisible()) << "the framework's tooltip stays silent";
    // Moving within the item keeps it; onto another item drops it.
    const QPoint inside = withHint.center() + QPoint(1, 0);
    QMouseEvent within(QEvent::MouseMove, inside, viewport->mapToGlobal(inside), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &within);
    EXPECT_TRUE(hint.Window()->isVisible());
    const QPoint below = grid.visualRect(grid.model()->index(1, 1)).center();
    QMouseEvent away(QEvent::MouseMove, below, viewport->mapToGlobal(below), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &away);
    EXPECT_FALSE(hint.Window()->isVisible());
    // An item without a hint shows none.
    QHelpEvent plain(QEvent::ToolTip, below, viewport->mapToGlobal(below));
    QCoreApplication::sendEvent(viewport, &plain);
    EXPECT_FALSE(hint.Window()->isVisible());
}

} // namespace
