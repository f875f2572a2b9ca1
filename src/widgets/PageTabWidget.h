// A tab widget whose Ctrl+Tab and Ctrl+Shift+Tab go only to the tabs a user can see.
#pragma once

#include <QTabWidget>

class PageTabWidget : public QTabWidget {
public:
    using QTabWidget::QTabWidget;

protected:
    // Qt's own cycling skips only disabled tabs and would land on a hidden page with no tab selected.
    void keyPressEvent(QKeyEvent* event) override;
};
