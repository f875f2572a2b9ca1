// Laying out and turning texts once.
#include "mapview/core/CanvasTextStore.h"

#include <QPainter>
#include <QTransform>
#include <cmath>

namespace {
// Texts kept laid out before the store starts again.
constexpr size_t kLaidTextLimit = 16384;
// Bytes of turned text pictures kept before the store starts again.
constexpr size_t kTurnedTextBytes = size_t(16) << 20;
} // namespace

size_t CanvasTextStore::KeyHash::operator()(const TextKey& key) const {
    return qHash(key.text) ^ (size_t(key.pixelSize) << 1) ^ size_t(key.bold);
}

size_t CanvasTextStore::KeyHash::operator()(const TurnedKey& key) const {
    return (*this)(key.text) ^ (std::hash<double>()(key.degrees) << 3) ^ (size_t(key.color) << 5);
}

const CanvasTextStore::Face& CanvasTextStore::FaceOf(const MapFont& font) {
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

const CanvasTextStore::LaidText& CanvasTextStore::Laid(const QString& text, const MapFont& font) {
    TextKey key{text, font.pixelSize, font.bold};
    auto found = laid_.find(key);
    if (found != laid_.end()) return found->second;
    // Turned pictures refer to nothing here, so both stores may start again on their own.
    if (laid_.size() >= kLaidTextLimit) laid_.clear();
    const Face& face = FaceOf(font);
    LaidText entry;
    entry.text.setText(text);
    // Names are plain text, whatever they look like.
    entry.text.setTextFormat(Qt::PlainText);
    entry.text.setPerformanceHint(QStaticText::AggressiveCaching);
    entry.text.prepare(QTransform(), face.font);
    entry.size = QSize(face.metrics.horizontalAdvance(text), face.metrics.height());
    return laid_.emplace(std::move(key), std::move(entry)).first->second;
}

const CanvasTextStore::TurnedText& CanvasTextStore::Turned(const QString& text, const MapFont& font,
                                                           double degrees, const QColor& color) {
    TurnedKey key{{text, font.pixelSize, font.bold}, degrees, color.rgba()};
    auto found = turned_.find(key);
    if (found != turned_.end()) return found->second;
    if (turnedBytes_ > kTurnedTextBytes) {
        turned_.clear();
        turnedBytes_ = 0;
    }
    const LaidText& laid = Laid(text, font);
    QTransform rotation;
    rotation.rotate(-degrees);
    // Glyphs may reach a little past their cell.
    const int margin = std::max(2, font.pixelSize / 2);
    const QRectF cell = rotation.mapRect(QRectF(QPointF(0, 0), QSizeF(laid.size)));
    const QPoint offset(int(std::floor(cell.left())) - margin, int(std::floor(cell.top())) - margin);
    const QSize size(int(std::ceil(cell.right())) + margin - offset.x(),
                     int(std::ceil(cell.bottom())) + margin - offset.y());
    TurnedText entry{QImage(size, QImage::Format_ARGB32_Premultiplied), offset};
    entry.image.fill(Qt::transparent);
    QPainter painter(&entry.image);
    painter.translate(-offset);
    painter.rotate(-degrees);
    painter.setFont(FaceOf(font).font);
    painter.setPen(color);
    painter.drawStaticText(QPoint(0, 0), laid.text);
    painter.end();
    turnedBytes_ += size_t(entry.image.sizeInBytes());
    return turned_.emplace(std::move(key), std::move(entry)).first->second;
}
