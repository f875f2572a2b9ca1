// The background style table and the element styles of the map view.
#include "kiwi/display/BackgroundStyles.h"

namespace {
constexpr TLN_BrushKind solid = TLN_BrushKind::Solid;
constexpr TLN_BrushKind verticalHatch = TLN_BrushKind::VerticalHatch;
constexpr TLN_PenKind solidPen = TLN_PenKind::Solid;
constexpr TLN_PenKind dash = TLN_PenKind::Dash;
constexpr TLN_PenKind dot = TLN_PenKind::Dot;

// Building codes that share the style of 28704.
constexpr uint32_t kFirstBuildingCode = 28693;
constexpr uint32_t kLastBuildingCode = 28719;
constexpr uint32_t kBuildingStyleCode = 28704;

void setSolidBrush(TLN_CanvasStyle& canvas, TLN_Color color) {
    canvas.BrushColor = color;
    canvas.BrushKind = TLN_BrushKind::Solid;
    canvas.BrushBitmap = {};
}

void setSolidPen(TLN_CanvasStyle& canvas, TLN_Color color, int width) {
    canvas.PenColor = color;
    canvas.PenKind = TLN_PenKind::Solid;
    canvas.PenWidth = width;
}
} // namespace

// Type code, name, brush colour, brush style, pen style, pen width, pen colour.
const std::array<TLN_Background_TypeCode_Style, 53> BackgroundTypeCodeStyles = {{
    {0, "Unknown", 0x9FFF9F, solid, solidPen, 1, 0x9FFF9F},
    {257, "Map Area", 0xFFFFFF, solid, solidPen, 1, 0xFFFFFF},
    {272, "Element with altitude", 0xEFEED1, solid, solidPen, 1, 0xEFEED1},
    {288, "Other waterway", 0xFDC5A6, solid, solidPen, 1, 0xFDC5A6},
    {289, "Sea", 0xFDC5A6, solid, solidPen, 1, 0xFDC5A6},
    {290, "Lake", 0xFDC5A6, solid, solidPen, 1, 0xFDC5A6},
    {291, "River", 0xFDC5A6, solid, solidPen, 1, 0xFDC5A6},
    {292, "Canal", 0xFDC5A6, solid, solidPen, 1, 0xFDC5A6},
    {296, "Island", 0x007500, solid, solidPen, 1, 0x007500},
    {304, "Other boundary", 0xC0C0C0, solid, solidPen, 1, 0xC0C0C0},
    {305, "Country Border", 0xC0C0C0, solid, solidPen, 1, 0xC0C0C0},
    {306, "State Border", 0xC0C0C0, solid, solidPen, 1, 0xC0C0C0},
    {308, "Municipal Area", 0xFFFFFF, solid, solidPen, 1, 0xFFFFFF},
    {311, "Other Area", 0xFFFFFF, solid, solidPen, 1, 0xFFFFFF},
    {313, "Other Area", 0xFFFFFF, solid, solidPen, 1, 0xFFFFFF},
    {320, "Urban Area", 0xE1F7F5, solid, solidPen, 1, 0xE1F7F5},
    {321, "Green Park", 0x62C25C, solid, solidPen, 1, 0x62C25C},
    {322, "Factory Site", 0x808080, solid, solidPen, 1, 0x808080},
    {323, "Building", 0xB9DFF9, solid, solidPen, 1, 0xB9DFF9},
    {528, "Road type 0", 0x5769E8, solid, solidPen, 4, 0x5769E8},
    {640, "Airport", 0xC99CC1, solid, solidPen, 1, 0xC99CC1},
    {576, "Private Railway", 0xFFFFFF, solid, dash, 1, 0x000000},
    {578, "Railway", 0xFFFFFF, solid, dash, 4, 0x000000},
    {581, "Other Railway", 0xFFFFFF, solid, dash, 1, 0x000000},
    {608, "Passenger Station", 0xC0C0C0, verticalHatch, dot, 2, 0xC0C0C0},
    {1024, "Other Facility", 0xC0C0C0, solid, dot, 1, 0xC0C0C0},
    {1120, "Other School", 0xC99CC1, solid, dot, 1, 0xC99CC1},
    {1124, "University, college", 0xC99CC1, solid, dot, 1, 0xC99CC1},
    {1032, "Tomb", 0x008080, solid, dot, 1, 0x008080},
    {1152, "Hospital", 0x72E0FC, solid, dot, 1, 0x72E0FC},
    {1280, "Shopping", 0x96F1F3, solid, dot, 1, 0x96F1F3},
    {1344, "Shopping", 0x96F1F3, solid, dot, 1, 0x96F1F3},
    {1376, "Shopping", 0x96F1F3, solid, dot, 1, 0x96F1F3},
    {1382, "Shopping", 0x96F1F3, solid, dot, 1, 0x96F1F3},
    {1568, "Shopping", 0xC99CC1, solid, dot, 1, 0xC99CC1},
    {1571, "Shopping", 0x96F1F3, solid, dot, 1, 0x96F1F3},
    {21120, "Amusement", 0x00F000, solid, dot, 1, 0x00F000},
    {25088, "Town area", 0x67CE00, solid, solidPen, 1, 0x67CE00},
    {28696, "Building", 0x96F1F3, solid, solidPen, 1, 0x96F1F3},
    {28697, "Building", 0x96F1F3, solid, solidPen, 1, 0x96F1F3},
    {28704, "Building", 0xE0D1ED, solid, solidPen, 1, 0xE0D1ED},
    {36992, "GreenLand", 0x3D912B, solid, solidPen, 1, 0x3D912B},
    {61478, "GreenLand", 0x3D912B, solid, solidPen, 1, 0x3D912B},
    {61479, "NearMountans", 0x88CACA, solid, solidPen, 1, 0x88CACA},
    {61482, "Mountans", 0x2E6C8D, solid, solidPen, 1, 0x2E6C8D},
    {61483, "HighMountans", 0x29617E, solid, solidPen, 1, 0x29617E},
    {61484, "VeryHighMountans", 0x225068, solid, solidPen, 1, 0x225068},
    {61485, "VeryVeryHighMountans", 0x1B3F52, solid, solidPen, 1, 0x1B3F52},
    {61487, "VeryVeryHighMountans", 0x14303F, solid, solidPen, 1, 0x14303F},
    {61489, "VeryVeryHighMountans", 0x14303F, solid, solidPen, 1, 0x14303F},
    {61566, "Urban Area", 0xE1F7F5, solid, solidPen, 1, 0xE1F7F5},
    {61551, "Building", 0x96F1F3, solid, solidPen, 1, 0x96F1F3},
    {61489, "EXPLORE", 0x00FFFF, solid, solidPen, 1, 0x00FFFF},
}};

