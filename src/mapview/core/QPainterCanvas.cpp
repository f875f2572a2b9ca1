// Drawing the map canvas's calls with QPainter.
#include "mapview/core/QPainterCanvas.h"

#include <QBrush>
#include <QLineF>
#include <QPen>
#include <cmath>

namespace {
// Pens from this width on have round ends and joins.
constexpr int kRoundPenWidth = 3;
// Texts kept laid out per thread before the store starts again.
constexpr size_t kLaidTextLimit = 16384;
// Bytes of turned text pictures kept per thread before the store starts again.
constexpr size_t kTurnedTextBytes = size_t(16) << 20;
} // namespace

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

const QPainterCanvas::LaidText& QPainterCanvas::laidOut(const QString& text, const MapFont& font) {
    // Names repeat from paint to paint: each text is shaped once per thread and drawn from its layout.
    thread_local std::unordered_map<TextKey, LaidText, TextKeyHash> laid;
    TextKey key{text, font.pixelSize, font.bold};
    auto found = laid.find(key);
    if (found != laid.end()) return found->second;
    if (laid.size() >= kLaidTextLimit) laid.clear();
    const Face& f = face(font);
    LaidText entry;
    entry.text.setText(text);
    entry.text.setTextFormat(Qt::PlainText);
    entry.text.setPerformanceHint(QStaticText::AggressiveCaching);
    entry.text.prepare(QTransform(), f.font);
    entry.size = QSize(f.metrics.horizontalAdvance(text), f.metrics.height());
    return laid.emplace(std::move(key), std::move(entry)).first->second;
}

QSize QPainterCanvas::TextSize(const QString& text, const MapFont& font) {
    return laidOut(text, font).size;
}

void QPainterCanvas::Text(QPoint topLeft, const QString& text, const MapFont& font, const QColor& color,
                          const QColor& background) {
    const LaidText& laid = laidOut(text, font);
    if (background.isValid()) painter_.fillRect(QRect(topLeft, laid.size), background);
    painter_.setFont(face(font).font);
    painter_.setPen(color);
    pen_.reset();
    painter_.drawStaticText(topLeft, laid.text);
}

void QPainterCanvas::RotatedText(QPoint start, double degrees, const QString& text, const MapFont& font,
                                 const QColor& color) {
    // Turned text is drawn glyph outline by glyph outline; each text, angle and colour is drawn once per
    // thread into a picture that later paints only copy.
    struct Key {
        QString text;
        int pixelSize;
        bool bold;
        double degrees;
        QRgb color;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const {
            return qHash(key.text) ^ (size_t(key.pixelSize) << 1) ^ size_t(key.bold) ^
                   (std::hash<double>()(key.degrees) << 3) ^ (size_t(key.color) << 5);
        }
    };
    struct Turned {
        QImage image;
        QPoint offset;
    };
    thread_local std::unordered_map<Key, Turned, KeyHash> turned;
    thread_local size_t turnedBytes = 0;

    Key key{text, font.pixelSize, font.bold, degrees, color.rgba()};
    auto found = turned.find(key);
    if (found == turned.end()) {
        if (turnedBytes > kTurnedTextBytes) {
            turned.clear();
            turnedBytes = 0;
        }
        const LaidText& laid = laidOut(text, font);
        QTransform rotation;
        rotation.rotate(-degrees);
        // Glyphs may reach a little past their cell.
        const int margin = std::max(2, font.pixelSize / 2);
        const QRectF cell = rotation.mapRect(QRectF(QPointF(0, 0), QSizeF(laid.size)));
        const QPoint offset(int(std::floor(cell.left())) - margin, int(std::floor(cell.top())) - margin);
        const QSize size(int(std::ceil(cell.right())) + margin - offset.x(),
                         int(std::ceil(cell.bottom())) + margin - offset.y());
        Turned entry{QImage(size, QImage::Format_ARGB32_Premultiplied), offset};
        entry.image.fill(Qt::transparent);
        QPainter painter(&entry.image);
        painter.translate(-offset);
        painter.rotate(-degrees);
        painter.setFont(face(font).font);
        painter.setPen(color);
        painter.drawStaticText(QPoint(0, 0), laid.text);
        painter.end();
        turnedBytes += size_t(entry.image.sizeInBytes());
        found = turned.emplace(std::move(key), std::move(entry)).first;
    }
    painter_.drawImage(start + found->second.offset, found->second.image);
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
