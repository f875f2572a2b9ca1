// The main window's life: building its tabs and their controllers, what it reads when created, docks when
// first shown and writes when closed, what an opening changes, closing what was opened, the map converter,
// and the layout events.
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>

#include "hexview/model/HexViewApi.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/index/IndexManager.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/DataTabCommands.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/IndexGridsController.h"
#include "mainwindow/IsoPage.h"
#include "mainwindow/IsoTabController.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/MapTabController.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/OpenTabController.h"
#include "mainwindow/ReopenLabel.h"
#include "mainwindow/WaitCursor.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WindowViewHost.h"
#include "mainwindow/model/CharsetPresenter.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/IsoTabPresenter.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/OpenTabPresenter.h"
#include "mainwindow/model/ParcelWalk.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mapview/KiwiMapViewer.h"
#include "unpack/UnpackWizard.h"
#include "widgets/Guarded.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatHint.h"

// The documents do not come with the program: the user puts them in a folder of their own data, so that a
// link works without a setting and without the network.
QUrl MainWindow::HelpBase() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QUrl::fromLocalFile(data + QStringLiteral("/strovane/help/"));
}

MainWindow::MainWindow(const Services& services, MapViewApi* mapView, QWidget* parent)
    : QMainWindow(parent), services_(services), mapView_(mapView) {
    opener_.SetApplicationTitle(QApplication::applicationName());
    opener_.SetCloseAll([this] { CloseAll(); });
    opener_.SetClearInfoGrid([this] { ClearInfoGrid(); });
    setWindowTitle(QApplication::applicationName());
    buildWidgets();
    connectCommands();
    tree_.SetCurrent(nullptr);
    setTabShown(isoPage_, false);
    setTabShown(dataPage_, false);
    setTabShown(mapPage_, false);
    // The converter's button works once a converter is set.
    openPage_->wizardBtn->setEnabled(openPresenter_->ConverterEnabled());
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
    // The views let go of the models before the models go.
    dataPage_->treeView->setModel(nullptr);
    dataPage_->fieldGrid->SetGridModel(nullptr);
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
    tabs_ = new QTabWidget(this);
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

    viewHost_ = std::make_unique<WindowViewHost>(*dataPage_, services_);
    kindContext_ = std::make_unique<KindContext>(KindContext{grid_, *viewHost_, data_});
    treeModel_ = std::make_unique<RecordTreeModel>(tree_, *kindContext_);
    viewHost_->SetTreeModel(treeModel_.get());
    indexGrids_ =
        std::make_unique<IndexGridsController>(*dataPage_, tree_, *kindContext_, *treeModel_, *menus_);
    dataPage_->treeView->setModel(treeModel_.get());
    FieldGridView* fieldGrid = dataPage_->fieldGrid;
    fieldGrid->SetUrlOpener(services_.urls);
    fieldGrid->SetHelpBase(HelpBase());
    fieldGrid->SetMessenger(services_.messenger);
    fieldGrid->UseContextMenu(menus_->stringGridMenu, menus_->showDataStringGridItem);

    const auto runner = [this](const std::function<void()>& command) { run(command); };
    opening_ = std::make_unique<OpenTabController>(
        OpenTabController::Parts{*openPage_, *openPresenter_, opener_, services_, runner,
                                 [this](const OpenOutcome& o) { applyOutcome(o); },
                                 [this](const OpenOutcome& outcome) {
                                     if (outcome.found)
                                         showDataTab();
                                     else if (outcome.isoMounted)
                                         // An image without KIWI files is still listed on the ISO tab.
                                         tabs_->setCurrentWidget(isoPage_);
                                 },
                                 [this] { return tabs_->currentWidget() == openPage_; }});
    isoCommands_ = std::make_unique<IsoTabController>(IsoTabController::Parts{
        *isoPage_, *menus_, *isoPresenter_, services_, taskBar_, runner, [this](const std::string& path) {
            showInHexViewer([&](HexViewApi& hex) {
                // Opened before anything changes: a file that cannot be opened leaves the viewer and its tab
                // as they were (the error is shown by the caller).
                std::shared_ptr<TLN_Stream> stream = TLN_DecompFileStream::Create(path);
                viewHost_->ForgetShownStream();
                hex.SetOwnedStream(std::move(stream), 0);
            });
        }});
    mapCommands_ = std::make_unique<MapTabController>(MapTabController::Parts{
        *mapPage_, *dataPage_, *tabs_, *menus_, *mapView_, *mapPresenter_, *charset_, *flatHint1_, tree_,
        *treeModel_, services_, runner, [this](const TLN_ParcelNumber& number) { walkToParcel(number); }});
    dataCommands_ = std::make_unique<DataTabCommands>(DataTabCommands::Parts{
        *dataPage_, *menus_, gridModel_, runner, [this](std::shared_ptr<TLN_Stream> stream, int64_t offset) {
            showInHexViewer([&](HexViewApi& hex) {
                viewHost_->ForgetShownStream();
                hex.SetStream(std::move(stream), offset);
            });
        }});
}

