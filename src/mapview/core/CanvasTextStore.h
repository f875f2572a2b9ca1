// Texts as the QPainter canvas draws them, kept from paint to paint: fonts with their metrics, texts laid
// out once, and turned texts drawn once into pictures that later paints only copy. One store serves one
// thread; the renderer keeps one per thread that draws with it.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QStaticText>
#include <map>
#include <unordered_map>
#include <utility>

#include "mapview/core/MapCanvas.h"

class CanvasTextStore {
public:
    struct Face {
        QFont font;
        QFontMetrics metrics;
    };
    struct LaidText {
        QStaticText text;
        QSize size;
    };
    // The text turned about its cell's top left corner; the picture's top left lies at offset from it.
    struct TurnedText {
        QImage image;
        QPoint offset;
    };

    const Face& FaceOf(const MapFont& font);
    const LaidText& Laid(const QString& text, const MapFont& font);
    const TurnedText& Turned(const QString& text, const MapFont& font, double degrees, const QColor& color);

private:
    struct TextKey {
        QString text;
        int pixelSize;
        bool bold;
        bool operator==(const TextKey&) const = default;
    };
    struct TurnedKey {
        TextKey text;
        double degrees;
        QRgb color;
        bool operator==(const TurnedKey&) const = default;
    };
    struct KeyHash {
        size_t operator()(const TextKey& key) const;
        size_t operator()(const TurnedKey& key) const;
    };

    std::map<std::pair<int, bool>, Face> faces_;
    std::unordered_map<TextKey, LaidText, KeyHash> laid_;
    std::unordered_map<TurnedKey, TurnedText, KeyHash> turned_;
    size_t turnedBytes_ = 0;
};
