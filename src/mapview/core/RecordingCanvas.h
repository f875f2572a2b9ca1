// A canvas that draws nothing and keeps every call with its points, style and text, so tests can check
// exactly what the renderer draws, where, in which style and in which order. Its text metrics are fixed
// (half the pixel height per character, one pixel more when bold; the pixel height tall), so results do
// not depend on fonts.
#pragma once

#include <vector>

#include "mapview/core/MapCanvas.h"

struct CanvasCall {
    enum class Kind : uint8_t { FillRect, Polyline, Polygon, Rectangle, Text, RotatedText, Image, FocusRect };
    Kind kind = Kind::Polyline;
    std::vector<QPoint> points;
    QRect rect;
    MapPen pen;
    MapBrush brush;
    QString text;
    MapFont font;
    QColor color;
    QColor background;
    double degrees = 0;
    QSize imageSize;
};

class RecordingCanvas : public MapCanvas {
public:
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

    const std::vector<CanvasCall>& Calls() const { return calls_; }
    // The calls of one kind, in order.
    std::vector<CanvasCall> CallsOf(CanvasCall::Kind kind) const;
    void Clear() { calls_.clear(); }

private:
    std::vector<CanvasCall> calls_;
};
