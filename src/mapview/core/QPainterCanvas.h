// The map canvas over a QPainter (a widget or an offscreen QImage): pens as a GDI canvas draws them
// (one-pixel cosmetic lines, round caps and joins when wider), no antialiasing of shapes, "Arial" text.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <map>
#include <utility>
#include <vector>

#include "mapview/core/MapCanvas.h"

class QPainterCanvas : public MapCanvas {
public:
    // The painter stays the caller's; it must outlive the canvas.
    explicit QPainterCanvas(QPainter& painter);

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
    struct Face {
        QFont font;
        QFontMetrics metrics;
    };
    const Face& face(const MapFont& font);
    void usePen(const MapPen& pen);
    void useBrush(const MapBrush& brush);

    QPainter& painter_;
    std::map<std::pair<int, bool>, Face> faces_;
    std::vector<QLineF> dashes_;
};
