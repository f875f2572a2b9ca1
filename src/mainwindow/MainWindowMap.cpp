// The main window's Map tab: the widgets that show what the presenter makes of the map view's events, the
// settings menu (zoom buttons, density, scale filter, grid, map elements, road colours), the code page, font
// and language choices that every view of names follows, the pop-up menus, hints, and the walk from the
// selected parcel to its node in the record tree.
#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeView>

#include "hexview/model/HexViewApi.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/display/GridBitmaps.h"
#include "kiwi/display/RoadPalettes.h"
#include "kiwi/display/WindowsColor.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/DataPage.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/OpenPage.h"
#include "mainwindow/WaitCursor.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WindowViewHost.h"
#include "mainwindow/WorldOverviewImage.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/ParcelWalk.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mapview/core/MapViewApi.h"
#include "widgets/Guarded.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatHint.h"

namespace {

// The road colour tables in menu order: "Default AISIN", "Default DENSO", "Default ZRV".
const TLN_RoadPalette* const kRoadTables[] = {&AisinRoadPalette, &DensoRoadPalette, &StartRoadPalette};

// A colour as the map view keeps it (0x00BBGGRR).
uint32_t windowsColour(const QColor& colour) {
    return uint32_t(colour.red()) | uint32_t(colour.green()) << 8 | uint32_t(colour.blue()) << 16;
}

// Tree updates are held back while the walk changes the tree, and resume on every way out.
class UpdatesSuspended {
public:
    explicit UpdatesSuspended(QWidget* widget) : widget_(widget) { widget_->setUpdatesEnabled(false); }
    ~UpdatesSuspended() { widget_->setUpdatesEnabled(true); }
    UpdatesSuspended(const UpdatesSuspended&) = delete;
    UpdatesSuspended& operator=(const UpdatesSuspended&) = delete;

private:
    QWidget* widget_;
};

} // namespace

void MainWindow::connectMapCommands() {
    auto command = [this](auto&& work) { return [this, work] { run(work); }; };
    MapTabPresenter* presenter = mapPresenter_.get();
    connect(presenter, &MapTabPresenter::PanelsChanged, this, [this] { showMapPanels(); });
    connect(presenter, &MapTabPresenter::TableChanged, this, [this] { showLevelTable(); });
    connect(presenter, &MapTabPresenter::DivisionChanged, this, [this] { showDivisionImage(); });
    connect(presenter, &MapTabPresenter::ExploreChanged, mapPage_->exploreParcelButton, &QWidget::setEnabled);
    connect(presenter, &MapTabPresenter::FrameChanged, this,
            [this] { mapPage_->mapImage->SetViewPort(mapPresenter_->Frame()); });
    showMapPanels();
    showLevelTable();

    connect(mapPage_->exploreParcelButton, &FlatButton::clicked, this,
            command([this] { ExploreParcelButtonClick(); }));
    connect(menus_->exploreParcelItem, &QAction::triggered, this,
            command([this] { ExploreParcelMenuItemClick(mapMenuPoint_); }));
    if (QWidget* view = mapView_->Widget()) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            mapMenuPoint_ = at;
            menus_->mapMenu->popup(view->mapToGlobal(at));
        });
        view->installEventFilter(this);
        // The map's hint is worded by the point under the cursor, asked for each time a hint is due.
        flatHint1_->SetOnShowHint([this, view](QWidget* control, QString& text, bool& canShow) {
            if (control != view) return;
            const QPoint at = view->mapFromGlobal(flatHint1_->HintCursor());
            run([&] { text = MapHintAt(at); });
            canShow = !text.isEmpty();
        });
    }
    mapPage_->statusBar->installEventFilter(this);
    connect(mapPage_->zoomInButton, &FlatButton::clicked, this, command([this] { UpDown1Click(true); }));
    connect(mapPage_->zoomOutButton, &FlatButton::clicked, this, command([this] { UpDown1Click(false); }));
    connect(mapPage_->settingsBtn, &FlatButton::clicked, this, command([this] { SettingsBtnClick(); }));
    connect(menus_->settingsMenu, &QMenu::aboutToShow, this, command([this] { SettingsPopupMenuPopup(); }));

    auto checked = [this](QAction* item, void (MainWindow::*handler)(bool)) {
        connect(item, &QAction::triggered, this,
                [this, handler](bool on) { run([&] { (this->*handler)(on); }); });
    };
    checked(menus_->upDownItem, &MainWindow::UpDownMenuItemClick);
    checked(menus_->doubleDensityItem, &MainWindow::DoubleDensityMenuItemClick);
    checked(menus_->dispScaleFilterItem, &MainWindow::DispScaleFilterMenuItemClick);
    checked(menus_->drawGridItem, &MainWindow::DrawGridMenuItemClick);
    checked(menus_->autoItem, &MainWindow::AutoMenuItemClick);
    for (QAction* item : menus_->MapElementItems())
        connect(item, &QAction::triggered, this, command([this, item] { MapElementMenuItemClick(item); }));
    connect(menus_, &WindowMenus::RoadTableChosen, this,
            [this](int table) { run([&] { RoadColorTableClick(table); }); });
    connect(menus_, &WindowMenus::RoadClassChosen, this,
            [this](int displayClass) { run([&] { RoadColorClassClick(displayClass); }); });
    connect(menus_, &WindowMenus::FontChosen, this,
            [this](int tag) { run([&] { MapFontMenuItemClick(tag); }); });
    connect(menus_, &WindowMenus::CodePageChosen, this,
            [this](int codePage) { run([&] { MapCharSetMenuItemClick(codePage); }); });
    connect(menus_, &WindowMenus::LanguageChosen, this,
            [this](int index) { run([&] { LanguageMenuItemClick(index); }); });
    connect(dataPage_->dbSettingsBtn1, &FlatButton::clicked, this,
            command([this] { DBSettingsBtn1Click(dataPage_->dbSettingsBtn1); }));
    for (FlatButton* button : {dataPage_->langBtn1, dataPage_->langBtn2})
        connect(button, &FlatButton::clicked, this, command([this, button] { LangBtnClick(button); }));
    connect(menus_->stringGridCharsetItem, &QAction::triggered, this,
            command([this] { StringGridCharsetMenuItemClick(); }));
    connect(menus_->stringGridLanguageItem, &QAction::triggered, this,
            command([this] { StringGridLanguageMenuItemClick(); }));
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        run([&] {
            if (tabs_->currentWidget() == mapPage_) MapTabSheetShow();
            if (tabs_->currentWidget() == dataPage_) DataTabSheetShow();
        });
    });
}

