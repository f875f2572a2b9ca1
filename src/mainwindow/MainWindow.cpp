// The main window's life: building its tabs, what it reads when created, docks when first shown and
// writes when closed, closing what was opened, and the layout events.
#include "mainwindow/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>

#include "hexview/model/HexViewApi.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/index/IndexManager.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/FieldGridView.h"
#include "mainwindow/IndexGridsController.h"
#include "mainwindow/IsoPage.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/ReopenLabel.h"
#include "mainwindow/ReopenNotifier.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WindowViewHost.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/IsoExtraction.h"
#include "mainwindow/model/IsoTabPresenter.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/OpenTabPresenter.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mapview/KiwiMapViewer.h"
#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"
#include "unpack/UnpackWizard.h"
#include "widgets/Guarded.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatHint.h"

#ifndef STROVANE_VERSION
#define STROVANE_VERSION "0.1"
#endif

namespace {
constexpr int kRoadColorBytes = 64;
} // namespace

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
    formCreate();
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
    if (QWidget* view = mapView_->Widget()) view->removeEventFilter(this);
    // The hint outlives this body by a little: it must not ask a half-destroyed window for the map's text.
    flatHint1_->SetOnShowHint(nullptr);
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
    if (!mapView_) {
        ownMapView_ = new TKiwiMapViewer();
        mapView_ = ownMapView_;
    }
    mapPage_ = new MapPage(mapView_->Widget(), tabs_);
    mapPresenter_ = std::make_unique<MapTabPresenter>(*mapView_);
    mapView_->SetEvents(mapPresenter_.get());
    openPresenter_ = std::make_unique<OpenTabPresenter>();
    isoPresenter_ = std::make_unique<IsoTabPresenter>();
    dataPresenter_ = std::make_unique<DataTabPresenter>(codePages_, data_);
    openPresenter_->SetElider([this](const QString& path) {
        const QFontMetrics metrics(openPage_->reopenLabels[0]->font());
        return metrics.elidedText(path, Qt::ElideMiddle, std::max(10, openPage_->ReopenTextWidth()));
    });
    tabs_->addTab(openPage_, QString());
    tabs_->addTab(isoPage_, QString());
    tabs_->addTab(dataPage_, QString());
    tabs_->addTab(mapPage_, QString());
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

    reopenTimer_ = new QTimer(this);
    notifier_ = new ReopenNotifier(this);
}

