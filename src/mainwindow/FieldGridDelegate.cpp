// Painting of the field grid's tagged rows.
#include "mainwindow/FieldGridDelegate.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "kiwi/display/WindowsColor.h"
#include "mainwindow/model/FieldGrid.h"

namespace {

// The Help button: 60 pixels wide, its caption at (+20, +5) from the cell.
constexpr int kButtonWidth = 60;
// The swatch spans x +3 to +33 and y +3 to bottom -3; the cell's text starts after it.
constexpr int kSwatchLeft = 3;
constexpr int kSwatchRight = 33;
constexpr int kSwatchTextLeft = 38;
constexpr int kImageInset = 4;

QStyle* styleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
}

bool selected(const QStyleOptionViewItem& option) {
    return option.state.testFlag(QStyle::State_Selected);
}

void drawTextAt(QPainter* painter, const QRect& cell, int dx, int dy, const QString& text) {
    const QRect area = cell.adjusted(dx, dy, 0, 0);
    painter->drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

} // namespace

void FieldGridDelegate::paintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    styleOf(option)->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
}

void FieldGridDelegate::paintHeader(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QString& text, const QColor& fill, const QColor& textColour) const {
    painter->fillRect(option.rect, fill);
    QFont bold = option.font;
    bold.setBold(true);
    // A title whose row also holds a value has only its own cell: a longer one is drawn a little
    // smaller rather than cut, and at the smallest size it ends in "…".
    const int room = option.rect.width() - 4;
    for (int step = 0; step < 4 && QFontMetrics(bold).horizontalAdvance(text) > room; ++step) {
        if (bold.pointSizeF() > 0)
            bold.setPointSizeF(bold.pointSizeF() * 0.92);
        else
            bold.setPixelSize(std::max(1, bold.pixelSize() * 92 / 100));
    }
    painter->setFont(bold);
    painter->setPen(textColour);
    drawTextAt(painter, option.rect, 2, 2, QFontMetrics(bold).elidedText(text, Qt::ElideRight, room));
}

void FieldGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const auto tag = RowTag(index.data(FieldGridModel::TagRole).toInt());
    const int column = index.column();
    const QRect cell = option.rect;
    const QPalette& palette = option.palette;
    painter->save();
    painter->setClipRect(cell);
    if (tag == RowTag::SectionHeader && column == 0) {
        paintHeader(painter, option, index.data().toString(),
                    palette.color(selected(option) ? QPalette::Highlight : QPalette::ToolTipBase),
                    palette.color(selected(option) ? QPalette::HighlightedText : QPalette::ToolTipText));
    } else if (tag == RowTag::SubHeader && column == 0) {
        if (selected(option))
            paintHeader(painter, option, index.data().toString(), palette.color(QPalette::Highlight),
                        palette.color(QPalette::HighlightedText));
        else
            paintHeader(painter, option, index.data().toString(), Qt::red, Qt::white);
    } else if (tag == RowTag::HelpLink && column == 2) {
        paintBackground(painter, option, index);
        const QRect button(cell.left() + 1, cell.top() + 1, kButtonWidth, cell.height() - 2);
        painter->fillRect(button, palette.color(QPalette::Button));
        painter->setPen(palette.color(QPalette::Dark));
        painter->drawRect(button.adjusted(0, 0, -1, -1));
        // Reached by the keyboard: a frame inside the border says Enter opens it.
        if (option.state.testFlag(QStyle::State_HasFocus)) {
            painter->setPen(QPen(palette.color(QPalette::Highlight), 2));
            painter->drawRect(button.adjusted(2, 2, -2, -2));
        }
        painter->setPen(palette.color(QPalette::WindowText));
        painter->setFont(option.font);
        drawTextAt(painter, cell, 20, 5, index.data().toString());
    } else if (tag == RowTag::ColorSwatch && column == 2) {
        paintBackground(painter, option, index);
        const QColor colour = winColor(index.data(FieldGridModel::PayloadRole).toUInt());
        const QRect swatch(QPoint(cell.left() + kSwatchLeft, cell.top() + 3),
                           QPoint(cell.left() + kSwatchRight - 1, cell.bottom() - 3));
        painter->fillRect(swatch, colour);
        painter->setPen(Qt::black);
        painter->drawRect(swatch.adjusted(0, 0, -1, -1));
        painter->setPen(palette.color(selected(option) ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(cell.adjusted(kSwatchTextLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data().toString());
    } else if (tag == RowTag::Image && column == 2) {
        paintBackground(painter, option, index);
        const QImage image = index.data(FieldGridModel::ImageRole).value<QImage>();
        if (!image.isNull()) painter->drawImage(cell.topLeft() + QPoint(kImageInset, kImageInset), image);
    } else {
        painter->restore();
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->restore();
}
