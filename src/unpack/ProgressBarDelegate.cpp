// Painting the bar column.
#include "unpack/ProgressBarDelegate.h"

#include <QPainter>
#include <algorithm>

void ProgressBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const int value = std::clamp(index.data(ValueRole).toInt(), 0, 100);
    if (value <= 0) return;
    const QRect cell = option.rect;
    const int left = cell.left() + 3;
    const int top = cell.top() + 3;
    const int height = cell.height() - 6;
    if (height <= 0) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillRect(QRect(left, top, value, height), BarColor());
    painter->setPen(FrameColor());
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRect(left, top, 100, height).adjusted(0, 0, -1, -1));
    painter->restore();
}
