// Keeping the renderer's calls.
#include "mapview/core/RecordingCanvas.h"

void RecordingCanvas::FillRect(const QRect& rect, const QColor& color) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::FillRect;
    call.rect = rect;
    call.color = color;
    calls_.push_back(std::move(call));
}

void RecordingCanvas::Polyline(const QPoint* points, int count, const MapPen& pen) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::Polyline;
    call.points.assign(points, points + count);
    call.pen = pen;
    calls_.push_back(std::move(call));
}

void RecordingCanvas::Polygon(const QPoint* points, int count, const MapPen& pen, const MapBrush& brush) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::Polygon;
    call.points.assign(points, points + count);
    call.pen = pen;
    call.brush = brush;
    calls_.push_back(std::move(call));
}

void RecordingCanvas::Rectangle(const QRect& rect, const MapPen& pen, const MapBrush& brush) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::Rectangle;
    call.rect = rect;
    call.pen = pen;
    call.brush = brush;
    calls_.push_back(std::move(call));
}

QSize RecordingCanvas::TextSize(const QString& text, const MapFont& font) {
    const int perCharacter = font.pixelSize / 2 + (font.bold ? 1 : 0);
    return QSize(int(text.size()) * perCharacter, font.pixelSize);
}

void RecordingCanvas::Text(QPoint topLeft, const QString& text, const MapFont& font, const QColor& color,
                           const QColor& background) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::Text;
    call.points = {topLeft};
    call.text = text;
    call.font = font;
    call.color = color;
    call.background = background;
    calls_.push_back(std::move(call));
}

void RecordingCanvas::RotatedText(QPoint start, double degrees, const QString& text, const MapFont& font,
                                  const QColor& color) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::RotatedText;
    call.points = {start};
    call.degrees = degrees;
    call.text = text;
    call.font = font;
    call.color = color;
    calls_.push_back(std::move(call));
}

void RecordingCanvas::Image(QPoint topLeft, const QImage& image) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::Image;
    call.points = {topLeft};
    call.imageSize = image.size();
    calls_.push_back(std::move(call));
}

void RecordingCanvas::FocusRect(const QRect& rect) {
    CanvasCall call;
    call.kind = CanvasCall::Kind::FocusRect;
    call.rect = rect;
    calls_.push_back(std::move(call));
}

std::vector<CanvasCall> RecordingCanvas::CallsOf(CanvasCall::Kind kind) const {
    std::vector<CanvasCall> result;
    for (const CanvasCall& call : calls_)
        if (call.kind == kind) result.push_back(call);
    return result;
}
