// Border painting and highlight rules of the flat edit and memo.
#include "widgets/flat/FlatEdit.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>

void FlatEditLook::calcAdvColors() {
    if (!useAdvColors) return;
    colorFocused = flat::LightenColor(colorFlat, colorFocused, advColorFocused, false);
    colorBorder = flat::LightenColor(colorFlat, colorBorder, advColorBorder, true);
}

void FlatEditLook::paintBorder(QPainter& painter, QSize size, bool highlighted) const {
    const QColor inner = flat::toQColor(highlighted ? colorFocused : colorFlat);
    flat::WinRect rect{0, 0, size.width(), size.height()};
    flat::DrawFrame3D(painter, rect, flat::toQColor(colorBorder), 1, flat::toQColor(colorBorder));
    flat::DrawFrame3D(painter, rect, inner, 2, inner);
}

// The palette change is marked so that it is not taken for a change of the system colours.
void FlatEditLook::applyBase(QWidget& edit, bool highlighted, bool& applying) const {
    const QColor color = flat::toQColor(highlighted ? colorFocused : colorFlat);
    if (edit.palette().color(QPalette::Base) == color) return;
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, color);
    applying = true;
    edit.setPalette(palette);
    applying = false;
}

bool FlatEditLook::refreshesOn(QEvent::Type type, bool applyingPalette) {
    switch (type) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::EnabledChange:
        return true;
    case QEvent::PaletteChange:
        return !applyingPalette;
    default:
        return false;
    }
}

// ----- one-line edit -----

FlatLineEdit::FlatLineEdit(QWidget* parent) : FlatLineEdit(QString(), parent) {}

FlatLineEdit::FlatLineEdit(const QString& text, QWidget* parent) : QLineEdit(text, parent) {
    setFrame(false);
    setContentsMargins(FlatEditLook::kBorder, FlatEditLook::kBorder, FlatEditLook::kBorder,
                       FlatEditLook::kBorder);
    resize(sizeHint());
    refreshLook();
}

void FlatLineEdit::SetColorFocused(TLN_Color color) {
    if (look_.SetColorFocused(color)) refreshLook();
}
void FlatLineEdit::SetColorBorder(TLN_Color color) {
    if (look_.SetColorBorder(color)) refreshLook();
}
void FlatLineEdit::SetColorFlat(TLN_Color color) {
    if (look_.SetColorFlat(color)) refreshLook();
}
void FlatLineEdit::SetUseAdvColors(bool on) {
    if (look_.SetUseAdvColors(on)) refreshLook();
}
void FlatLineEdit::SetAdvColorFocused(flat::TAdvColors percent) {
    if (look_.SetAdvColorFocused(percent)) refreshLook();
}
void FlatLineEdit::SetAdvColorBorder(flat::TAdvColors percent) {
    if (look_.SetAdvColorBorder(percent)) refreshLook();
}

bool FlatLineEdit::Highlighted() const {
    if (hasFocus()) return true;
    // Hovering lights the edit up only while the focus is not in another flat edit.
    return underMouse() && isEnabled() && !qobject_cast<FlatLineEdit*>(QApplication::focusWidget());
}

void FlatLineEdit::refreshLook() {
    look_.applyBase(*this, Highlighted(), applyingPalette_);
    update();
}

QSize FlatLineEdit::sizeHint() const {
    return QSize(121, fontMetrics().height() + 2 * FlatEditLook::kBorder);
}

QSize FlatLineEdit::minimumSizeHint() const {
    return QSize(2 * FlatEditLook::kBorder + fontMetrics().averageCharWidth() * 2,
                 fontMetrics().height() + 2 * FlatEditLook::kBorder);
}

void FlatLineEdit::paintEvent(QPaintEvent* event) {
    {
        // Without a frame the style may leave the text background unfilled.
        QPainter background(this);
        background.fillRect(rect(), palette().color(QPalette::Base));
    }
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    look_.paintBorder(painter, size(), Highlighted());
}

bool FlatLineEdit::event(QEvent* event) {
    const bool handled = QLineEdit::event(event);
    if (FlatEditLook::refreshesOn(event->type(), applyingPalette_)) refreshLook();
    return handled;
}

// ----- memo -----

FlatMemo::FlatMemo(QWidget* parent) : QPlainTextEdit(parent) {
    // A plain frame as wide as the border makes the scroll area keep viewport and scroll bars inside it; the
    // frame itself is painted here, not by QFrame.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(FlatEditLook::kBorder);
    resize(185, 89);
    refreshLook();
}

void FlatMemo::SetColorFocused(TLN_Color color) {
    if (look_.SetColorFocused(color)) refreshLook();
}
void FlatMemo::SetColorBorder(TLN_Color color) {
    if (look_.SetColorBorder(color)) refreshLook();
}
void FlatMemo::SetColorFlat(TLN_Color color) {
    if (look_.SetColorFlat(color)) refreshLook();
}
void FlatMemo::SetUseAdvColors(bool on) {
    if (look_.SetUseAdvColors(on)) refreshLook();
}

bool FlatMemo::Highlighted() const {
    if (hasFocus()) return true;
    return underMouse() && isEnabled() && !qobject_cast<FlatMemo*>(QApplication::focusWidget());
}

void FlatMemo::refreshLook() {
    look_.applyBase(*this, Highlighted(), applyingPalette_);
    update();
}

bool FlatMemo::event(QEvent* event) {
    if (event->type() == QEvent::Paint) {
        // The border lies in the scroll area's own margin around the viewport; the inner colour also fills
        // the corner square between two scroll bars.
        QPainter painter(this);
        painter.fillRect(rect(), flat::toQColor(Highlighted() ? look_.colorFocused : look_.colorFlat));
        look_.paintBorder(painter, size(), Highlighted());
        return true;
    }
    const bool handled = QPlainTextEdit::event(event);
    if (FlatEditLook::refreshesOn(event->type(), applyingPalette_)) refreshLook();
    return handled;
}

bool FlatMemo::viewportEvent(QEvent* event) {
    const bool handled = QPlainTextEdit::viewportEvent(event);
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) refreshLook();
    return handled;
}