void MainWindow::connectCommands() {
    OpenPage* page = openPage_;
    connect(page->unpackButton, &FlatButton::clicked, this, [this] {
        run([&] {
            auto* wizard = new UnpackWizard(services_, taskBar_, this);
            wizard->setAttribute(Qt::WA_DeleteOnClose);
            if (data_.compression && !data_.compression->ListFileName().empty())
                wizard->LoadCmpFile(QString::fromStdString(data_.compression->ListFileName()));
            wizard->open();
        });
    });
    connect(page->wizardBtn, &FlatButton::clicked, this, [this] { run([&] { WizardBtnClick(); }); });
    connect(page->burnDvdBtn, &FlatButton::clicked, this,
            [this] { run([&] { isoCommands_->BurnDVDBtnClick(); }); });
    connect(openPresenter_.get(), &OpenTabPresenter::ConverterChanged, this,
            [this] { openPage_->wizardBtn->setEnabled(openPresenter_->ConverterEnabled()); });
    connect(dataPage_->splitter, &QSplitter::splitterMoved, this,
            [this] { dataPresenter_->KeepTreeWidth(width(), dataPage_->TreePanelWidth()); });
    connect(dataPresenter_.get(), &DataTabPresenter::LanguagesChanged, this, [this] {
        menus_->SetLanguages(dataPresenter_->Languages());
        applyLanguageButtons();
    });
    connect(dataPresenter_.get(), &DataTabPresenter::LanguageChosen, this, [this](int index) {
        if (QAction* item = menus_->LanguageItem(index)) item->setChecked(true);
        applyLanguageButtons();
    });
    // The Data tab is laid out only when first shown: the tree takes its share then.
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        if (tabs_->currentWidget() == dataPage_)
            QMetaObject::invokeMethod(
                this, [this] { run([&] { applyTreeWidthRatio(); }); }, Qt::QueuedConnection);
    });
    // The record tree: selection shows a node (the model defers what changes the tree), expansion builds
    // through the model's fetchMore, a collapsed walked block is reset later; what a builder or view
    // raises is shown as a message.
    connect(dataPage_->treeView->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { run([&] { treeModel_->Select(current); }); });
    connect(dataPage_->treeView, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { run([&] { treeModel_->Collapsed(index); }); });
    // Shown from the event loop: a build may fail inside the view's own layout pass, which a message box's
    // event loop must not re-enter. A failed expansion is undone, so that expanding again tries again.
    connect(
        treeModel_.get(), &RecordTreeModel::Failed, this,
        [this](const QString& message) {
            if (services_.messenger) services_.messenger->Error(this, message);
        },
        Qt::QueuedConnection);
    connect(treeModel_.get(), &RecordTreeModel::ExpansionFailed, this, [this](const QModelIndex& index) {
        const QPersistentModelIndex failed(index);
        QMetaObject::invokeMethod(
            this,
            [this, failed] {
                if (failed.isValid()) run([&] { dataPage_->treeView->collapse(failed); });
            },
            Qt::QueuedConnection);
    });
    // The current node is about to be deleted: the hex viewer may hold its stream or one opened for it,
    // and the grid's rows may read through its reader: both let go before the node and its reader go.
    connect(treeModel_.get(), &RecordTreeModel::CurrentNodeDeleted, this, [this] {
        run([&] {
            if (hex_) hex_->Clear();
            setTabShown(hexPage_, false);
            ClearInfoGrid();
        });
    });
    // A cleared field grid takes the record's picture and play button with it.
    connect(&gridModel_, &QAbstractItemModel::modelReset, this, [this] {
        viewHost_->Reset();
        dataPage_->fieldGrid->setToolTip(QString());
    });
    // The field grid's address jump, and its jump into a data file of the open index, which is only moved
    // in when the viewer shows that file already.
    connect(dataPage_->fieldGrid, &FieldGridView::jumpRequested, this, [this](qint64 offset) {
        run([&] { showInHexViewer([&](HexViewApi& hex) { hex.GotoOffset(offset); }); });
    });
    connect(dataPage_->fieldGrid, &FieldGridView::fileJumpRequested, this,
            [this](const QString& file, qint64 at) {
                run([&] {
                    const std::string name = file.toStdString();
                    const bool shown = viewHost_->ShowsFile(name);
                    // Opened before anything changes: a file that cannot be opened leaves the viewer as it
                    // was.
                    if (!shown && (!data_.index || !data_.index->DataFileExists(name))) return;
                    showInHexViewer([&](HexViewApi& hex) {
                        if (shown)
                            hex.GotoOffset(at);
                        else
                            viewHost_->ShowInHexViewer(data_.index->OpenDataFile(name), at);
                    });
                });
            });
    connect(dataPage_->playSpeedBtn, &QPushButton::clicked, this,
            [this] { run([&] { viewHost_->Play(); }); });
    connect(dataPage_->stopSpeedBtn, &QPushButton::clicked, this,
            [this] { run([&] { viewHost_->Stop(); }); });
}

