// Drawing helpers every flat control shares: system colours resolved to RGB, the lightening of a colour for
// the advanced colours, a 3-D frame, a greyed glyph for disabled buttons and the glyph-and-caption layout.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>

#include "kiwi/core/KiwiPrimitives.h"

class QFont;
class QPainter;

namespace flat {

// A rectangle whose right and bottom edges are exclusive (QRect's right() and bottom() are inclusive, which
// would put every frame one pixel off).
struct WinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const WinRect&, const WinRect&) = default;
};

// System colours carry this flag with the colour index in the low byte.
inline constexpr TLN_Color kSystemColorFlag = 0x80000000u;
inline constexpr TLN_Color kColorBtnFace = kSystemColorFlag | 15;
inline constexpr TLN_Color kColorBtnShadow = kSystemColorFlag | 16;
inline constexpr TLN_Color kColorBtnHighlight = kSystemColorFlag | 20;
inline constexpr TLN_Color kColorHighlight = kSystemColorFlag | 13;
inline constexpr TLN_Color kColorWindow = kSystemColorFlag | 5;

// A system colour as the application palette gives it now; an RGB value unchanged.
TLN_Color ColorToRGB(TLN_Color color);
// The Qt colour of a colour value, system colours included.
QColor toQColor(TLN_Color color);
TLN_Color fromQColor(const QColor& color);

// The percentage (0..100) of an advanced colour.
using TAdvColors = int;

// The colour `base` lightened (or darkened) by `percent` points of lightness; 0 returns `current` unchanged.
// The lightness stays inside its scale: lightening a light colour never makes it darker.
TLN_Color LightenColor(TLN_Color base, TLN_Color current, TAdvColors percent, bool darken);

// Draws `width` nested one-pixel frames, top and left in `topLeft`, bottom and right in `bottomRight`, and
// shrinks `rect` to the area inside them.
void DrawFrame3D(QPainter& painter, WinRect& rect, const QColor& topLeft, int width,
                 const QColor& bottomRight);

// The greyed image of a glyph: the pixels that are not `transparent` drawn in `shadow` on `background`,
// with a `highlight` copy one pixel lower right beneath them when `threeD` is set.
QImage MakeDisabledGlyph(const QImage& glyph, const QColor& transparent, const QColor& background,
                         bool threeD, const QColor& shadow, const QColor& highlight);

// Where the glyph sits relative to the caption (the values follow the toolkit's button layouts).
enum class GlyphLayout { Left = 0, Right = 1, Top = 2, Bottom = 3 };

struct GlyphAndCaption {
    QPoint glyph;
    WinRect text;
};

// Places a glyph of `glyphSize` and a caption of `textSize` (0 x 0 for none) in `client`, shifted by
// `offset` (the pressed look). Margin and spacing -1 mean "share the room evenly".
GlyphAndCaption LayoutGlyphAndCaption(const WinRect& client, QPoint offset, QSize textSize,
                                      GlyphLayout layout, int margin, int spacing, QSize glyphSize);

// The height of one line of a font whose character cell is `cellHeight` high: an eighth more.
int FontLineHeight(int cellHeight);
int GetFontLineHeight(const QFont& font);

// Stores `value` in `field` when it differs; true when it did (the caller then repaints).
template <class T> bool storeChanged(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace flat
