// The reopen label's hover and click behaviour.
#include "mainwindow/ReopenLabel.h"

#include <QMouseEvent>

ReopenLabel::ReopenLabel(int index, QWidget* parent) : QLabel(parent), index_(index) {
    setCursor(Qt::PointingHandCursor);
    setBackgroundRole(QPalette::Highlight);
    // Drawn as links: they open what they name.
    setForegroundRole(QPalette::Link);
    setTextFormat(Qt::PlainText);
    setIndent(4);
}

void ReopenLabel::enterEvent(QEnterEvent* event) {
    setAutoFillBackground(true);
    setForegroundRole(QPalette::HighlightedText);
    QLabel::enterEvent(event);
}

void ReopenLabel::leaveEvent(QEvent* event) {
    setAutoFillBackground(false);
    setForegroundRole(QPalette::Link);
    QLabel::leaveEvent(event);
}

void ReopenLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked(index_);
    QLabel::mouseReleaseEvent(event);
}