void MainWindow::SetHexViewer(HexViewApi* hex) {
    hex_ = hex;
    viewHost_->SetHexViewer(hex_, [this](bool shown) { setTabShown(hexPage_, shown); });
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

QWidget* MainWindow::IsoTab() const {
    return isoPage_;
}

bool MainWindow::IsTabShown(QWidget* page) const {
    const int index = page ? tabs_->indexOf(page) : -1;
    return index >= 0 && tabs_->isTabVisible(index);
}

void MainWindow::setTabShown(QWidget* page, bool shown) {
    const int index = page ? tabs_->indexOf(page) : -1;
    if (index >= 0) tabs_->setTabVisible(index, shown);
}

void MainWindow::showDataTab() {
    setTabShown(dataPage_, true);
    tabs_->setCurrentWidget(dataPage_);
}

void MainWindow::ClearInfoGrid() {
    // The picture, the play button and the hint go with the rows (see the grid's reset above).
    gridModel_.Clear();
    dataPage_->categoryGrid->setModel(nullptr);
    dataPage_->matchingGrid->setModel(nullptr);
}

void MainWindow::showInHexViewer(const std::function<void(HexViewApi& hex)>& place) {
    if (!hex_) return;
    place(*hex_);
    if (!hexPage_ || tabs_->indexOf(hexPage_) < 0 || !hex_->HasStream()) return;
    setTabShown(hexPage_, true);
    tabs_->setCurrentWidget(hexPage_);
}

void MainWindow::CloseAll() {
    // Whatever still shows a stream lets go of it before any reader or the image goes: the hex viewer,
    // the current node, the field grid's rows and the map view.
    if (hex_) hex_->Clear();
    setTabShown(hexPage_, false);
    {
        const QSignalBlocker blocker(dataPage_->treeView->selectionModel());
        dataPage_->treeView->selectionModel()->clearCurrentIndex();
    }
    tree_.SetCurrent(nullptr);
    ClearInfoGrid();
    mapCommands_->CloseMap();

    openPresenter_->SetOpenMap(false, false);
    {
        const QSignalBlocker blocker(dataPage_->treeView->selectionModel());
        tree_.Clear();
    }
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

void MainWindow::applyLanguageButtons() {
    for (FlatButton* button : {dataPage_->langBtn1, dataPage_->langBtn2}) {
        button->setEnabled(dataPresenter_->LanguageButtonsEnabled());
        button->setText(dataPresenter_->LanguageButtonText());
    }
}

void MainWindow::applyTreeWidthRatio() {
    if (const std::optional<int> treeWidth = dataPresenter_->TreeWidthFor(width()))
        dataPage_->SetTreePanelWidth(*treeWidth);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    run([&] { applyTreeWidthRatio(); });
}

bool MainWindow::OpenDiskOrFolder(const QString& path, bool asDisk) {
    return opening_->Open(asDisk ? OpenTabController::Source::Disk : OpenTabController::Source::Folder, path);
}

bool MainWindow::OpenFile(const QString& path) {
    return opening_->Open(OpenTabController::Source::File, path);
}

void MainWindow::OpenIsoImage(const QString& path) {
    opening_->Open(OpenTabController::Source::Iso, path);
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
    if (outcome.expandRoot) {
        // Built now, not when the view next lays itself out: the opening is complete when it returns.
        const QModelIndex root = treeModel_->IndexOf(outcome.expandRoot);
        if (treeModel_->canFetchMore(root)) treeModel_->fetchMore(root);
        dataPage_->treeView->expand(root);
    }
}

void MainWindow::walkToParcel(const TLN_ParcelNumber& number) {
    if (!data_.map) return;
    showDataTab();
    QTreeView* view = dataPage_->treeView;
    {
        const WaitCursor wait;
        ClearInfoGrid();
        view->viewport()->update();
        // Tree updates are held back while the walk changes the tree, and resume on every way out.
        view->setUpdatesEnabled(false);
        const auto resume = qScopeGuard([view] { view->setUpdatesEnabled(true); });
        const ParcelWalk walk = WalkToParcel(*treeModel_, *data_.map, number);
        for (RecordNode* node : walk.path)
            view->expand(treeModel_->IndexOf(node));
        if (walk.parcel) {
            const QModelIndex parcel = treeModel_->IndexOf(walk.parcel);
            view->expand(parcel);
            view->scrollTo(parcel);
            view->setCurrentIndex(parcel);
        }
    }
    viewHost_->Progress(0, 0);
    view->setFocus();
}

void MainWindow::SetMapConverter(MapConverterHook hook) {
    converter_ = std::move(hook);
    openPresenter_->SetConverterAvailable(bool(converter_.create));
}

void MainWindow::WizardBtnClick() {
    if (!converter_.create) return;
    QDialog* converter = converter_.create(this);
    if (!converter) return;
    converter->setAttribute(Qt::WA_DeleteOnClose);
    connect(converter, &QDialog::finished, this, [this, converter](int result) {
        run([&] {
            // The converter's own progress ends with it, whatever happens next.
            taskBar_.SetProgressState(TaskBarProgressStyle::None);
            if (result != QDialog::Accepted || !converter_.writtenMap) return;
            const QString map = converter_.writtenMap(converter);
            if (map.isEmpty()) return;
            // The converted map is opened as written: the automatic code page choice is off meanwhile,
            // and set back as it was even when opening raises.
            const bool autoSelect = codePages_.AutoSelect();
            codePages_.SetAutoSelect(false);
            const auto restore = qScopeGuard([this, autoSelect] { charset_->SetAutoSelect(autoSelect); });
            OpenFile(map);
        });
    });
    converter->open();
}
