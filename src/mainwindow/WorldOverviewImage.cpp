// Painting the world overview and its viewport frame.
#include "mainwindow/WorldOverviewImage.h"

#include <algorithm>

#include <QPainter>
#include <QPen>

#include "mainwindow/model/WorldOverview.h"

WorldOverviewImage::WorldOverviewImage(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_ = MakeWorldPicture(size());
}

void WorldOverviewImage::SetViewPort(const std::optional<MapViewPort>& port) {
    if (port == port_) return;
    port_ = port;
    update();
}

void WorldOverviewImage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (picture_.size() != size()) picture_ = MakeWorldPicture(size());
}

void WorldOverviewImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
    if (!port_ || width() < 3 || height() < 3) return;
    // The frame lies 2 pixels outside the viewport; a viewport reaching the picture's edges (the whole world
    // at the top level) would put it outside the picture, so it is kept one pixel inside to stay visible.
    const QRect frame = OverviewFrame(*port_, size());
    const int left = std::clamp(frame.left(), 1, width() - 2);
    const int right = std::clamp(frame.right(), 1, width() - 2);
    const int top = std::clamp(frame.top(), 1, height() - 2);
    const int bottom = std::clamp(frame.bottom(), 1, height() - 2);
    // Every pixel under the pen inverted, so the frame shows on any part of the picture.
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const QPoint corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top - 1}};
    painter.drawPolyline(corners, 5);
}
