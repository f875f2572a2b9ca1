// Ctrl+Tab and Ctrl+Shift+Tab pass over a hidden tab both ways.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <gtest/gtest.h>

#include "widgets/PageTabWidget.h"

TEST(PageTabWidget, CyclingPassesOverHiddenTabs) {
    PageTabWidget tabs;
    for (const char* name : {"Open", "ISO", "Data", "Map"})
        tabs.addTab(new QLabel(QString::fromLatin1(name)), QString::fromLatin1(name));
    tabs.setTabVisible(1, false);
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&tabs, &event);
        return tabs.currentIndex();
    };
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), 2);
    EXPECT_EQ(press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), 0);
    EXPECT_EQ(press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier), 3);
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ControlModifier), 0);
}
