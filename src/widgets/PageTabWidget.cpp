// Tab cycling over the shown tabs.
#include "widgets/PageTabWidget.h"

#include <QKeyEvent>

void PageTabWidget::keyPressEvent(QKeyEvent* event) {
    const bool cycle = (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
                       (event->modifiers() & Qt::ControlModifier);
    if (!cycle || count() < 2) return QTabWidget::keyPressEvent(event);
    const int step = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier) ? -1 : 1;
    for (int page = currentIndex(), pass = 1; pass < count(); ++pass) {
        page = (page + step + count()) % count();
        if (isTabVisible(page) && isTabEnabled(page)) {
            setCurrentIndex(page);
            break;
        }
    }
    event->accept();
}
