// Shared drawing helpers of the flat controls.
#include "widgets/flat/FlatDrawing.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

#include "kiwi/display/WindowsColor.h"
#include "widgets/flat/HslColor.h"

namespace flat {

TLN_Color ColorToRGB(TLN_Color color) {
    if (!(color & kSystemColorFlag)) return color & 0x00FFFFFFu;
    QPalette::ColorRole role = QPalette::Window;
    switch (color & 0xFF) {
    case 15:
        role = QPalette::Button;
        break;
    case 16:
        role = QPalette::Dark;
        break;
    case 20:
        role = QPalette::Light;
        break;
    case 13:
        role = QPalette::Highlight;
        break;
    case 5:
        role = QPalette::Base;
        break;
    case 8:
        role = QPalette::Text;
        break;
    default:
        break;
    }
    return fromQColor(QApplication::palette().color(role));
}

QColor toQColor(TLN_Color color) {
    return winColor(ColorToRGB(color));
}

TLN_Color fromQColor(const QColor& color) {
    return static_cast<TLN_Color>(color.red()) | (static_cast<TLN_Color>(color.green()) << 8) |
           (static_cast<TLN_Color>(color.blue()) << 16);
}

TLN_Color LightenColor(TLN_Color base, TLN_Color current, TAdvColors percent, bool darken) {
    if (percent == 0) return current;
    int h = 0, s = 0, l = 0;
    RGBToHSLRange(ColorToRGB(base), h, s, l);
    l += 10;
    l = darken ? std::max(l - percent, 0) : std::min(l + percent, HSLRange);
    return HSLRangeToRGB(h, s, l);
}

void DrawFrame3D(QPainter& painter, WinRect& rect, const QColor& topLeft, int width,
                 const QColor& bottomRight) {
    // The two L-shaped strokes of each frame as filled runs, so no pen geometry can move them by a pixel:
    // the left column and top row (without the top right pixel) in topLeft, then the right column and the
    // bottom row in bottomRight.
    rect.bottom -= 1;
    rect.right -= 1;
    for (int i = 0; i < width; ++i) {
        const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
        if (r >= l && b >= t) {
            painter.fillRect(QRect(l, t, 1, b - t + 1), topLeft);
            if (r > l) painter.fillRect(QRect(l, t, r - l, 1), topLeft);
            if (b > t) painter.fillRect(QRect(r, t, 1, b - t), bottomRight);
            painter.fillRect(QRect(l, b, r - l + 1, 1), bottomRight);
        }
        rect.left += 1;
        rect.top += 1;
        rect.right -= 1;
        rect.bottom -= 1;
    }
    rect.bottom += 1;
    rect.right += 1;
}

QImage MakeDisabledGlyph(const QImage& glyph, const QColor& transparent, const QColor& background,
                         bool threeD, const QColor& shadow, const QColor& highlight) {
    QImage result(glyph.size(), QImage::Format_ARGB32);
    result.fill(background);
    const QRgb clear = transparent.rgb();
    auto paintMask = [&](int dx, int dy, const QColor& color) {
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x) {
                const int tx = x + dx, ty = y + dy;
                if (tx >= result.width() || ty >= result.height()) continue;
                if ((glyph.pixel(x, y) & 0xFFFFFF) != (clear & 0xFFFFFF)) result.setPixelColor(tx, ty, color);
            }
    };
    if (threeD) paintMask(1, 1, highlight);
    paintMask(0, 0, shadow);
    return result;
}

GlyphAndCaption LayoutGlyphAndCaption(const WinRect& client, QPoint offset, QSize textSize,
                                      GlyphLayout layout, int margin, int spacing, QSize glyphSize) {
    const QSize clientSize(client.width(), client.height());
    QPoint glyphPos, textPos;
    const bool horizontal = layout == GlyphLayout::Left || layout == GlyphLayout::Right;
    if (horizontal) {
        glyphPos.setY((clientSize.height() - glyphSize.height() + 1) / 2);
        textPos.setY((clientSize.height() - textSize.height() + 1) / 2);
    } else {
        glyphPos.setX((clientSize.width() - glyphSize.width() + 1) / 2);
        textPos.setX((clientSize.width() - textSize.width() + 1) / 2);
    }
    if (textSize.width() == 0 || glyphSize.width() == 0) spacing = -1;

    // Extents along the layout axis.
    const int clientExtent = horizontal ? clientSize.width() : clientSize.height();
    const int glyphExtent = horizontal ? glyphSize.width() : glyphSize.height();
    const int textExtent = horizontal ? textSize.width() : textSize.height();
    if (margin == -1 && spacing == -1) {
        margin = spacing = (clientExtent - (glyphExtent + textExtent)) / 3;
    } else if (margin == -1) {
        margin = (clientExtent - (glyphExtent + spacing + textExtent) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (clientExtent - (margin + glyphExtent) - textExtent) / 2;
    }

    int glyphAt = 0, textAt = 0;
    if (layout == GlyphLayout::Left || layout == GlyphLayout::Top) {
        glyphAt = margin;
        textAt = margin + glyphExtent + spacing;
    } else {
        glyphAt = clientExtent - margin - glyphExtent;
        textAt = glyphAt - spacing - textExtent;
    }
    if (horizontal) {
        glyphPos.setX(glyphAt);
        textPos.setX(textAt);
    } else {
        glyphPos.setY(glyphAt);
        textPos.setY(textAt);
    }
    const QPoint shift(client.left + offset.x(), client.top + offset.y());
    glyphPos += shift;
    textPos += shift;
    GlyphAndCaption out;
    out.glyph = glyphPos;
    out.text =
        WinRect{textPos.x(), textPos.y(), textPos.x() + textSize.width(), textPos.y() + textSize.height()};
    return out;
}

int FontLineHeight(int cellHeight) {
    return static_cast<int>(std::nearbyint(cellHeight + cellHeight / 8.0));
}

int GetFontLineHeight(const QFont& font) {
    return FontLineHeight(QFontMetrics(font).height());
}

} // namespace flat
