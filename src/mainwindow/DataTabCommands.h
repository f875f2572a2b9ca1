// The Data tab's widget side: the record tree (selection, expansion, collapse, their failures, the walk to a
// parcel), the field grid (Help links, jumps into the hex viewer, the picture and play buttons), the width
// the tree keeps, the language buttons and menu, the clipboard commands of the field grid, data grids and
// picture, and the data grid's record shown in the hex viewer.
#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPoint>
#include <QUrl>

#include "kiwi/map/ParcelNumber.h"
#include "mainwindow/model/FieldGrid.h"

class DataPage;
class DataTabPresenter;
class HexViewApi;
class IndexGridsController;
class QTabWidget;
class QTableView;
struct RecordNode;
class RecordTree;
class RecordTreeModel;
class WindowMenus;
class WindowViewHost;
struct KindContext;
struct OpenData;
struct Services;

class DataTabCommands : public QObject {
    Q_OBJECT
public:
    // What the tab works with; all outlive it.
    struct Parts {
        DataPage& page;
        QTabWidget& tabs;
        WindowMenus& menus;
        FieldGrid& grid;
        RecordTree& tree;
        OpenData& data;
        DataTabPresenter& presenter;
        const Services& services;
        // Runs a command so that what it raises is shown as a message.
        std::function<void(const std::function<void()>&)> run;
        // Lets place show something in the hex viewer (when there is one), whose tab comes to the front.
        std::function<void(const std::function<void(HexViewApi& hex)>& place)> showInHexViewer;
        // The hex viewer lets go of its stream, and its tab hides.
        std::function<void()> clearHexViewer;
    };

    explicit DataTabCommands(Parts parts, QObject* parent = nullptr);
    ~DataTabCommands() override;

    // Where the field grid's Help links are resolved: the user's own folder of help documents
    // ($XDG_DATA_HOME/strovane/help/, by default ~/.local/share/strovane/help/).
    static QUrl HelpBase();

    DataPage* Page() const { return &parts_.page; }
    DataTabPresenter& Presenter() const { return parts_.presenter; }
    RecordTree& Tree() const { return parts_.tree; }
    FieldGridModel& GridModel() const { return parts_.grid.Model(); }
    WindowMenus* Menus() const { return &parts_.menus; }
    RecordTreeModel* TreeModel() const { return treeModel_.get(); }
    IndexGridsController* IndexGrids() const { return indexGrids_.get(); }
    WindowViewHost& ViewHost() const { return *viewHost_; }

    // Shows the Data tab and brings it to the front.
    void ShowTab();
    // The field grid's rows with the record's picture, play button and hint, and the data grids' tables.
    void ClearInfoGrid();
    // Closing: no node is current and the grids are empty; then the tree's nodes go.
    void LetGoOfCurrent();
    void ClearTree();
    // An opening's root, built and expanded now (the opening is complete when it returns).
    void ExpandRoot(RecordNode* root);
    // Walks the record tree to a parcel of the open map and selects it.
    void WalkToParcel(const TLN_ParcelNumber& number);
    // The tree panel takes its kept share of the window's width.
    void ApplyTreeWidthRatio();

    void CopyStringGridMenuItemClick();
    void CopyDBGridMenuItemClick();
    // The data grid's current record in the hex viewer (its table's stream at the record's position).
    void ShowinHexViewerDBMenuItemClick();
    void CopyGraphicImageMenuItemClick();
    void PasteImageMenuItemClick();
    // The picture as colour-table data against a palette resource, under the binary data format.
    void CopyClutMenuItemClick(const QString& palette);

private:
    void connectTree();
    void connectFieldGrid();
    void applyLanguageButtons();

    Parts parts_;
    std::unique_ptr<WindowViewHost> viewHost_;
    std::unique_ptr<KindContext> kindContext_;
    // After the host and the context it builds with: it goes before them.
    std::unique_ptr<RecordTreeModel> treeModel_;
    // The index grids' double-clicks and popup items; uses the tree model.
    std::unique_ptr<IndexGridsController> indexGrids_;
    // Where the data grids' menu was opened (the grid and its viewport point).
    QTableView* menuGrid_ = nullptr;
    QPoint menuPoint_;
};
