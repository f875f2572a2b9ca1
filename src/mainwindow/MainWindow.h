// The program's main window: its tabs (Open, ISO, Data, the docked hex viewer, Map), the settings it reads
// when created and writes when closed, what an opening changes and closing sources. Each tab's state and
// rules are its presenter's (model/*TabPresenter, model/CharsetPresenter); the Open, ISO and Map tabs'
// widgets and commands are their controllers' (*TabController); the window holds them together.
#pragma once

#include <functional>
#include <memory>

#include <QMainWindow>
#include <QUrl>

#include "mainwindow/DataTabCommands.h"
#include "mainwindow/IsoTabController.h"
#include "mainwindow/MapTabController.h"
#include "mainwindow/OpenTabController.h"
#include "mainwindow/model/CharsetPresenter.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceOpener.h"
#include "platform/LauncherEntryBackend.h"
#include "platform/TaskBar.h"
#include "widgets/Services.h"

class DataPage;
class FlatHint;
class HexViewApi;
class IsoPage;
class IsoTabPresenter;
class IndexGridsController;
class MapPage;
class MapViewApi;
class OpenPage;
class QTabWidget;
class RecordTreeModel;
class WindowMenus;
class WindowViewHost;

// How the main window starts the map converter, which comes in its own library: set by whoever links both.
struct MapConverterHook {
    // Creates the converter window (parent: the main window) with its code-page conversion and
    // translation choices disabled; the window deletes it when it is closed.
    std::function<QDialog*(QWidget* parent)> create;
    // The map the accepted converter wrote (the text of its target file name).
    std::function<QString(QDialog* converter)> writtenMap;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window's default size; the tree width ratio starts from it and the Data tab's tree width. Wide
    // enough for the tree beside the field grid's three columns (350 + 180 + 450) without scrolling.
    static constexpr int kDefaultWidth = 1340;
    static constexpr int kDefaultHeight = 800;

    // mapView: the map view the window talks to; null makes the window's own placeholder (the Map tab's
    // widget). A given map view must outlive the window.
    explicit MainWindow(const Services& services, MapViewApi* mapView = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The hex viewer: docked as the hex tab when the window is first shown (when it has a page to dock).
    // It must outlive the window.
    void SetHexViewer(HexViewApi* hex);

    // Opening (the Open tab's controller opens): each closes what was open first (unless the path is
    // refused) and reports what it found; messages go through the messenger.
    bool OpenDiskOrFolder(const QString& path, bool asDisk);
    bool OpenFile(const QString& path);
    void OpenIsoImage(const QString& path);
    // Closes everything that was opened: the hex viewer, the current node and the field grid first, then
    // the tree's nodes and the readers, then the mounted image.
    void CloseAll();
    void ClearInfoGrid();

    // Starts the map converter when one is set (its button is disabled otherwise); an accepted converter's
    // map is opened with the automatic code page choice off, which is set back afterwards.
    void WizardBtnClick();
    void SetMapConverter(MapConverterHook hook);
    // The window's task-bar button, which the converter's runs report their progress on.
    TaskBar& TaskBarButton() { return taskBar_; }

    // What tests look at.
    RecordTree& Tree() { return tree_; }
    OpenData& Data() { return data_; }
    FieldGridModel& GridModel() { return gridModel_; }
    MapCodePageChoice& CodePages() { return codePages_; }
    OpenPage* OpenTab() const { return openPage_; }
    DataPage* DataTab() const { return dataPage_; }
    MapPage* MapTab() const { return mapPage_; }
    QWidget* IsoTab() const;
    IsoPage* IsoListPage() const { return isoPage_; }
    // The flat hint that shows the application's hints, the map view's among them.
    FlatHint* Hint() const { return flatHint1_; }
    QTabWidget* Tabs() const { return tabs_; }
    WindowMenus* Menus() const { return menus_; }
    RecordTreeModel* TreeModel() const { return treeModel_.get(); }
    IndexGridsController* IndexGrids() const { return indexGrids_.get(); }
    MapViewApi* MapView() const { return mapView_; }
    MapTabPresenter& MapPresenter() const { return *mapPresenter_; }
    OpenTabPresenter& OpenPresenter() const { return *openPresenter_; }
    IsoTabPresenter& IsoPresenter() const { return *isoPresenter_; }
    DataTabPresenter& DataPresenter() const { return *dataPresenter_; }
    CharsetPresenter& Charset() const { return *charset_; }
    OpenTabController& Opening() const { return *opening_; }
    IsoTabController& IsoCommands() const { return *isoCommands_; }
    MapTabController& MapCommands() const { return *mapCommands_; }
    DataTabCommands& DataCommands() const { return *dataCommands_; }
    bool IsTabShown(QWidget* page) const;
    // Where the field grid's Help links are resolved: the user's own folder of help documents
    // ($XDG_DATA_HOME/strovane/help/, by default ~/.local/share/strovane/help/).
    static QUrl HelpBase();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    void connectCommands();
    void dockHexViewer();
    void setTabShown(QWidget* page, bool shown);
    void showDataTab();
    void applyOutcome(const OpenOutcome& outcome);
    void walkToParcel(const TLN_ParcelNumber& number);
    // Places the hex viewer, when there is one, and makes its tab (when it has a stream) the current one.
    void showInHexViewer(const std::function<void(HexViewApi& hex)>& place);
    void applyLanguageButtons();
    void applyTreeWidthRatio();
    // Runs a command so that what it raises is shown through the messenger, never crossing the event loop.
    void run(const std::function<void()>& command);

    Services services_;
    // The taskbar progress the unpack tools report to.
    LauncherEntryBackend launcher_;
    TaskBar taskBar_{&launcher_};
    RecordTree tree_;
    OpenData data_;
    FieldGridModel gridModel_;
    FieldGrid grid_{gridModel_};
    MapCodePageChoice codePages_;
    SourceOpener opener_{tree_, data_, codePages_};

    QTabWidget* tabs_ = nullptr;
    OpenPage* openPage_ = nullptr;
    IsoPage* isoPage_ = nullptr;
    DataPage* dataPage_ = nullptr;
    MapPage* mapPage_ = nullptr;
    QWidget* hexPage_ = nullptr;
    WindowMenus* menus_ = nullptr;
    MapViewApi* mapView_ = nullptr;
    FlatHint* flatHint1_ = nullptr;
    HexViewApi* hex_ = nullptr;
    std::unique_ptr<MapTabPresenter> mapPresenter_;
    std::unique_ptr<OpenTabPresenter> openPresenter_;
    std::unique_ptr<DataTabPresenter> dataPresenter_;
    std::unique_ptr<IsoTabPresenter> isoPresenter_;
    std::unique_ptr<CharsetPresenter> charset_;
    std::unique_ptr<WindowViewHost> viewHost_;
    std::unique_ptr<KindContext> kindContext_;
    // After the tree and the context it observes and builds with: it goes before them.
    std::unique_ptr<RecordTreeModel> treeModel_;
    // The index grids' double-clicks and popup items; uses the tree model.
    std::unique_ptr<IndexGridsController> indexGrids_;
    std::unique_ptr<OpenTabController> opening_;
    std::unique_ptr<IsoTabController> isoCommands_;
    std::unique_ptr<MapTabController> mapCommands_;
    std::unique_ptr<DataTabCommands> dataCommands_;
    MapConverterHook converter_;
    bool shownOnce_ = false;
    bool closed_ = false;
};
