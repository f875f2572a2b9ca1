// Paints the field grid's tagged rows: tinted bold section headers, the "Help" button, colour swatches,
// images and red sub-headers; every other cell as the style paints it.
#pragma once

#include <QStyledItemDelegate>

class FieldGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    // The cell's background as the style draws it (selection included), without text.
    void paintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const;
    // A header cell of column 0: fill, bold text at (+2, +2).
    void paintHeader(QPainter* painter, const QStyleOptionViewItem& option, const QString& text,
                     const QColor& fill, const QColor& textColour) const;
};
