// The main window's life: building its tabs and their controllers, what it reads when created, docks when
// first shown and writes when closed, what an opening changes, closing what was opened, and the layout
// events.
#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTabWidget>

#include "hexview/model/HexViewApi.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/disc/FileManager.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/IsoPage.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/ReopenLabel.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WindowViewHost.h"
#include "mainwindow/model/IsoTabPresenter.h"
#include "mainwindow/model/OpenTabPresenter.h"
#include "mapview/KiwiMapViewer.h"
#include "widgets/Guarded.h"
#include "widgets/PageTabWidget.h"
#include "widgets/flat/FlatHint.h"

MainWindow::MainWindow(const Services& services, MapViewApi* mapView, QWidget* parent)
    : QMainWindow(parent), services_(services), mapView_(mapView) {
    opener_.SetApplicationTitle(QApplication::applicationName());
    opener_.SetCloseAll([this] { CloseAll(); });
    opener_.SetClearInfoGrid([this] { dataCommands_->ClearInfoGrid(); });
    setWindowTitle(QApplication::applicationName());
    buildWidgets();
    tree_.SetCurrent(nullptr);
    setTabShown(isoPage_, false);
    setTabShown(dataPage_, false);
    setTabShown(mapPage_, false);
    mapCommands_->ReadSettings();
    charset_->ReadSettings();
    openPresenter_->ReadSettings();
    // Form width × 10000 / tree panel width, from the window layout's sizes; a tree of no width keeps none.
    dataPresenter_->KeepTreeWidth(kDefaultWidth, DataPage::kInitialTreeWidth);
    openPage_->reopenLabels[0]->clear();
    // The first reopen animation starts as the event loop runs.
    QMetaObject::invokeMethod(opening_.get(), &OpenTabController::OnReopenChanged, Qt::QueuedConnection);
}

MainWindow::~MainWindow() {
    run([&] { CloseAll(); });
    if (hexPage_ && tabs_->indexOf(hexPage_) >= 0) {
        // The hex viewer's window outlives this one: give it back rather than delete it with the tabs.
        tabs_->removeTab(tabs_->indexOf(hexPage_));
        hexPage_->setParent(nullptr);
    }
    // A given map view outlives the window: it must not report to the presenter going with it.
    mapView_->SetEvents(nullptr);
    // The Map tab's controller lets go of the view and the hint while both still stand.
    mapCommands_.reset();
}

void MainWindow::run(const std::function<void()>& command) {
    guarded(this, services_.messenger, command);
}

void MainWindow::buildWidgets() {
    resize(kDefaultWidth, kDefaultHeight);
    // Made before the pages, so that its style, set once for the application, is the one they are built in.
    flatHint1_ = new FlatHint(this);
    tabs_ = new PageTabWidget(this);
    setCentralWidget(tabs_);
    openPage_ = new OpenPage(tabs_);
    isoPage_ = new IsoPage(tabs_);
    dataPage_ = new DataPage(&gridModel_, tabs_);
    // The window's own map view goes with the Map tab, whose layout takes it.
    if (!mapView_) mapView_ = new TKiwiMapViewer();
    mapPage_ = new MapPage(mapView_->Widget(), tabs_);
    mapPresenter_ = std::make_unique<MapTabPresenter>(*mapView_);
    mapView_->SetEvents(mapPresenter_.get());
    openPresenter_ = std::make_unique<OpenTabPresenter>();
    isoPresenter_ = std::make_unique<IsoTabPresenter>();
    dataPresenter_ = std::make_unique<DataTabPresenter>(codePages_, data_);
    charset_ =
        std::make_unique<CharsetPresenter>(codePages_, data_, *dataPresenter_, *mapPresenter_, opener_);
    tabs_->addTab(openPage_, QStringLiteral(" Открыть "));
    tabs_->addTab(isoPage_, QStringLiteral("   ISO     "));
    tabs_->addTab(dataPage_, QStringLiteral("  Данные  "));
    tabs_->addTab(mapPage_, QStringLiteral("   Карта   "));
    menus_ = new WindowMenus(this);

    const auto runner = [this](const std::function<void()>& command) { run(command); };
    dataCommands_ = std::make_unique<DataTabCommands>(DataTabCommands::Parts{
        *dataPage_, *tabs_, *menus_, grid_, tree_, data_, *dataPresenter_, services_, runner,
        [this](const std::function<void(HexViewApi&)>& place) { showInHexViewer(place); },
        [this] { clearHexViewer(); }});
    isoCommands_ = std::make_unique<IsoTabController>(IsoTabController::Parts{
        *isoPage_, *menus_, *isoPresenter_, services_, taskBar_, runner, [this](const std::string& path) {
            showInHexViewer([&](HexViewApi& hex) {
                // Opened before anything changes: a file that cannot be opened leaves the viewer and its tab
                // as they were (the error is shown by the caller).
                std::shared_ptr<TLN_Stream> stream = TLN_DecompFileStream::Create(path);
                dataCommands_->ViewHost().ForgetShownStream();
                hex.SetOwnedStream(std::move(stream), 0);
            });
        }});
    opening_ = std::make_unique<OpenTabController>(OpenTabController::Parts{
        *openPage_, *openPresenter_, opener_, services_, data_, codePages_, *charset_, taskBar_, runner,
        [this](const OpenOutcome& o) { applyOutcome(o); },
        [this](const OpenOutcome& outcome) {
            if (outcome.found)
                dataCommands_->ShowTab();
            else if (outcome.isoMounted)
                // An image without KIWI files is still listed on the ISO tab.
                tabs_->setCurrentWidget(isoPage_);
        },
        [this] { return tabs_->currentWidget() == openPage_; }, [this] { isoCommands_->BurnDVDBtnClick(); }});
    mapCommands_ = std::make_unique<MapTabController>(
        MapTabController::Parts{*mapPage_, *dataCommands_, *tabs_, *menus_, *mapView_, *mapPresenter_,
                                *charset_, *flatHint1_, services_, runner});
}

