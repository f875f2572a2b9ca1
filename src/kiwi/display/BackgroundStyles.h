// Brush and pen styles of background type codes and of the map view's element kinds, kept as data.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "kiwi/core/KiwiPrimitives.h"

enum class TLN_BrushKind : uint8_t {
    Solid,
    VerticalHatch,
    // The brush paints the bitmap named in TLN_CanvasStyle::BrushBitmap (see KiwiBitmap).
    BitmapPattern,
};

// Dash and dot pens stay dashed and dotted at every width.
enum class TLN_PenKind : uint8_t { Solid, Dash, Dot };

// The brush and pen a drawing uses; the Apply functions change it in place, and the map view turns it
// into its own pen and brush.
struct TLN_CanvasStyle {
    TLN_Color BrushColor = 0xFFFFFF;
    TLN_BrushKind BrushKind = TLN_BrushKind::Solid;
    // The pattern's bitmap name when BrushKind is BitmapPattern, otherwise empty.
    std::string_view BrushBitmap;
    TLN_Color PenColor = 0x000000;
    TLN_PenKind PenKind = TLN_PenKind::Solid;
    int PenWidth = 1;
    bool operator==(const TLN_CanvasStyle&) const = default;
};

// One row of the background style table.
struct TLN_Background_TypeCode_Style {
    uint32_t TypeCode;
    std::string_view Name;
    TLN_Color BrushColor;
    TLN_BrushKind BrushStyle;
    TLN_PenKind PenStyle;
    int PenWidth;
    TLN_Color PenColor;
};

// Row 0 is the style of unknown codes. A code may stand in more than one row; the first one counts.
extern const std::array<TLN_Background_TypeCode_Style, 53> BackgroundTypeCodeStyles;

// The first row whose type code equals typeCode, or 0.
int BackgroundStyleIndex(uint32_t typeCode);
// Sets brush colour and style, pen colour, style and width from the code's row; the building codes
// 28693..28719 use the row of 28704. Returns false when the code fell to the "Unknown" row.
bool ApplyBackgroundStyle(uint32_t typeCode, TLN_CanvasStyle& canvas);
// The row's name; the building range is not mapped here, so its codes missing from the table are "Unknown".
std::string_view BackgroundTypeName(uint32_t typeCode);
// Sets brush and pen for a map view element kind (a background kind code). Kind 25 changes only the
// brush colour and keeps the brush style.
void ApplyElementStyle(int elementKind, TLN_CanvasStyle& canvas);
