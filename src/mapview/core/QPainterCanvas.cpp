// Drawing the map canvas's calls with QPainter.
#include "mapview/core/QPainterCanvas.h"

#include <QBrush>
#include <QLineF>
#include <QPen>
#include <cmath>

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

const QPainterCanvas::Face& QPainterCanvas::face(const MapFont& font) {
    const auto key = std::make_pair(font.pixelSize, font.bold);
    auto found = faces_.find(key);
    if (found == faces_.end()) {
        QFont qfont(QStringLiteral("Arial"));
        qfont.setPixelSize(std::max(1, font.pixelSize));
        qfont.setBold(font.bold);
        found = faces_.emplace(key, Face{qfont, QFontMetrics(qfont)}).first;
    }
    return found->second;
}

void QPainterCanvas::usePen(const MapPen& pen) {
    QPen qpen(pen.color);
    qpen.setWidth(std::max(1, pen.width));
    if (pen.width <= 1) {
        qpen.setCosmetic(true);
    } else {
        // What a GDI canvas does with a wide pen.
        qpen.setCapStyle(Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
    }
    switch (pen.kind) {
    case TLN_PenKind::Solid:
        qpen.setStyle(Qt::SolidLine);
        break;
    case TLN_PenKind::Dash:
        qpen.setStyle(Qt::DashLine);
        break;
    case TLN_PenKind::Dot:
        qpen.setStyle(Qt::DotLine);
        break;
    }
    painter_.setPen(qpen);
}

void QPainterCanvas::useBrush(const MapBrush& brush) {
    switch (brush.kind) {
    case MapBrushKind::None:
        painter_.setBrush(Qt::NoBrush);
        break;
    case MapBrushKind::Solid:
        painter_.setBrush(QBrush(brush.color));
        break;
    case MapBrushKind::VerticalHatch:
        painter_.setBrush(QBrush(brush.color, Qt::VerPattern));
        painter_.setBrushOrigin(brush.origin);
        break;
    case MapBrushKind::Pattern:
        if (brush.pattern.isNull()) {
            painter_.setBrush(QBrush(brush.color));
        } else {
            painter_.setBrush(QBrush(brush.pattern));
            painter_.setBrushOrigin(brush.origin);
        }
        break;
    }
}

void QPainterCanvas::FillRect(const QRect& rect, const QColor& color) {
    painter_.fillRect(rect, color);
}

void QPainterCanvas::Polyline(const QPoint* points, int count, const MapPen& pen) {
    if (count < 2) return;
    if (pen.kind == TLN_PenKind::Solid) {
        usePen(pen);
        painter_.drawPolyline(points, count);
        return;
    }
    // Dashes are laid out here along the whole line: a painter restarts them where it clips a line, so a
    // strip drawn on its own would not match the picture around it.
    MapPen solid = pen;
    solid.kind = TLN_PenKind::Solid;
    usePen(solid);
    const double width = std::max(1, pen.width);
    const double on = (pen.kind == TLN_PenKind::Dash ? 4 : 1) * width;
    const double period = on + 2 * width;
    dashes_.clear();
    double travelled = 0;
    for (int i = 1; i < count; ++i) {
        const QLineF segment(points[i - 1], points[i]);
        const double length = segment.length();
        double t = 0;
        while (t < length) {
            const double phase = std::fmod(travelled + t, period);
            if (phase < on) {
                const double end = std::min(length, t + (on - phase));
                dashes_.push_back(QLineF(segment.pointAt(t / length), segment.pointAt(end / length)));
                t = end;
            } else {
                t += period - phase;
            }
        }
        travelled += length;
    }
    painter_.drawLines(dashes_.data(), int(dashes_.size()));
}

void QPainterCanvas::Polygon(const QPoint* points, int count, const MapPen& pen, const MapBrush& brush) {
    if (count < 2) return;
    usePen(pen);
    useBrush(brush);
    painter_.drawPolygon(points, count, Qt::OddEvenFill);
}

void QPainterCanvas::Rectangle(const QRect& rect, const MapPen& pen, const MapBrush& brush) {
    usePen(pen);
    useBrush(brush);
    // A stroked QRect covers one pixel more than its size in each direction.
    painter_.drawRect(QRect(rect.left(), rect.top(), rect.width() - 1, rect.height() - 1));
}

QSize QPainterCanvas::TextSize(const QString& text, const MapFont& font) {
    const Face& f = face(font);
    return QSize(f.metrics.horizontalAdvance(text), f.metrics.height());
}

void QPainterCanvas::Text(QPoint topLeft, const QString& text, const MapFont& font, const QColor& color,
                          const QColor& background) {
    const Face& f = face(font);
    if (background.isValid())
        painter_.fillRect(QRect(topLeft, QSize(f.metrics.horizontalAdvance(text), f.metrics.height())),
                          background);
    painter_.setFont(f.font);
    painter_.setPen(color);
    painter_.drawText(QPoint(topLeft.x(), topLeft.y() + f.metrics.ascent()), text);
}

void QPainterCanvas::RotatedText(QPoint start, double degrees, const QString& text, const MapFont& font,
                                 const QColor& color) {
    const Face& f = face(font);
    painter_.save();
    painter_.translate(start);
    // Counter-clockwise on the screen, as the font escapement turns text.
    painter_.rotate(-degrees);
    painter_.setFont(f.font);
    painter_.setPen(color);
    painter_.drawText(QPoint(0, f.metrics.ascent()), text);
    painter_.restore();
}

void QPainterCanvas::Image(QPoint topLeft, const QImage& image) {
    painter_.drawImage(topLeft, image);
}

void QPainterCanvas::FocusRect(const QRect& rect) {
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setStyle(Qt::DotLine);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(rect.left(), rect.top(), rect.width() - 1, rect.height() - 1));
}
