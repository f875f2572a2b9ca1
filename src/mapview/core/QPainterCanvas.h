// The map canvas over a QPainter (a widget or an offscreen QImage): pens as a GDI canvas draws them
// (one-pixel cosmetic lines, round caps and joins when wider), no antialiasing of shapes, "Arial" text.
#pragma once

#include <QLineF>
#include <QPainter>
#include <memory>
#include <optional>
#include <vector>

#include "mapview/core/CanvasTextStore.h"
#include "mapview/core/MapCanvas.h"

class QPainterCanvas : public MapCanvas {
public:
    // The painter stays the caller's; it must outlive the canvas. Texts come from store (one of the
    // drawing thread's, kept between paints) or, without one, from a store of the canvas's own.
    explicit QPainterCanvas(QPainter& painter, CanvasTextStore* store = nullptr);

    void FillRect(const QRect& rect, const QColor& color) override;
    void Polyline(const QPoint* points, int count, const MapPen& pen) override;
    void Polygon(const QPoint* points, int count, const MapPen& pen, const MapBrush& brush) override;
    void Rectangle(const QRect& rect, const MapPen& pen, const MapBrush& brush) override;
    QSize TextSize(const QString& text, const MapFont& font) override;
    void Text(QPoint topLeft, const QString& text, const MapFont& font, const QColor& color,
              const QColor& background) override;
    void RotatedText(QPoint start, double degrees, const QString& text, const MapFont& font,
                     const QColor& color) override;
    void Image(QPoint topLeft, const QImage& image) override;
    void FocusRect(const QRect& rect) override;

private:
    void usePen(const MapPen& pen);
    void useBrush(const MapBrush& brush);

    QPainter& painter_;
    CanvasTextStore* store_;
    std::unique_ptr<CanvasTextStore> own_;
    std::vector<QLineF> dashes_;
    // What the painter holds now (none after a call that set it otherwise).
    std::optional<MapPen> pen_;
    std::optional<MapBrush> brush_;
};