void MainWindow::connectCommands() {
    OpenPage* page = openPage_;
    auto bind = [this](auto* sender, auto signal, void (MainWindow::*command)()) {
        connect(sender, signal, this, [this, command] { run([&] { (this->*command)(); }); });
    };
    bind(page->diskButton, &FlatButton::clicked, &MainWindow::DiskButtonClick);
    bind(page->folderButton, &FlatButton::clicked, &MainWindow::FolderButtonClick);
    bind(page->fileButton, &FlatButton::clicked, &MainWindow::FileButtonClick);
    bind(page->openIsoButton, &FlatButton::clicked, &MainWindow::OpenIsoButtonClick);
    bind(page->unpackButton, &FlatButton::clicked, &MainWindow::UnpackButtonClick);
    bind(page->wizardBtn, &FlatButton::clicked, &MainWindow::WizardBtnClick);
    bind(page->burnDvdBtn, &FlatButton::clicked, &MainWindow::BurnDVDBtnClick);
    bind(page->reopenDiskBtn, &FlatButton::clicked, &MainWindow::ReopenDiskBtnClick);
    bind(page->reopenFolderBtn, &FlatButton::clicked, &MainWindow::ReopenFolderBtnClick);
    bind(page->reopenFileBtn, &FlatButton::clicked, &MainWindow::ReopenFileBtnClick);
    bind(page->reopenIsoBtn, &FlatButton::clicked, &MainWindow::ReopenIsoBtnClick);
    bind(page->stayOnTopBtn, &FlatButton::clicked, &MainWindow::StayOnTopBtnClick);
    page->makerLabel->installEventFilter(this);
    for (ReopenLabel* label : page->reopenLabels)
        connect(label, &ReopenLabel::Clicked, this,
                [this](int index) { run([&] { ReopenLabelClick(index); }); });
    connect(page, &OpenPage::ReopenWidthChanged, this, [this] {
        run([&] {
            // The shortened texts depend on the label width, which is final only once laid out. Before the
            // first animation the labels stay empty, so that it types them from the start.
            if (ReopenAnimationRunning() || !openPresenter_->AnimationStarted()) return;
            UpdateReopenLabels();
        });
    });
    bind(reopenTimer_, &QTimer::timeout, &MainWindow::OnReopenTimer);
    connect(openPresenter_.get(), &OpenTabPresenter::LabelsChanged, this, &MainWindow::applyReopenLabels);
    connect(openPresenter_.get(), &OpenTabPresenter::ReopenButtonsChanged, this,
            &MainWindow::applyReopenButtons);
    connect(openPresenter_.get(), &OpenTabPresenter::ConverterChanged, this, &MainWindow::applyWizardButton);
    bind(notifier_, &ReopenNotifier::Changed, &MainWindow::OnReopenChanged);
    bind(dataPage_->splitter, &QSplitter::splitterMoved, &MainWindow::OnSplitterMoved);
    connect(dataPresenter_.get(), &DataTabPresenter::LanguagesChanged, this, [this] {
        menus_->SetLanguages(dataPresenter_->Languages());
        applyLanguageButtons();
    });
    connect(dataPresenter_.get(), &DataTabPresenter::LanguageChosen, this, &MainWindow::applyLanguageButtons);
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
    connect(treeModel_.get(), &RecordTreeModel::CurrentNodeDeleted, this,
            [this] { run([&] { onCurrentNodeDeleted(); }); });
    // A cleared field grid takes the record's picture and play button with it.
    connect(&gridModel_, &QAbstractItemModel::modelReset, this, [this] {
        viewHost_->Reset();
        dataPage_->fieldGrid->setToolTip(QString());
    });
    connect(dataPage_->fieldGrid, &FieldGridView::jumpRequested, this,
            [this](qint64 offset) { run([&] { jumpToOffset(offset); }); });
    connect(dataPage_->fieldGrid, &FieldGridView::fileJumpRequested, this,
            [this](const QString& file, qint64 offset) { run([&] { ShowFileInHexViewer(file, offset); }); });
    connect(dataPage_->playSpeedBtn, &QPushButton::clicked, this,
            [this] { run([&] { viewHost_->Play(); }); });
    connect(dataPage_->stopSpeedBtn, &QPushButton::clicked, this,
            [this] { run([&] { viewHost_->Stop(); }); });

    connectMapCommands();
    connectIsoCommands();
    const auto bindItem = [this](QAction* item, void (MainWindow::*command)()) {
        connect(item, &QAction::triggered, this, [this, command] { run([&] { (this->*command)(); }); });
    };
    bindItem(menus_->copyStringGridItem, &MainWindow::CopyStringGridMenuItemClick);
    bindItem(menus_->copyDbGridItem, &MainWindow::CopyDBGridMenuItemClick);
    bindItem(menus_->showInHexViewerDbItem, &MainWindow::ShowinHexViewerDBMenuItemClick);
    bindItem(menus_->copyGraphicImageItem, &MainWindow::CopyGraphicImageMenuItemClick);
    bindItem(menus_->pasteImageItem, &MainWindow::PasteImageMenuItemClick);
    for (QAction* item : menus_->clutItems)
        connect(item, &QAction::triggered, this,
                [this, item] { run([&] { CopyClutMenuItemClick(item->data().toString()); }); });
    connect(dataPage_->graphicImage, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        menus_->graphicMenu->popup(dataPage_->graphicImage->mapToGlobal(at));
    });
    for (QTableView* grid : {dataPage_->categoryGrid, dataPage_->matchingGrid})
        connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
            dbMenuGrid_ = grid;
            dbMenuPoint_ = at;
            menus_->dbMenu->popup(grid->viewport()->mapToGlobal(at));
        });
}

void MainWindow::formCreate() {
    tree_.SetCurrent(nullptr);
    setTabShown(isoPage_, false);
    setTabShown(dataPage_, false);
    setTabShown(mapPage_, false);
    // A wheel is assumed (it cannot be asked): the zoom buttons start hidden, their menu item shows them.
    mapPage_->upDown->setVisible(false);
    menus_->upDownItem->setChecked(mapPage_->upDown->isVisible());
    menus_->doubleDensityItem->setChecked(mapView_->ScaleDensity() == 8);
    menus_->dispScaleFilterItem->setChecked(mapView_->UseDisplayScale());
    syncLayerItems();
    // The code page the layout starts with, until the settings choose another.
    mapPresenter_->SetCodePageName(codePages_.StatusText());
    for (int column = 1; column <= 3; ++column)
        mapPage_->stringGrid2->setColumnWidth(column, 50);
    applyWindowTexts();
    readSettings();
    // Form width × 10000 / tree panel width, from the window layout's sizes; a tree of no width keeps none.
    dataPresenter_->KeepTreeWidth(kDefaultWidth, DataPage::kInitialTreeWidth);
    openPage_->reopenLabels[0]->clear();
    // The first reopen animation starts as the event loop runs.
    QMetaObject::invokeMethod(this, &MainWindow::OnReopenChanged, Qt::QueuedConnection);
}

