// The program's main window: its tabs (Open, ISO, Data, the docked hex viewer, Map), the settings it reads
// when created and writes when closed, what an opening changes and closing sources. Each tab's state and
// rules are its presenter's (model/*TabPresenter, model/CharsetPresenter); its widgets and commands are its
// controller's (OpenTabController, IsoTabController, DataTabCommands, MapTabController); the window holds
// them together.
#pragma once

#include <functional>
#include <memory>

#include <QMainWindow>

#include "mainwindow/DataTabCommands.h"
#include "mainwindow/IsoTabController.h"
#include "mainwindow/MapTabController.h"
#include "mainwindow/OpenTabController.h"
#include "mainwindow/model/CharsetPresenter.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/MapTabPresenter.h"
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
class MapPage;
class MapViewApi;
class OpenPage;
class QTabWidget;
class WindowMenus;

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

    // Closes everything that was opened: the hex viewer, the current node and the field grid first, then
    // the tree's nodes and the readers, then the mounted image.
    void CloseAll();

    void SetMapConverter(MapConverterHook hook) { opening_->SetMapConverter(std::move(hook)); }
    // What the map converter starts from: the open source, the choice of code pages, and the window's
    // task-bar button, which the converter's runs report their progress on.
    OpenData& Data() { return data_; }
    MapCodePageChoice& CodePages() { return codePages_; }
    CharsetPresenter& Charset() const { return *charset_; }
    TaskBar& TaskBarButton() { return taskBar_; }

    // Each tab's controller, with its page and presenter; the Open tab's opens sources.
    OpenTabController& Opening() const { return *opening_; }
    IsoTabController& IsoCommands() const { return *isoCommands_; }
    DataTabCommands& DataCommands() const { return *dataCommands_; }
    MapTabController& MapCommands() const { return *mapCommands_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    void dockHexViewer();
    void setTabShown(QWidget* page, bool shown);
    void applyOutcome(const OpenOutcome& outcome);
    // Places the hex viewer, when there is one, and makes its tab (when it has a stream) the current one.
    void showInHexViewer(const std::function<void(HexViewApi& hex)>& place);
    void clearHexViewer();
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
    std::unique_ptr<OpenTabController> opening_;
    std::unique_ptr<IsoTabController> isoCommands_;
    std::unique_ptr<DataTabCommands> dataCommands_;
    // Uses the Data tab's tree model: it goes first.
    std::unique_ptr<MapTabController> mapCommands_;
    bool shownOnce_ = false;
    bool closed_ = false;
};