void MainWindow::showMapPanels() {
    for (int panel = 0; panel < MapPage::kPanels; ++panel)
        mapPage_->panels[size_t(panel)]->setText(mapPresenter_->PanelText(panel));
}

void MainWindow::showLevelTable() {
    QTableWidget* table = mapPage_->stringGrid2;
    for (int row = 0; row < MapTabPresenter::kRows; ++row)
        for (int column = 0; column < MapTabPresenter::kColumns; ++column)
            table->item(row, column)->setText(mapPresenter_->Cell(row, column));
}

void MainWindow::showDivisionImage() {
    QLabel* label = mapPage_->divisionImage;
    const QImage& image = mapPresenter_->DivisionImage();
    if (image.isNull()) {
        label->clear();
        return;
    }
    // Pictures of many cells are larger than the label: shown whole, smoothed so the grid lines stay seen.
    const QImage shown = image.width() > label->width() || image.height() > label->height()
                             ? image.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)
                             : image;
    label->setPixmap(QPixmap::fromImage(shown));
}

void MainWindow::syncLayerItems() {
    const int layers = mapView_->Layers();
    for (QAction* item : menus_->MapElementItems())
        item->setChecked((layers & item->data().toInt()) != 0);
}

void MainWindow::SetMapCodePage(int codePage, bool apply) {
    codePages_.SetMapCodePage(codePage);
    syncCharsetMenu();
    mapPresenter_->SetCodePageName(codePages_.StatusText());
    if (!apply) return;
    // Fonts carry no charset here: the views decode names themselves, the hex viewer's characters too, in
    // the map text code page.
    if (data_.map) data_.map->SetCodePages(LoadMapCodePages());
    if (hex_) {
        hex_->SetDisplayCodePage(MapTextCodePage.load());
        hex_->SetCodePageName(codePages_.StatusText());
    }
}

void MainWindow::RefreshCharsetViews() {
    if (!MapLoaded()) return;
    mapView_->NamesChanged();
    dataPage_->categoryGrid->viewport()->update();
    dataPage_->matchingGrid->viewport()->update();
    if (hex_) hex_->SetCodePageName(mapPresenter_->PanelText(MapTabPresenter::kCodePagePanel));
    dataPage_->treeView->viewport()->update();
    // The field grid's names are decoded when the node is shown: it is shown again.
    if (RecordNode* current = tree_.Current()) {
        const QModelIndex at = treeModel_->IndexOf(current);
        if (at.isValid()) treeModel_->Select(at);
    }
}

void MainWindow::MapCharSetMenuItemClick(int codePage) {
    SetMapCodePage(codePage, true);
    RefreshCharsetViews();
}

void MainWindow::MapFontMenuItemClick(int tag) {
    const std::optional<MapCodePageChoice::FontChange> change = codePages_.SetFont(tag);
    if (!change) return;
    if (data_.map) data_.map->SetCodePages(LoadMapCodePages());
    if (change->codePageChanged) RefreshCharsetViews();
    syncCharsetMenu();
}

void MainWindow::LanguageMenuItemClick(int index) {
    if (!dataPresenter_->ChooseLanguage(index)) return;
    if (QAction* item = menus_->LanguageItem(index)) item->setChecked(true);
    RefreshCharsetViews();
}

void MainWindow::AutoMenuItemClick(bool checked) {
    codePages_.SetAutoSelect(checked);
    menus_->autoItem->setChecked(checked);
    if (!checked) return;
    // The automatic choice clicks the charset item of the map's code page, if its codes name one.
    if (const int codePage = opener_.AutoCharset()) MapCharSetMenuItemClick(codePage);
}

