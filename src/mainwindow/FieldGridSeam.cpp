// The stand-in view of the field grid: a read-only table with the grid's column widths and fixed row
// heights (rows come from the model on demand, so virtual rows cost nothing until shown).
#include "mainwindow/FieldGridSeam.h"

#include <QHeaderView>
#include <QTableView>

#include "mainwindow/model/FieldGrid.h"

QAbstractItemView* MakeFieldGridView(FieldGridModel* model, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    for (int column = 0; column < 3; ++column)
        view->setColumnWidth(column, FieldGridModel::kColumnWidths[column]);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    return view;
}
