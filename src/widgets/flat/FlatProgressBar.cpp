// Painting and clamped positions of the flat progress bar.
#include "widgets/flat/FlatProgressBar.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

FlatProgressBar::FlatProgressBar(QWidget* parent) : QProgressBar(parent) {
    QProgressBar::setRange(0, 100);
    QProgressBar::setValue(0);
    setTextVisible(false);
    resize(147, 16);
}

void FlatProgressBar::setValue(int value) {
    QProgressBar::setValue(std::clamp(value, minimum(), std::max(minimum(), maximum())));
}

void FlatProgressBar::setMaximum(int maximum) {
    setRange(std::min(minimum(), maximum), maximum);
}

void FlatProgressBar::setMinimum(int minimum) {
    setRange(minimum, std::max(minimum, maximum()));
}

void FlatProgressBar::setRange(int minimum, int maximum) {
    maximum = std::max(minimum, maximum);
    const int kept = std::clamp(value() < QProgressBar::minimum() ? minimum : value(), minimum, maximum);
    if (minimum == QProgressBar::minimum() && maximum == QProgressBar::maximum() && kept == value()) return;
    QProgressBar::setRange(minimum, maximum);
    QProgressBar::setValue(kept);
    update();
}

void FlatProgressBar::setOrientation(Qt::Orientation orientation) {
    if (orientation == this->orientation()) return;
    QProgressBar::setOrientation(orientation);
    resize(height(), width());
    update();
}

void FlatProgressBar::SetColorElement(TLN_Color color) {
    if (flat::storeChanged(colorElement_, color)) update();
}
void FlatProgressBar::SetColorBorder(TLN_Color color) {
    if (flat::storeChanged(colorBorder_, color)) update();
}
void FlatProgressBar::SetUseAdvColors(bool on) {
    if (flat::storeChanged(useAdvColors_, on)) calcAdvColors();
}
void FlatProgressBar::SetAdvColorBorder(flat::TAdvColors percent) {
    if (flat::storeChanged(advColorBorder_, percent)) calcAdvColors();
}
void FlatProgressBar::SetSmooth(bool smooth) {
    if (flat::storeChanged(smooth_, smooth)) update();
}
void FlatProgressBar::SetTransparent(bool transparent) {
    if (flat::storeChanged(transparent_, transparent)) update();
}

void FlatProgressBar::calcAdvColors() {
    if (!useAdvColors_) return;
    colorBorder_ = flat::LightenColor(flat::fromQColor(palette().color(QPalette::Window)), colorBorder_,
                                      advColorBorder_, true);
    update();
}

void FlatProgressBar::changeEvent(QEvent* event) {
    QProgressBar::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) calcAdvColors();
}

int FlatProgressBar::ElementCount(int length) {
    return std::max(0, (length - 3) / (kElementWidth + 1));
}

int FlatProgressBar::FilledElements(int position, int minimum, int maximum, int count) {
    // An empty range has nothing to show (and would divide by zero).
    if (maximum <= minimum || count <= 0) return 0;
    const double perElement = double(maximum - minimum) / count;
    const double filled =
        std::trunc(double(std::clamp(position, minimum, maximum) - minimum) / perElement + 1e-8);
    return std::clamp(static_cast<int>(filled), 0, count);
}

QSize FlatProgressBar::sizeHint() const {
    return orientation() == Qt::Horizontal ? QSize(147, 16) : QSize(16, 147);
}

QSize FlatProgressBar::minimumSizeHint() const {
    return orientation() == Qt::Horizontal ? QSize(12, 8) : QSize(8, 12);
}

void FlatProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool horizontal = orientation() == Qt::Horizontal;
    if (!transparent_) painter.fillRect(rect(), palette().color(QPalette::Window));

    // Stepped bars end after their last whole element; the widget keeps its size (resizing it while
    // painting would fight the layout), the frame is drawn at the snapped length.
    int length = horizontal ? width() : height();
    if (!smooth_) length = length >= 12 ? ElementCount(length) * (kElementWidth + 1) + 3 : 12;
    const QRect frame =
        horizontal ? QRect(0, 0, length, height()) : QRect(0, height() - length, width(), length);
    const QColor border = flat::toQColor(colorBorder_);
    painter.fillRect(QRect(frame.left(), frame.top(), frame.width(), 1), border);
    painter.fillRect(QRect(frame.left(), frame.bottom(), frame.width(), 1), border);
    painter.fillRect(QRect(frame.left(), frame.top(), 1, frame.height()), border);
    painter.fillRect(QRect(frame.right(), frame.top(), 1, frame.height()), border);

    const QColor element = flat::toQColor(colorElement_);
    const int across = (horizontal ? height() : width()) - 4;
    if (across <= 0) return;
    if (smooth_) {
        if (maximum() <= minimum()) return;
        const double share = double(value() - minimum()) / double(maximum() - minimum());
        const int inner = length - 4;
        const int filled = static_cast<int>(std::lround(inner * std::clamp(share, 0.0, 1.0)));
        if (horizontal)
            painter.fillRect(QRect(2, 2, filled, across), element);
        else
            painter.fillRect(QRect(2, height() - 2 - filled, across, filled), element);
        return;
    }
    const int count = ElementCount(length);
    const int filled = FilledElements(value(), minimum(), maximum(), count);
    for (int k = 0; k < filled; ++k) {
        const int at = 2 + k * (kElementWidth + 1);
        if (horizontal)
            painter.fillRect(QRect(at, 2, kElementWidth, across), element);
        else
            painter.fillRect(QRect(2, height() - at - kElementWidth, across, kElementWidth), element);
    }
}
