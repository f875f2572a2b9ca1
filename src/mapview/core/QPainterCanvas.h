// The map canvas over a QPainter (a widget or an offscreen QImage): pens as a GDI canvas draws them
// (one-pixel cosmetic lines, round caps and joins when wider), no antialiasing of shapes, "Arial" text.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <QStaticText>
#include <map>
#include <optional>
#include <unordered_map>
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
    struct LaidText {
        QStaticText text;
        QSize size;
    };
    struct TextKey {
        QString text;
        int pixelSize;
        bool bold;
        bool operator==(const TextKey&) const = default;
    };
    struct TextKeyHash {
        size_t operator()(const TextKey& key) const {
            return qHash(key.text) ^ (size_t(key.pixelSize) << 1) ^ size_t(key.bold);
        }
    };
    const Face& face(const MapFont& font);
    const LaidText& laidOut(const QString& text, const MapFont& font);
    void usePen(const MapPen& pen);
    void useBrush(const MapBrush& brush);

    QPainter& painter_;
    std::map<std::pair<int, bool>, Face> faces_;
    std::vector<QLineF> dashes_;
    // What the painter holds now (none after a call that set it otherwise).
    std::optional<MapPen> pen_;
    std::optional<MapBrush> brush_;
};
