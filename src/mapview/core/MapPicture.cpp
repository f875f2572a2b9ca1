// Drawing and scrolling map pictures.
#include "mapview/core/MapPicture.h"

#include <QPainter>
#include <cstdlib>

#include "mapview/core/QPainterCanvas.h"

MapPicture RenderPicture(MapRenderer& renderer, const MapRenderView& view, int devicePixelRatio,
                         const std::atomic<bool>* cancel) {
    const int ratio = std::max(1, devicePixelRatio);
    MapPicture picture;
    picture.view = view;
    picture.image =
        QImage(std::max(1, view.width) * ratio, std::max(1, view.height) * ratio, QImage::Format_RGB32);
    picture.image.setDevicePixelRatio(ratio);
    QPainter painter(&picture.image);
    QPainterCanvas canvas(painter, &renderer.TextStore());
    picture.stats = renderer.Render(canvas, QRect(0, 0, view.width, view.height), view, cancel);
    return picture;
}

bool ScrollPicture(MapPicture& picture, MapRenderer& renderer, const MapRenderView& view) {
    if (picture.image.isNull() || !picture.view.SameContent(view)) return false;
    const int64_t upp = std::max(1, view.unitsPerPixel);
    const int64_t movedX = picture.view.originX - view.originX;
    const int64_t movedY = view.originY - picture.view.originY;
    if (movedX == 0 && movedY == 0) {
        picture.view = view;
        return true;
    }
    if (movedX % upp != 0 || movedY % upp != 0) return false;
    const int64_t shiftX = movedX / upp;
    const int64_t shiftY = movedY / upp;
    if (std::llabs(shiftX) >= view.width || std::llabs(shiftY) >= view.height) return false;
    const int dx = int(shiftX), dy = int(shiftY);

    QImage moved(picture.image.size(), picture.image.format());
    moved.setDevicePixelRatio(picture.image.devicePixelRatio());
    QPainter painter(&moved);
    painter.drawImage(QPoint(dx, dy), picture.image);
    QPainterCanvas canvas(painter, &renderer.TextStore());
    const QRect whole(0, 0, view.width, view.height);
    const QRect columns = dx > 0 ? QRect(0, 0, dx, view.height) : QRect(view.width + dx, 0, -dx, view.height);
    const QRect rows = dy > 0 ? QRect(0, 0, view.width, dy) : QRect(0, view.height + dy, view.width, -dy);
    // Each strip is drawn clipped to itself, so nothing already on the picture is drawn twice.
    for (const QRect& strip : {columns.intersected(whole), rows.intersected(whole)}) {
        if (strip.isEmpty()) continue;
        painter.save();
        painter.setClipRect(strip);
        renderer.Render(canvas, strip, view);
        painter.restore();
    }
    painter.end();
    picture.image = std::move(moved);
    picture.view = view;
    return true;
}
