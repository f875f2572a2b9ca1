// Cell colours, the header, and rows drawn from prepared static texts (hex pairs and characters), so
// a full repaint costs the same for any stream size.
#include "hexview/HexGridPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <functional>

#include "hexview/model/HexGridLayout.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/display/WindowsColor.h"

using hexlayout::ColumnLeft;
using hexlayout::ColumnWidth;
using Kind = HexGridModel::CellKind;

namespace {
// Bounds the cache of character texts: a repaint shows at most a few hundred different characters.
constexpr int kMaxCharTexts = 4096;
} // namespace

HexGridPainter::HexGridPainter() {
    SetFont(QFont());
}

namespace {

// The widest two-digit hex text in font.
int pairWidth(const QFont& font) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const char digit : QByteArrayView("0123456789ABCDEF"))
        widest = std::max(widest, metrics.horizontalAdvance(QString(2, QLatin1Char(digit))));
    return widest;
}

// font, narrowed and then made smaller until text fits width pixels.
QFont fitted(QFont font, int width, const std::function<int(const QFont&)>& measure) {
    if (measure(font) > width) font.setStretch(QFont::SemiCondensed);
    while (measure(font) > width && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

} // namespace

void HexGridPainter::SetFont(const QFont& base) {
    // The columns have fixed widths: a font whose digits are too wide for them is narrowed to fit.
    QFont ten = base;
    ten.setPointSize(10);
    hexFont_ = fitted(ten, ColumnWidth(hexlayout::kFirstHexColumn) - 4, pairWidth);
    const auto textWidth = [](const QString& text) {
        return [text](const QFont& font) { return QFontMetrics(font).horizontalAdvance(text); };
    };
    const int addressWidth = ColumnWidth(hexlayout::kAddressColumn) - 12;
    addressFont_ = fitted(ten, addressWidth, textWidth(QStringLiteral("0 x 00 00 00 00")));
    wideAddressFont_ = fitted(ten, addressWidth, textWidth(QStringLiteral("0 x 00 00 00 00 00 00")));
    charFont_ = base;
    charFont_.setPointSize(8);
    const QFontMetrics hexMetrics(hexFont_);
    const QFontMetrics charMetrics(charFont_);
    rowHeight_ = hexMetrics.height() + 6;
    hexTextHeight_ = hexMetrics.height();
    charTextHeight_ = charMetrics.height();
    static const char digits[] = "0123456789ABCDEF";
    for (int b = 0; b < 256; ++b) {
        const QChar pair[2] = {QLatin1Char(digits[b >> 4]), QLatin1Char(digits[b & 15])};
        hexTexts_[size_t(b)] = QStaticText(QString(pair, 2));
        hexTexts_[size_t(b)].setTextFormat(Qt::PlainText);
        hexTexts_[size_t(b)].prepare(QTransform(), hexFont_);
    }
    charTexts_.clear();
}

QColor HexGridPainter::Background(Kind kind, const QPalette& palette) {
    switch (kind) {
    case Kind::Cursor:
        return palette.color(QPalette::Active, QPalette::Link);
    case Kind::FoundInBlock:
        return winColor(0xE0CF01);
    case Kind::FoundOutsideBlock:
        return winColor(0x9FFF40);
    case Kind::BlockMarkedHalf:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case Kind::BlockOtherHalf:
        return winColor(0xFFE1C4);
    case Kind::HexShadedRow:
        return winColor(0xFCFCCD);
    case Kind::HexPlainRow:
        return palette.color(QPalette::Active, QPalette::Base);
    case Kind::Character:
        return palette.color(QPalette::Active, QPalette::ToolTipBase);
    }
    return palette.color(QPalette::Active, QPalette::Base);
}

QColor HexGridPainter::Foreground(Kind kind, const QPalette& palette) {
    switch (kind) {
    case Kind::Cursor:
    case Kind::FoundInBlock:
    case Kind::BlockMarkedHalf:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case Kind::Character:
        return palette.color(QPalette::Active, QPalette::ToolTipText);
    case Kind::HexPlainRow:
        return palette.color(QPalette::Active, QPalette::Text);
    default:
        return palette.color(QPalette::Active, QPalette::WindowText);
    }
}

const QStaticText& HexGridPainter::charText(char16_t value) {
    auto it = charTexts_.constFind(value);
    if (it != charTexts_.constEnd()) return *it;
    if (charTexts_.size() >= kMaxCharTexts) charTexts_.clear();
    // Values below 17 (nothing readable, control characters) are shown as a dot.
    QStaticText text(value < 17 ? QStringLiteral(".") : QString(QChar(value)));
    text.setTextFormat(Qt::PlainText);
    text.prepare(QTransform(), charFont_);
    return *charTexts_.insert(value, text);
}

void HexGridPainter::Paint(QPainter& painter, HexGridModel& model, const QPalette& palette, int width,
                           int height, int xOffset) {
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    painter.fillRect(QRect(0, 0, width, height), base);
    painter.save();
    painter.translate(-xOffset, 0);
    paintHeader(painter, model, palette);
    const int64_t rows = model.DataRowCount();
    int y = rowHeight_;
    for (int64_t row = model.TopRow(); row < rows && y < height; ++row, y += rowHeight_)
        paintRow(painter, model, palette, row, y);
    painter.restore();
}

void HexGridPainter::paintHeader(QPainter& painter, const HexGridModel& model, const QPalette& palette) {
    painter.setPen(palette.color(QPalette::Active, QPalette::WindowText));
    painter.setFont(addressFont_);
    const int h = rowHeight_;
    painter.drawText(QRect(0, 0, ColumnWidth(0), h), Qt::AlignCenter, model.AddressHeaderText());
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        const int column = hexlayout::HexColumnOf(i);
        // The wide column's digit stands over its byte, not over the gap after it.
        const int width =
            ColumnWidth(column) - (column == hexlayout::kWideHexColumn ? hexlayout::kWideHexExtra : 0);
        painter.drawText(QRect(ColumnLeft(column), 0, width, h), Qt::AlignCenter,
                         QString(QLatin1Char(digits[i])));
    }
    const int charsLeft = ColumnLeft(hexlayout::kFirstCharColumn);
    const int charsWidth = ColumnLeft(hexlayout::kColumnCount) - charsLeft;
    painter.drawText(QRect(charsLeft, 0, charsWidth, h), Qt::AlignCenter, model.CharsetName());
    painter.setPen(palette.color(QPalette::Active, QPalette::Mid));
    painter.drawLine(0, h - 1, hexlayout::kTotalWidth - 1, h - 1);
}

