// The index grids' double-clicks and popup items.
#include "mainwindow/IndexGridsController.h"

#include <QAction>
#include <QTableView>
#include <QTreeView>

#include "mainwindow/DataPage.h"
#include "mainwindow/IndexTablesSheet.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mainwindow/model/index/IndexNavigation.h"

IndexGridsController::IndexGridsController(DataPage& page, RecordTree& tree, KindContext& context,
                                           RecordTreeModel& model, WindowMenus& menus, QObject* parent)
    : QObject(parent), page_(page), tree_(tree), model_(model), menus_(menus),
      navigation_(std::make_unique<IndexNavigation>(tree, context)) {
    for (IndexGrid grid : {IndexGrid::Category, IndexGrid::Matching}) {
        QTableView* view = page_.indexSheet->Grid(grid);
        // Later: the walk shows another node, whose view replaces this grid's table.
        connect(
            view, &QAbstractItemView::doubleClicked, this,
            [this, grid](const QModelIndex& index) { DoubleClick(grid, index.row()); }, Qt::QueuedConnection);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, grid, view](const QPoint& at) { PreparePopup(grid, view->indexAt(at).row()); });
    }
    connect(menus_.dbNext1Item, &QAction::triggered, this, [this] { NextLevel(1); });
    connect(menus_.dbNext2Item, &QAction::triggered, this, [this] { NextLevel(2); });
    connect(menus_.dbNext3Item, &QAction::triggered, this, [this] { NextLevel(3); });
}

IndexGridsController::~IndexGridsController() = default;

void IndexGridsController::DoubleClick(IndexGrid grid, int row) {
    select(navigation_->DoubleClick(grid, page_.indexSheet->Table(grid), tree_.Current(), row));
}

void IndexGridsController::PreparePopup(IndexGrid grid, int row) {
    popupGrid_ = grid;
    popupRow_ = row;
    const auto items = IndexNavigation::NextItems(page_.indexSheet->Table(grid), row);
    menus_.dbNext1Item->setEnabled(items[0]);
    menus_.dbNext2Item->setEnabled(items[1]);
    menus_.dbNext3Item->setEnabled(items[2]);
}

void IndexGridsController::NextLevel(int level) {
    select(navigation_->NextLevel(popupGrid_, page_.indexSheet->Table(popupGrid_), tree_.Current(), popupRow_,
                                  level));
}

void IndexGridsController::select(RecordNode* node) {
    if (!node) return;
    const QModelIndex index = model_.IndexOf(node);
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        page_.treeView->expand(up);
    page_.treeView->setCurrentIndex(index);
    page_.treeView->scrollTo(index);
}