void MainWindow::SetHexViewer(HexViewApi* hex) {
    hex_ = hex;
    dataCommands_->ViewHost().SetHexViewer(hex_, [this](bool shown) { setTabShown(hexPage_, shown); });
    mapCommands_->SetHexViewer(hex_);
    if (shownOnce_) dockHexViewer();
}

void MainWindow::dockHexViewer() {
    if (!hex_ || hexPage_) return;
    QWidget* page = hex_->DockPage();
    if (!page) return;
    hexPage_ = page;
    // The hex tab stands just before the Map tab, and shows only while the viewer has a stream.
    tabs_->insertTab(tabs_->indexOf(mapPage_), hexPage_, page->windowIcon(), page->windowTitle());
    setTabShown(hexPage_, hex_->HasStream());
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        run([&] { dockHexViewer(); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    run([&] {
        if (closed_) return;
        closed_ = true;
        mapCommands_->WriteSettings();
        charset_->WriteSettings();
        CloseAll();
    });
    QMainWindow::closeEvent(event);
}

void MainWindow::setTabShown(QWidget* page, bool shown) {
    const int index = page ? tabs_->indexOf(page) : -1;
    if (index >= 0) tabs_->setTabVisible(index, shown);
}

void MainWindow::showInHexViewer(const std::function<void(HexViewApi& hex)>& place) {
    if (!hex_) return;
    place(*hex_);
    if (!hexPage_ || tabs_->indexOf(hexPage_) < 0 || !hex_->HasStream()) return;
    setTabShown(hexPage_, true);
    tabs_->setCurrentWidget(hexPage_);
}

void MainWindow::clearHexViewer() {
    if (hex_) hex_->Clear();
    setTabShown(hexPage_, false);
}

void MainWindow::CloseAll() {
    // Whatever still shows a stream lets go of it before any reader or the image goes: the hex viewer,
    // the current node, the field grid's rows and the map view.
    clearHexViewer();
    dataCommands_->LetGoOfCurrent();
    mapCommands_->CloseMap();

    openPresenter_->SetOpenMap(false, false);
    dataCommands_->ClearTree();
    data_.Clear();
    // The list's rows point into the image's tree: they go before the image. A running extraction holds
    // the image itself and may finish.
    isoPresenter_->Clear();
    CloseISOImage();

    dataPresenter_->ResetLanguages();
    if (codePages_.AutoSelect()) charset_->SetMapCodePage(65001, true);
    setTabShown(isoPage_, false);
    setTabShown(dataPage_, false);
    setTabShown(mapPage_, false);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    run([&] { dataCommands_->ApplyTreeWidthRatio(); });
}

void MainWindow::applyOutcome(const OpenOutcome& outcome) {
    // A refused opening (a missing path, an unreadable image) closed nothing: the open source keeps its
    // tabs, caption and commands.
    if (!outcome.closedPrevious) return;
    if (!outcome.caption.isEmpty()) setWindowTitle(outcome.caption);
    mapCommands_->ShowMap(outcome.mapLoaded ? data_.map : nullptr, data_.routePlanning,
                          outcome.routePlanning);
    openPresenter_->SetOpenMap(mapPresenter_->HasMap(), outcome.wizardAllowed);
    setTabShown(mapPage_, outcome.mapTab);
    setTabShown(isoPage_, outcome.isoMounted);
    if (outcome.isoMounted) isoPresenter_->ShowRoot();
    if (!outcome.languages.isEmpty()) dataPresenter_->SetLanguages(outcome.languages);
    // The automatic choice may have chosen the map's code page as it opened: the menus, panel 5, the map's
    // copies and the hex viewer follow.
    charset_->SetMapCodePage(MapTextCodePage.load(), true);
    if (outcome.expandRoot) dataCommands_->ExpandRoot(outcome.expandRoot);
}