void MainWindow::applyWindowTexts() {
    OpenPage* page = openPage_;
    page->diskButton->setText(QStringLiteral("Открыть диск"));
    page->folderButton->setText(QStringLiteral("Открыть папку"));
    page->fileButton->setText(QStringLiteral("Открыть файл"));
    page->openIsoButton->setText(QStringLiteral("Открыть ISO файл"));
    page->unpackButton->setText(QStringLiteral("Распаковать файлы"));
    page->burnDvdBtn->setText(QStringLiteral("Записать DVD"));
    page->donateBtn->setText(QStringLiteral("Поддержать"));
    page->wizardBtn->setText(QStringLiteral("Конвертер Карт"));
    page->stayOnTopBtn->setText(QStringLiteral("Поверх окон"));
    page->versionLabel->setText(QStringLiteral("Strovane " STROVANE_VERSION));
    page->makerLabel->setText(QStringLiteral("Strovane project"));
    // The converter's button works once a converter is set; the donation page is not part of this program.
    applyWizardButton();
    page->donateBtn->setEnabled(false);
    tabs_->setTabText(tabs_->indexOf(openPage_), QStringLiteral(" Открыть "));
    tabs_->setTabText(tabs_->indexOf(isoPage_), QStringLiteral("   ISO     "));
    tabs_->setTabText(tabs_->indexOf(dataPage_), QStringLiteral("  Данные  "));
    tabs_->setTabText(tabs_->indexOf(mapPage_), QStringLiteral("   Карта   "));
    menus_->ApplyTexts();
    mapPage_->exploreParcelButton->setText(QStringLiteral("Показать данные участка"));
    mapPage_->settingsBtn->setToolTip(QStringLiteral("Меню настройки"));
    mapPage_->divisionImage->setToolTip(QStringLiteral("Положение парселя\nDivision/Integration"));
    dataPage_->graphicImage->setToolTip(QStringLiteral("Вы можете скопировать эту картинку"));
    dataPage_->label3->setText(QStringLiteral("Записей в таблице:"));
    dataPage_->label4->setText(QStringLiteral("Записей в таблице:"));
    dataPage_->innerTabs->setTabText(dataPage_->innerTabs->indexOf(dataPage_->infoSheet),
                                     QStringLiteral("Информационная панель"));
    dataPage_->innerTabs->setTabText(dataPage_->innerTabs->indexOf(dataPage_->matchingSheet),
                                     QStringLiteral("Выборка данных"));
}

void MainWindow::readSettings() {
    // "RoadColors" counts only as 16 whole colours: any other length leaves the map view's own.
    if (const auto stored = SettingsStore::forUser().read(QStringLiteral("RoadColors"))) {
        const QByteArray* bytes = std::get_if<QByteArray>(&*stored);
        if (bytes && bytes->size() == kRoadColorBytes) {
            std::array<uint32_t, 16> colours{};
            for (size_t i = 0; i < colours.size(); ++i) {
                const auto* b = reinterpret_cast<const uint8_t*>(bytes->constData()) + 4 * i;
                colours[i] =
                    uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
            }
            mapView_->SetRoadColors(colours);
        }
    }
    const int32_t codePage = RegReadInteger(QStringLiteral("MapCodePage"));
    if (codePage > 0) {
        MapTextCodePage.store(codePage);
        codePages_.SetAutoSelect(false);
        if (MapCodePageChoice::IsMenuCodePage(codePage))
            SetMapCodePage(codePage, true);
        else
            codePages_.SetAutoSelect(true);
    }
    syncCharsetMenu();
    if (RegValueExists(QStringLiteral("DrawGrid"))) {
        menus_->drawGridItem->setChecked(RegReadInteger(QStringLiteral("DrawGrid")) != 0);
        mapView_->SetDrawGrid(menus_->drawGridItem->isChecked());
    }
    openPresenter_->ReadSettings();
}

void MainWindow::syncCharsetMenu() {
    menus_->autoItem->setChecked(codePages_.AutoSelect());
    for (int codePage : MapCodePageChoice::kCodePages)
        if (QAction* item = menus_->CharsetItem(codePage))
            item->setChecked(codePage == codePages_.CheckedCodePage());
    for (int tag = 0; tag < MapCodePageChoice::kFonts; ++tag)
        menus_->fontItems[size_t(tag)]->setChecked(tag == codePages_.CheckedFont());
}

