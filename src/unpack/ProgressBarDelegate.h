// The drawn bar column of the unpack progress grid: a green bar as long as the row's percentage in pixels
// inside a silver frame 100 pixels wide, 3 pixels in from the cell's corner.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>

class ProgressBarDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The item data role that holds the percentage (0..100).
    static constexpr int ValueRole = Qt::UserRole + 1;
    static QColor BarColor() { return QColor(0x00, 0xCE, 0x34); }
    static QColor FrameColor() { return QColor(0xC0, 0xC0, 0xC0); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