void MainWindow::ExploreParcelButtonClick() {
    if (!mapView_->SelectionShown() || !data_.map) return;
    walkToParcel(mapView_->SelectedParcel());
}

void MainWindow::ExploreParcelMenuItemClick(QPoint client) {
    mapView_->ClickAt(client);
    ExploreParcelButtonClick();
}

void MainWindow::walkToParcel(const TLN_ParcelNumber& number) {
    showDataTab();
    QTreeView* view = dataPage_->treeView;
    {
        const WaitCursor wait;
        ClearInfoGrid();
        view->viewport()->update();
        const UpdatesSuspended suspended(view);
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

void MainWindow::UpDown1Click(bool up) {
    if (up)
        mapView_->ZoomIn();
    else
        mapView_->ZoomOut();
}

void MainWindow::popupAbove(QMenu* menu, QPoint screen) {
    menu->popup(screen - QPoint(0, menu->sizeHint().height()));
}

void MainWindow::focusMapView() {
    if (QWidget* view = mapView_->Widget()) view->setFocus();
}

void MainWindow::SettingsBtnClick() {
    popupAbove(menus_->settingsMenu, mapPage_->settingsBtn->mapToGlobal(QPoint(0, 0)));
    focusMapView();
}

void MainWindow::SettingsPopupMenuPopup() {
    const std::array<uint32_t, 16> colours = mapView_->RoadColors();
    for (size_t roadClass = 0; roadClass < colours.size(); ++roadClass)
        menus_->roadClassItems[roadClass]->setIcon(
            QIcon(QPixmap::fromImage(MakeColorSwatch(colours[roadClass]))));
}

void MainWindow::UpDownMenuItemClick(bool checked) {
    mapPage_->upDown->setVisible(checked);
}

void MainWindow::DoubleDensityMenuItemClick(bool checked) {
    mapView_->SetScaleDensity(checked ? 8 : 4);
}

void MainWindow::DispScaleFilterMenuItemClick(bool checked) {
    mapView_->SetUseDisplayScale(checked);
}

void MainWindow::DrawGridMenuItemClick(bool checked) {
    mapView_->SetDrawGrid(checked);
}

void MainWindow::MapElementMenuItemClick(QAction* item) {
    // The mask follows every item's check, not only the clicked one's: closing a source resets the checks
    // without telling the view, and the view must draw what the menu shows.
    int layers = 0;
    for (QAction* element : menus_->MapElementItems())
        if (element->isChecked()) layers |= element->data().toInt();
    if (item) mapView_->SetLayers(layers, true);
}

void MainWindow::RoadColorTableClick(int table) {
    if (table < 0 || table >= int(std::size(kRoadTables))) return;
    std::array<uint32_t, 16> colours{};
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = (*kRoadTables[table])[i];
    mapView_->SetRoadColors(colours);
}

void MainWindow::RoadColorClassClick(int displayClass) {
    if (displayClass < 0 || displayClass >= 16 || !services_.colors) return;
    const QColor current = winColor(mapView_->RoadColors()[size_t(displayClass)]);
    if (const std::optional<QColor> chosen = services_.colors->Choose(this, current))
        mapView_->SetRoadColor(displayClass, windowsColour(*chosen));
}

void MainWindow::StatusBar1Click() {
    // Over the code page's panel: the status bar's left edge plus the panels before it, and 10 pixels.
    QStatusBar* bar = mapPage_->statusBar;
    const QPoint corner = bar->mapToGlobal(QPoint(0, 0));
    const int panelsBefore = mapPage_->panels[MapTabPresenter::kCodePagePanel]->geometry().left();
    popupAbove(menus_->charsetMenu, QPoint(corner.x() + panelsBefore + 10, corner.y()));
    focusMapView();
}

void MainWindow::DBSettingsBtn1Click(QAbstractButton* button) {
    if (button) menus_->charsetMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void MainWindow::LangBtnClick(QAbstractButton* button) {
    if (button) menus_->languageMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void MainWindow::StringGridCharsetMenuItemClick() {
    menus_->charsetMenu->popup(QCursor::pos());
}

void MainWindow::StringGridLanguageMenuItemClick() {
    menus_->languageMenu->popup(QCursor::pos());
}

void MainWindow::MapTabSheetShow() {
    focusMapView();
}

void MainWindow::DataTabSheetShow() {
    dataPage_->treeView->setFocus();
}

QString MainWindow::MapHintAt(QPoint client) const {
    const std::optional<QString> hint = mapView_->HintTextAt(client);
    if (!hint) return {};
    // The view separates the lines with line feed and carriage return; a tooltip breaks at the line feed.
    QString text = *hint;
    text.remove(QLatin1Char('\r'));
    return text;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The flat hint has answered the map's hint request already (or found nothing to show): the view's
    // own tooltip stays silent.
    if (event->type() == QEvent::ToolTip && mapView_->Widget() && watched == mapView_->Widget()) return true;
    if (event->type() == QEvent::MouseButtonRelease && watched == mapPage_->statusBar) {
        run([&] { StatusBar1Click(); });
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == openPage_->makerLabel) {
        run([&] { TarnwickLabelClick(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
