// Painting a decoded parcel's layers: figures in their element or type code styles, roads in the colour and
// width of their class, infrastructure links in blue, names through the name painter; whatever lies wholly
// outside the area to repaint is skipped.
#include <cstdlib>

#include "kiwi/display/KiwiBitmaps.h"
#include "kiwi/display/WindowsColor.h"
#include "mapview/core/MapPainting.h"

namespace {

// Road pens: classes 0 to 6 are drawn 4 pixels wide, 7 to 15 two.
constexpr int kMajorRoadWidth = 4;
constexpr int kMinorRoadWidth = 2;
constexpr int kLastMajorRoadClass = 6;
constexpr TLN_Color kLinkColor = 0xFF0000;
constexpr int kLinkWidth = 3;
// The widest name a margin must allow for: characters of the largest font, plus an icon.
constexpr int kNameCharacterWidth = 22;
constexpr int kNameMargin = 48;

MapBrush brushOf(const TLN_CanvasStyle& style, QPoint origin) {
    MapBrush brush;
    brush.color = winColor(style.BrushColor);
    brush.origin = origin;
    switch (style.BrushKind) {
    case TLN_BrushKind::Solid:
        brush.kind = MapBrushKind::Solid;
        break;
    case TLN_BrushKind::VerticalHatch:
        brush.kind = MapBrushKind::VerticalHatch;
        break;
    case TLN_BrushKind::BitmapPattern:
        brush.kind = MapBrushKind::Pattern;
        brush.bitmap = style.BrushBitmap;
        brush.pattern = KiwiBitmap(style.BrushBitmap);
        break;
    }
    return brush;
}

MapPen penOf(const TLN_CanvasStyle& style) {
    return MapPen{winColor(style.PenColor), style.PenWidth, style.PenKind};
}

} // namespace

PaintContext::PaintContext(MapCanvas& c, const QRect& area, const MapRenderView& v)
    : canvas(c), clip(area), view(v), upp_(std::max(1, v.unitsPerPixel)) {
    brushOrigin_ =
        QPoint(int(FloorDiv(-view.originX, upp_)), int(view.height - FloorDiv(-view.originY, upp_)));
}

bool PaintContext::Visible(const DrawEntry& entry, const LocalBox& box, int margin) const {
    if (box.maxX < box.minX) return false;
    const QPoint low = Pixel(entry, QPoint(box.minX, box.minY));
    const QPoint high = Pixel(entry, QPoint(box.maxX, box.maxY));
    const QRect pixels = QRect(QPoint(low.x(), high.y()), QPoint(high.x(), low.y()));
    return pixels.adjusted(-margin, -margin, margin, margin).intersects(clip);
}

const std::vector<QPoint>& PaintContext::Pixels(const DrawEntry& entry, uint32_t first, uint32_t count) {
    buffer_.resize(count);
    const QPoint* local = entry.drawing->points.data() + first;
    for (uint32_t i = 0; i < count; ++i)
        buffer_[i] = Pixel(entry, local[i]);
    return buffer_;
}

void PaintFigures(PaintContext& context, const DrawEntry& entry) {
    const ParcelDrawing& drawing = *entry.drawing;
    for (const DrawnFigure& figure : drawing.figures) {
        const TLN_CanvasStyle& style = drawing.styles[figure.style];
        if (!context.Visible(entry, figure.box, style.PenWidth + 1)) continue;
        const std::vector<QPoint>& points = context.Pixels(entry, figure.first, figure.count);
        if (figure.shape == 1)
            context.canvas.Polyline(points.data(), int(points.size()), penOf(style));
        else
            context.canvas.Polygon(points.data(), int(points.size()), penOf(style),
                                   brushOf(style, context.BrushOrigin()));
    }
}

void PaintRoads(PaintContext& context, const DrawEntry& entry) {
    const ParcelDrawing& drawing = *entry.drawing;
    for (const DrawnLine& road : drawing.roads) {
        // Codes 16 and up (every code of the built-in list) take the colour and width of code & 15.
        const int c = road.classCode & 15;
        const MapPen pen{winColor(context.view.colours[size_t(c)]),
                         c <= kLastMajorRoadClass ? kMajorRoadWidth : kMinorRoadWidth, TLN_PenKind::Solid};
        if (!context.Visible(entry, road.box, pen.width)) continue;
        const std::vector<QPoint>& points = context.Pixels(entry, road.first, road.count);
        context.canvas.Polyline(points.data(), int(points.size()), pen);
    }
}

void PaintLinks(PaintContext& context, const DrawEntry& entry) {
    const ParcelDrawing& drawing = *entry.drawing;
    const MapPen pen{winColor(kLinkColor), kLinkWidth, TLN_PenKind::Solid};
    for (const DrawnLine& link : drawing.links) {
        if (!context.Visible(entry, link.box, pen.width)) continue;
        const std::vector<QPoint>& points = context.Pixels(entry, link.first, link.count);
        context.canvas.Polyline(points.data(), int(points.size()), pen);
    }
}

void PaintNames(PaintContext& context, const DrawEntry& entry, const std::vector<DrawnName>& names) {
    const std::vector<QImage>* icons = context.view.icons.get();
    for (const DrawnName& name : names) {
        const QPoint anchor = context.Pixel(entry, name.anchor);
        int reach = kNameMargin + int(name.text.size()) * kNameCharacterWidth;
        if (name.type == 2) reach += (std::abs(name.offsetX) + std::abs(name.offsetY)) << name.shift;
        if (!QRect(anchor.x() - reach, anchor.y() - reach, 2 * reach, 2 * reach).intersects(context.clip))
            continue;
        PaintName(context.canvas, anchor, name, icons);
    }
}
