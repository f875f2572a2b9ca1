// The program's main window: its tabs (Open, ISO, Data, the docked hex viewer, Map), the settings it reads
// when created and writes when closed, opening and closing sources, the reopen list's synchronisation
// between running instances, and the Map tab's commands with the code page, font and language choices that
// every view of names follows. Each tab's state and rules are its presenter's (model/*TabPresenter); the
// window wires the presenters to the widgets and forwards the widgets' commands.
#pragma once

#include <functional>
#include <memory>

#include <QMainWindow>
#include <QPoint>
#include <QUrl>

#include "kiwi/map/ParcelNumber.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/IsoListing.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceOpener.h"
#include "platform/LauncherEntryBackend.h"
#include "platform/ReopenList.h"
#include "platform/TaskBar.h"
#include "widgets/Guarded.h"
#include "widgets/Services.h"

class DataPage;
class DataTabPresenter;
class FlatHint;
class MapTabPresenter;
class OpenTabPresenter;
class HexViewApi;
class IsoExtraction;
class IsoPage;
class IsoTabPresenter;
class QDialog;
class TLN_CompressionManager;
class IndexGridsController;
class MapPage;
class MapViewApi;
class TKiwiMapViewer;
class OpenPage;
class QAbstractButton;
class QAction;
class QMenu;
class QTabWidget;
class QTableView;
class QTimer;
class RecordTreeModel;
class ReopenNotifier;
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

    // Opening. Each closes what was open first (unless the path is refused) and reports what it found;
    // messages go through the messenger.
    bool OpenDiskOrFolder(const QString& path, bool asDisk);
    bool OpenFile(const QString& path);
    void OpenIsoImage(const QString& path);
    // Closes everything that was opened: the hex viewer, the current node and the field grid first, then
    // the tree's nodes and the readers, then the mounted image.
    void CloseAll();
    void ClearInfoGrid();

    // The button commands.
    void DiskButtonClick();
    void FolderButtonClick();
    void FileButtonClick();
    void OpenIsoButtonClick();
    // Opens the unpack wizard (window-modal, deleted when closed), handed the open compression list.
    void UnpackButtonClick();
    // Starts the map converter when one is set (its button is disabled otherwise); an accepted converter's
    // map is opened with the automatic code page choice off, which is set back afterwards.
    void WizardBtnClick();
    void SetMapConverter(MapConverterHook hook);
    // The window's task-bar button, which the converter's runs report their progress on.
    TaskBar& TaskBarButton() { return taskBar_; }
    // Burning: the mounted image, or an image chosen in the open dialog, handed to the burning program.
    void BurnDVDMenuItemClick();
    void BurnDVDBtnClick();
    void BurnImage(const QString& image);
    void ReopenDiskBtnClick();
    void ReopenFolderBtnClick();
    void ReopenFileBtnClick();
    void ReopenIsoBtnClick();
    void ReopenLabelClick(int index);
    void StayOnTopBtnClick();
    void TarnwickLabelClick();

    // The ISO tab: the listing of a directory of the mounted image, opening a row (a directory is listed,
    // a file pops the menu up), the menu's items for a row, and its commands on the menu's row.
    void FillIsoListView(const TDirectoryEntry* directory);
    void IsoListViewDblClick(int row);
    void IsoPopupMenuPopup(int row);
    void OpenFileInHexViewerMenuItemClick();
    // Asks for a target and extracts the menu's file to it on a worker; the ISO tab shows the progress.
    void ExtractFileMenuItemClick();
    void UnpackFileMenuItemClick();
    // Refuses with a message, or opens the single-file unpack dialog on path.
    void UnpackFile(const QString& path);
    bool ExtractionRunning() const { return extraction_ != nullptr; }
    IsoExtraction* Extraction() const { return extraction_.get(); }

    // The clipboard commands of the field grid, the data grids and the picture.
    void CopyStringGridMenuItemClick();
    void CopyDBGridMenuItemClick();
    // A data file of the open index at offset in the hex viewer: only moved there when the viewer shows that
    // file already (the field grid's jump from an address into a data file).
    void ShowFileInHexViewer(const QString& fileName, qint64 offset);
    // The data grid's current record in the hex viewer (its table's stream at the record's position).
    void ShowinHexViewerDBMenuItemClick();
    void CopyGraphicImageMenuItemClick();
    void PasteImageMenuItemClick();
    // The picture as colour-table data against a palette resource, under the binary data format.
    void CopyClutMenuItemClick(const QString& palette);

    // The code page of names in map data (the charset menu's table): the menus, the globals and status
    // panel 5; with apply, the open map's copies and the hex viewer too.
    void SetMapCodePage(int codePage, bool apply);
    // With a map loaded: names are decoded again everywhere (map view, data grids, hex viewer, tree) and the
    // current node is shown again.
    void RefreshCharsetViews();
    void MapCharSetMenuItemClick(int codePage);
    void MapFontMenuItemClick(int tag);
    void LanguageMenuItemClick(int index);
    void AutoMenuItemClick(bool checked);

    // The Map tab's commands.
    void ExploreParcelButtonClick();
    // The map menu's item: first selects the parcel at the view's client point, then walks to it.
    void ExploreParcelMenuItemClick(QPoint client);
    // The zoom buttons: up zooms in, down zooms out.
    void UpDown1Click(bool up);
    void SettingsBtnClick();
    void SettingsPopupMenuPopup();
    void UpDownMenuItemClick(bool checked);
    void DoubleDensityMenuItemClick(bool checked);
    void DispScaleFilterMenuItemClick(bool checked);
    void DrawGridMenuItemClick(bool checked);
    void MapElementMenuItemClick(QAction* item);
    // Road colours: a table (0 "Default AISIN", 1 "Default DENSO", 2 "Default ZRV") or one display class
    // through the colour chooser.
    void RoadColorTableClick(int table);
    void RoadColorClassClick(int displayClass);
    void StatusBar1Click();
    void DBSettingsBtn1Click(QAbstractButton* button);
    void LangBtnClick(QAbstractButton* button);
    void StringGridCharsetMenuItemClick();
    void StringGridLanguageMenuItemClick();
    void MapTabSheetShow();
    void DataTabSheetShow();
    // The map view's hint for a client point, as shown (line breaks without carriage returns); empty for
    // none.
    QString MapHintAt(QPoint client) const;

    // The reopen list: add (save and tell every instance), load with shortened display texts, and show.
    void AddToReopenList(const QString& path);
    void LoadReopenList();
    void UpdateReopenLabels();
    // Runs the reopen animation to its end at once (tests).
    void FinishReopenAnimation();
    bool ReopenAnimationRunning() const;

    // What tests look at.
    RecordTree& Tree() { return tree_; }
    OpenData& Data() { return data_; }
    FieldGridModel& GridModel() { return gridModel_; }
    MapCodePageChoice& CodePages() { return codePages_; }
    const ReopenList& Reopen() const;
    const QStringList& ReopenDisplayTexts() const;
    OpenPage* OpenTab() const { return openPage_; }
    DataPage* DataTab() const { return dataPage_; }
    MapPage* MapTab() const { return mapPage_; }
    // The flat hint that shows the application's hints, the map view's among them.
    FlatHint* Hint() const { return flatHint1_; }
    QWidget* IsoTab() const;
    IsoPage* IsoListPage() const { return isoPage_; }
    QTabWidget* Tabs() const { return tabs_; }
    WindowMenus* Menus() const { return menus_; }
    ReopenNotifier* Notifier() const { return notifier_; }
    RecordTreeModel* TreeModel() const { return treeModel_.get(); }
    IndexGridsController* IndexGrids() const { return indexGrids_.get(); }
    MapViewApi* MapView() const { return mapView_; }
    MapTabPresenter& MapPresenter() const { return *mapPresenter_; }
    OpenTabPresenter& OpenPresenter() const { return *openPresenter_; }
    IsoTabPresenter& IsoPresenter() const { return *isoPresenter_; }
    DataTabPresenter& DataPresenter() const { return *dataPresenter_; }
    bool IsTabShown(QWidget* page) const;
    int TreeWidthRatio() const;
    bool MapLoaded() const;
    // Where the field grid's Help links are resolved: the user's own folder of help documents
    // ($XDG_DATA_HOME/strovane/help/, by default ~/.local/share/strovane/help/).
    static QUrl HelpBase();
    // The map converter may start from the open map (its command comes with the converter).
    bool WizardAllowed() const;
    const QString& LastFolderPath() const { return lastFolderPath_; }
    const QString& LastFilePath() const { return lastFilePath_; }

    // Layout events (public so tests can drive them).
    void OnSplitterMoved();
    void OnReopenChanged();
    void OnReopenTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void connectCommands();
    void formCreate();
    void applyWindowTexts();
    void readSettings();
    void formClose();
    void dockHexViewer();
    void setTabShown(QWidget* page, bool shown);
    void showDataTab();
    void applyOutcome(const OpenOutcome& outcome);
    void applyWizardButton();
    void showMessages(const OpenOutcome& outcome);
    void syncCharsetMenu();
    void connectMapCommands();
    void connectIsoCommands();
    // Shows the mounted image's root (or clears the list when none is mounted).
    void showIsoRoot();
    void showExtractionProgress();
    void finishExtraction();
    // The ISO menu's file, or null.
    const IsoListItem* isoMenuFile() const;
    void showMapPanels();
    void showLevelTable();
    void showDivisionImage();
    // The map element items' checks from the map view's layer mask.
    void syncLayerItems();
    void walkToParcel(const TLN_ParcelNumber& number);
    void focusMapView();
    // Pops menu with its lower left corner at a screen point.
    static void popupAbove(QMenu* menu, QPoint screen);
    void applyReopenLabels();
    void applyReopenButtons();
    void applyLanguageButtons();
    // The hex viewer goes to offset and its tab becomes the current one (the field grid's address jump).
    void jumpToOffset(qint64 offset);
    // The current node is about to be deleted: the hex viewer and the field grid let go of it first.
    void onCurrentNodeDeleted();
    void setHexTabShown(bool shown);
    void applyTreeWidthRatio();
    // Runs a command so that what it raises is shown through the messenger, never crossing the event loop.
    template <typename F> void run(F&& command) {
        guarded(this, services_.messenger, std::forward<F>(command));
    }

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
    TKiwiMapViewer* ownMapView_ = nullptr;
    HexViewApi* hex_ = nullptr;
    std::unique_ptr<MapTabPresenter> mapPresenter_;
    std::unique_ptr<OpenTabPresenter> openPresenter_;
    std::unique_ptr<DataTabPresenter> dataPresenter_;
    std::unique_ptr<WindowViewHost> viewHost_;
    std::unique_ptr<KindContext> kindContext_;
    // After the tree and the context it observes and builds with: it goes before them.
    std::unique_ptr<RecordTreeModel> treeModel_;
    // The index grids' double-clicks and popup items; uses the tree model.
    std::unique_ptr<IndexGridsController> indexGrids_;
    ReopenNotifier* notifier_ = nullptr;
    // The ISO tab: its rows and menu rules and the running extraction (heard through its notifier).
    std::unique_ptr<IsoTabPresenter> isoPresenter_;
    std::unique_ptr<IsoExtraction> extraction_;
    MapConverterHook converter_;
    // Where the data grids' menu was opened (the grid and its viewport point).
    QTableView* dbMenuGrid_ = nullptr;
    QPoint dbMenuPoint_;
    QTimer* reopenTimer_ = nullptr;
    // Where the map menu was opened (the view's client point the explore item selects at).
    QPoint mapMenuPoint_;

    QString lastFolderPath_;
    QString lastFilePath_;
    bool shownOnce_ = false;
    bool closed_ = false;
};
