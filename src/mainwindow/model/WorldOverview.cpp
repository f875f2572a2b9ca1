// The world overview's picture and the frame of the map view's viewport on it.
#include "mainwindow/model/WorldOverview.h"

#include <algorithm>

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include "platform/MulDiv.h"

namespace {
// Half the world's longitudes and latitudes in 1/8 arc-second (180 and 90 degrees).
constexpr int64_t kHalfLongitudes = 5184000;
constexpr int64_t kHalfLatitudes = 2592000;
// The frame stands this many pixels outside the viewport.
constexpr int kMargin = 2;

// Picture coordinates far outside the picture are drawn clipped anyway; keeping them near it keeps every
// later sum within int.
int bounded(int64_t value, int64_t side) {
    return int(std::clamp<int64_t>(value, -side - 16, 2 * side + 16));
}
} // namespace

QRect OverviewFrame(const MapViewPort& port, QSize picture) {
    const int64_t w = picture.width(), h = picture.height();
    const int64_t left = MulDiv64(w, int64_t(port.left) + kHalfLongitudes, 2 * kHalfLongitudes) - kMargin;
    const int64_t right = MulDiv64(w, int64_t(port.right) + kHalfLongitudes, 2 * kHalfLongitudes) + kMargin;
    const int64_t top = h - MulDiv64(h, int64_t(port.top) + kHalfLatitudes, 2 * kHalfLatitudes) - kMargin;
    const int64_t bottom =
        h - MulDiv64(h, int64_t(port.bottom) + kHalfLatitudes, 2 * kHalfLatitudes) + kMargin;
    return QRect(QPoint(bounded(left, w), bounded(top, h)), QPoint(bounded(right, w), bounded(bottom, h)));
}

QImage MakeWorldPicture(QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    QPainter painter(&image);
    QLinearGradient ocean(0, 0, 0, h);
    ocean.setColorAt(0.0, QColor(0x12, 0x35, 0x5e));
    ocean.setColorAt(0.5, QColor(0x2a, 0x6f, 0xb0));
    ocean.setColorAt(1.0, QColor(0x12, 0x35, 0x5e));
    painter.fillRect(image.rect(), ocean);
    const QColor faint(255, 255, 255, 60), strong(255, 255, 255, 130);
    for (int degrees = -150; degrees <= 150; degrees += 30) {
        const int x = int(MulDiv64(w, degrees + 180, 360));
        painter.setPen(QPen(degrees == 0 ? strong : faint, 1));
        painter.drawLine(x, 0, x, h - 1);
    }
    for (int degrees = -60; degrees <= 60; degrees += 30) {
        const int y = h - int(MulDiv64(h, degrees + 90, 180));
        painter.setPen(QPen(degrees == 0 ? strong : faint, 1));
        painter.drawLine(0, y, w - 1, y);
    }
    return image;
}
