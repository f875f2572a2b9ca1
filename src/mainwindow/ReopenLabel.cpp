// The reopen label's hover, focus and click behaviour.
#include "mainwindow/ReopenLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

ReopenLabel::ReopenLabel(int index, QWidget* parent) : QLabel(parent), index_(index) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setBackgroundRole(QPalette::Highlight);
    // Drawn as links: they open what they name.
    setForegroundRole(QPalette::Link);
    setTextFormat(Qt::PlainText);
    setIndent(4);
}

void ReopenLabel::showLit() {
    const bool lit = hovered_ || hasFocus();
    setAutoFillBackground(lit);
    setForegroundRole(lit ? QPalette::HighlightedText : QPalette::Link);
}

void ReopenLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    showLit();
    QLabel::enterEvent(event);
}

void ReopenLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    showLit();
    QLabel::leaveEvent(event);
}

void ReopenLabel::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    showLit();
}

void ReopenLabel::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    showLit();
}

void ReopenLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked(index_);
    QLabel::mouseReleaseEvent(event);
}

void ReopenLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        emit Clicked(index_);
    else
        QLabel::keyPressEvent(event);
}