void HexGridPainter::paintRow(QPainter& painter, HexGridModel& model, const QPalette& palette,
                              int64_t dataRow, int y) {
    const HexRow& row = model.Row(dataRow);
    const int h = rowHeight_;
    // Offsets of 4 GiB and more have one or two bytes more.
    const int64_t offset = dataRow * 16;
    painter.setFont(offset >> 32 ? wideAddressFont_ : addressFont_);
    painter.setPen(palette.color(QPalette::Active, QPalette::Text));
    painter.drawText(QRect(0, y, ColumnWidth(0) - 10, h), Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromStdString(FormatHex32Spaced(offset)));
    painter.setFont(hexFont_);
    // All hex cells, then all character cells: a static text is drawn in the painter's font.
    const int hexY = y + (h - hexTextHeight_) / 2;
    for (int i = 0; i < row.count; ++i) {
        const Kind kind = model.KindOf(row.offset + i, true);
        const int column = hexlayout::HexColumnOf(i);
        const int left = ColumnLeft(column);
        painter.fillRect(QRect(left, y, ColumnWidth(column), h), Background(kind, palette));
        painter.setPen(Foreground(kind, palette));
        painter.drawStaticText(QPointF(left + 2, hexY), hexTexts_[row.bytes[i]]);
    }
    painter.setFont(charFont_);
    const int charY = y + (h - charTextHeight_) / 2;
    for (int i = 0; i < row.count; ++i) {
        const Kind kind = model.KindOf(row.offset + i, false);
        const int column = hexlayout::CharColumnOf(i);
        const int left = ColumnLeft(column);
        const int width = ColumnWidth(column);
        painter.fillRect(QRect(left, y, width, h), Background(kind, palette));
        painter.setPen(Foreground(kind, palette));
        const QStaticText& text = charText(row.chars[i]);
        painter.drawStaticText(QPointF(left + (width - text.size().width()) / 2, charY), text);
    }
}
