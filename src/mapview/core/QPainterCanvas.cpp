// Drawing the map canvas's calls with QPainter.
#include "mapview/core/QPainterCanvas.h"

#include <QBrush>
#include <QLineF>
#include <QPen>
#include <cmath>

namespace {
// Pens from this width on have round ends and joins.
constexpr int kRoundPenWidth = 3;
} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter, CanvasTextStore* store) : painter_(painter), store_(store) {
    if (!store_) {
        own_ = std::make_unique<CanvasTextStore>();
        store_ = own_.get();
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

void QPainterCanvas::usePen(const MapPen& pen) {
    // Thousands of lines share a few pens: the painter's state changes only when the pen does.
    if (pen_ && *pen_ == pen) return;
    pen_ = pen;
    QPen qpen(pen.color);
    qpen.setWidth(std::max(1, pen.width));
    if (pen.width <= 1) {
        qpen.setCosmetic(true);
    } else if (pen.width >= kRoundPenWidth) {
        // What a GDI canvas does with a wide pen.
        qpen.setCapStyle(Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
    } else {
        // Two pixels wide, a round end or bend looks like a square one and costs twice as much to draw.
        qpen.setCapStyle(Qt::SquareCap);
        qpen.setJoinStyle(Qt::MiterJoin);
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
    if (brush_ && *brush_ == brush) return;
    brush_ = brush;
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
    return store_->Laid(text, font).size;
}

void QPainterCanvas::Text(QPoint topLeft, const QString& text, const MapFont& font, const QColor& color,
                          const QColor& background) {
    const CanvasTextStore::LaidText& laid = store_->Laid(text, font);
    if (background.isValid()) painter_.fillRect(QRect(topLeft, laid.size), background);
    painter_.setFont(store_->FaceOf(font).font);
    painter_.setPen(color);
    pen_.reset();
    painter_.drawStaticText(topLeft, laid.text);
}

void QPainterCanvas::RotatedText(QPoint start, double degrees, const QString& text, const MapFont& font,
                                 const QColor& color) {
    // Turned text would be drawn glyph outline by glyph outline; its picture is made once and copied.
    const CanvasTextStore::TurnedText& turned = store_->Turned(text, font, degrees, color);
    painter_.drawImage(start + turned.offset, turned.image);
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
    pen_.reset();
    brush_.reset();
    painter_.drawRect(QRect(rect.left(), rect.top(), rect.width() - 1, rect.height() - 1));
}
