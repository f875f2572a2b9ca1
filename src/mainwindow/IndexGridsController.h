// What the index tables' grids do in the window: a double-click on a row (later, from the event loop) or
// a next-level item of the grids' popup menu walks to the record tree node of the next level or of a POI
// record and selects it in the tree; the popup's items are enabled by the row's next-level field.
#pragma once

#include <memory>

#include <QObject>

#include "mainwindow/model/ViewHost.h"

class DataPage;
class IndexNavigation;
class QAction;
class QTableView;
class RecordTree;
class RecordTreeModel;
class WindowMenus;
struct KindContext;
struct RecordNode;

class IndexGridsController : public QObject {
    Q_OBJECT
public:
    IndexGridsController(DataPage& page, RecordTree& tree, KindContext& context, RecordTreeModel& model,
                         WindowMenus& menus, QObject* parent = nullptr);
    ~IndexGridsController() override;

    // A double-click on row of a grid, as from the grid (tests call it).
    void DoubleClick(IndexGrid grid, int row);
    // The popup's next-level item level (1 to 3) for the row the popup was opened on.
    void NextLevel(int level);
    // Enables the popup's next-level items for row of a grid, which the items then act on.
    void PreparePopup(IndexGrid grid, int row);

private:
    // Selects node in the tree view (expanding its ancestors), or does nothing for null.
    void select(RecordNode* node);

    DataPage& page_;
    RecordTree& tree_;
    RecordTreeModel& model_;
    WindowMenus& menus_;
    std::unique_ptr<IndexNavigation> navigation_;
    IndexGrid popupGrid_ = IndexGrid::Category;
    int popupRow_ = -1;
};