int BackgroundStyleIndex(uint32_t typeCode) {
    for (std::size_t row = 0; row < BackgroundTypeCodeStyles.size(); ++row)
        if (BackgroundTypeCodeStyles[row].TypeCode == typeCode) return static_cast<int>(row);
    return 0;
}

bool ApplyBackgroundStyle(uint32_t typeCode, TLN_CanvasStyle& canvas) {
    if (typeCode >= kFirstBuildingCode && typeCode <= kLastBuildingCode) typeCode = kBuildingStyleCode;
    const int row = BackgroundStyleIndex(typeCode);
    const TLN_Background_TypeCode_Style& style = BackgroundTypeCodeStyles[static_cast<std::size_t>(row)];
    canvas.BrushColor = style.BrushColor;
    canvas.BrushKind = style.BrushStyle;
    canvas.BrushBitmap = {};
    canvas.PenColor = style.PenColor;
    canvas.PenKind = style.PenStyle;
    canvas.PenWidth = style.PenWidth;
    return row != 0;
}

std::string_view BackgroundTypeName(uint32_t typeCode) {
    return BackgroundTypeCodeStyles[static_cast<std::size_t>(BackgroundStyleIndex(typeCode))].Name;
}

void ApplyElementStyle(int elementKind, TLN_CanvasStyle& canvas) {
    switch (elementKind) {
    case 9:
    case 18:
        setSolidBrush(canvas, 0x96F1F3);
        setSolidPen(canvas, 0x808080, 1);
        break;
    case 16:
        setSolidBrush(canvas, 0x5769E8);
        setSolidPen(canvas, 0x5769E8, 3);
        break;
    case 17:
        setSolidBrush(canvas, 0xE0D1ED);
        setSolidPen(canvas, 0x808080, 1);
        break;
    case 19:
    case 26:
        setSolidBrush(canvas, 0xC0C0C0);
        setSolidPen(canvas, 0xC0C0C0, 1);
        break;
    case 21:
        canvas.BrushKind = TLN_BrushKind::BitmapPattern;
        canvas.BrushBitmap = "VIOLETBMP";
        setSolidPen(canvas, 0xC0C0C0, 1);
        break;
    case 22:
    case 23:
    case 24:
        setSolidBrush(canvas, 0xFFFFFF);
        setSolidPen(canvas, 0x000000, 2);
        break;
    case 25:
        canvas.BrushColor = 0xE5E5E5;
        setSolidPen(canvas, 0xC0C0C0, 1);
        break;
    case 27:
        setSolidBrush(canvas, 0x31AE9E);
        setSolidPen(canvas, 0x808080, 1);
        break;
    case 28:
    case 30:
        setSolidBrush(canvas, 0xFDC5A6);
        setSolidPen(canvas, 0xFDC5A6, 1);
        break;
    case 29:
        setSolidBrush(canvas, 0xFFFFFF);
        setSolidPen(canvas, 0xC0C0C0, 1);
        break;
    default:
        setSolidBrush(canvas, 0x808080);
        setSolidPen(canvas, 0x808080, 1);
        break;
    }
}