void MainWindow::SetHexViewer(HexViewApi* hex) {
    hex_ = hex;
    viewHost_->SetHexViewer(hex_, [this](bool shown) { setHexTabShown(shown); });
    if (hex_) {
        hex_->SetDisplayCodePage(MapTextCodePage.load());
        hex_->SetCodePageName(mapPresenter_->PanelText(MapTabPresenter::kCodePagePanel));
    }
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
    run([&] { formClose(); });
    QMainWindow::closeEvent(event);
}

void MainWindow::formClose() {
    if (closed_) return;
    closed_ = true;
    const std::array<uint32_t, 16> colours = mapView_->RoadColors();
    QByteArray bytes;
    for (uint32_t colour : colours)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(char((colour >> shift) & 0xFF));
    RegWriteBinary(QStringLiteral("RoadColors"), bytes.constData(), bytes.size());
    RegWriteInteger(QStringLiteral("MapCodePage"), codePages_.AutoSelect() ? 0 : MapTextCodePage.load());
    RegWriteInteger(QStringLiteral("DrawGrid"), menus_->drawGridItem->isChecked() ? 1 : 0);
    CloseAll();
}

bool MainWindow::MapLoaded() const {
    return mapPresenter_->HasMap();
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

void MainWindow::setHexTabShown(bool shown) {
    setTabShown(hexPage_, shown);
}

void MainWindow::jumpToOffset(qint64 offset) {
    if (!hex_) return;
    hex_->GotoOffset(offset);
    // The tab is found by its page, wherever it stands among the tabs.
    if (!hexPage_ || tabs_->indexOf(hexPage_) < 0 || !hex_->HasStream()) return;
    setHexTabShown(true);
    tabs_->setCurrentWidget(hexPage_);
}

void MainWindow::ShowFileInHexViewer(const QString& fileName, qint64 offset) {
    if (!hex_) return;
    const std::string name = fileName.toStdString();
    if (viewHost_->ShowsFile(name)) {
        jumpToOffset(offset);
        return;
    }
    // Opened before anything changes: a file that cannot be opened leaves the viewer as it was.
    if (!data_.index || !data_.index->DataFileExists(name)) return;
    viewHost_->ShowInHexViewer(data_.index->OpenDataFile(name), offset);
    if (hexPage_ && tabs_->indexOf(hexPage_) >= 0 && hex_->HasStream()) tabs_->setCurrentWidget(hexPage_);
}

void MainWindow::onCurrentNodeDeleted() {
    // The hex viewer may hold the node's stream or one opened for it, and the grid's rows may read through
    // the node's reader: both let go before the node and its reader are freed.
    if (hex_) hex_->Clear();
    setHexTabShown(false);
    ClearInfoGrid();
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
    mapView_->SetMap(nullptr);
    mapView_->SetRegionManager(nullptr);
    mapPresenter_->SetMap(nullptr);
    mapPresenter_->Clear();

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
    if (codePages_.AutoSelect()) SetMapCodePage(65001, true);
    menus_->backgroundItem->setChecked(true);
    menus_->roadsItem->setChecked(true);
    menus_->namesItem->setChecked(true);
    menus_->tmcItem->setChecked(false);
    menus_->routeItem->setChecked(false);
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

int MainWindow::TreeWidthRatio() const {
    return dataPresenter_->TreeWidthRatio();
}

void MainWindow::OnSplitterMoved() {
    dataPresenter_->KeepTreeWidth(width(), dataPage_->TreePanelWidth());
}

void MainWindow::applyTreeWidthRatio() {
    if (const std::optional<int> treeWidth = dataPresenter_->TreeWidthFor(width()))
        dataPage_->SetTreePanelWidth(*treeWidth);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    run([&] { applyTreeWidthRatio(); });
}

void MainWindow::StayOnTopBtnClick() {
    const bool onTop = !(windowFlags() & Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    show();
    openPage_->stayOnTopBtn->setText(onTop ? QStringLiteral("Обычное окно") : QStringLiteral("Поверх окон"));
    openPage_->Relayout();
}

void MainWindow::TarnwickLabelClick() {
    // The maker's password box: a confirmed entry is only answered with a beep.
    if (!services_.texts) return;
    const std::optional<QString> entry =
        services_.texts->Password(this, QStringLiteral("Password"), QStringLiteral("Введите пароль:"));
    if (entry && services_.beep) services_.beep();
}

void MainWindow::UnpackButtonClick() {
    auto* wizard = new UnpackWizard(services_, taskBar_, this);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    if (data_.compression && !data_.compression->ListFileName().empty())
        wizard->LoadCmpFile(QString::fromStdString(data_.compression->ListFileName()));
    wizard->open();
}
