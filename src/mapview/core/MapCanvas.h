// The small drawing surface the map renderer draws through: pens, brushes and fonts handed with every
// call, polylines, polygons, rectangles, texts (straight and rotated), pictures and focus rectangles in
// client pixels. A QPainter back end draws; a recording back end keeps the calls for tests.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "kiwi/display/BackgroundStyles.h"

struct MapPen {
    QColor color = Qt::black;
    int width = 1;
    TLN_PenKind kind = TLN_PenKind::Solid;
    bool operator==(const MapPen&) const = default;
};

enum class MapBrushKind : uint8_t { None, Solid, VerticalHatch, Pattern };

struct MapBrush {
    MapBrushKind kind = MapBrushKind::None;
    QColor color;
    // Pattern brushes: the bitmap's name and its picture, laid from origin (client pixels) so that the
    // pattern stays put on the map while the picture scrolls.
    std::string_view bitmap;
    QImage pattern;
    QPoint origin;
    bool operator==(const MapBrush& other) const {
        return kind == other.kind && color == other.color && bitmap == other.bitmap && origin == other.origin;
    }
};

// "Arial" at a pixel height.
struct MapFont {
    int pixelSize = 16;
    bool bold = false;
    bool operator==(const MapFont&) const = default;
};

class MapCanvas {
public:
    virtual ~MapCanvas() = default;

    virtual void FillRect(const QRect& rect, const QColor& color) = 0;
    virtual void Polyline(const QPoint* points, int count, const MapPen& pen) = 0;
    // Filled with the alternate (even-odd) rule.
    virtual void Polygon(const QPoint* points, int count, const MapPen& pen, const MapBrush& brush) = 0;
    // The outline runs over the rectangle's edge pixels (left to right, top to bottom, both included).
    virtual void Rectangle(const QRect& rect, const MapPen& pen, const MapBrush& brush) = 0;
    virtual QSize TextSize(const QString& text, const MapFont& font) = 0;
    // The text's cell has its top left corner at topLeft; a valid background fills the cell first.
    virtual void Text(QPoint topLeft, const QString& text, const MapFont& font, const QColor& color,
                      const QColor& background) = 0;
    // The text's cell turned counter-clockwise by degrees about its top left corner, which lies at start.
    virtual void RotatedText(QPoint start, double degrees, const QString& text, const MapFont& font,
                             const QColor& color) = 0;
    virtual void Image(QPoint topLeft, const QImage& image) = 0;
    virtual void FocusRect(const QRect& rect) = 0;
};
