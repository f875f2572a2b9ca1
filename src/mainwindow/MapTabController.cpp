// The Map tab's widgets, menus and hints, and the menus of the choices of names.
#include "mainwindow/MapTabController.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
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
#include "mainwindow/DataPage.h"
#include "mainwindow/DataTabCommands.h"
#include "mainwindow/MapPage.h"
#include "mainwindow/WindowMenus.h"
#include "mainwindow/WorldOverviewImage.h"
#include "mainwindow/model/CharsetPresenter.h"
#include "mainwindow/model/DataTabPresenter.h"
#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/MapTabPresenter.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mapview/core/MapViewApi.h"
#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"
#include "widgets/Services.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatHint.h"

namespace {
constexpr int kRoadColorBytes = 64;
// The road colour tables in menu order: "Default AISIN", "Default DENSO", "Default ZRV".
const TLN_RoadPalette* const kRoadTables[] = {&AisinRoadPalette, &DensoRoadPalette, &StartRoadPalette};

// A colour as the map view keeps it (0x00BBGGRR).
uint32_t windowsColour(const QColor& colour) {
    return uint32_t(colour.red()) | uint32_t(colour.green()) << 8 | uint32_t(colour.blue()) << 16;
}

// Pops menu with its lower left corner at a screen point.
void popupAbove(QMenu* menu, QPoint screen) {
    menu->popup(screen - QPoint(0, menu->sizeHint().height()));
}

void popupBelow(QMenu* menu, QWidget* button) {
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}
} // namespace

MapTabController::MapTabController(Parts parts, QObject* parent) : QObject(parent), parts_(std::move(parts)) {
    MapPage& page = parts_.page;
    WindowMenus& menus = parts_.menus;
    MapViewApi& view = parts_.view;
    // A wheel is assumed (it cannot be asked): the zoom buttons start hidden, their menu item shows them.
    page.upDown->setVisible(false);
    menus.upDownItem->setChecked(page.upDown->isVisible());
    menus.doubleDensityItem->setChecked(view.ScaleDensity() == 8);
    menus.dispScaleFilterItem->setChecked(view.UseDisplayScale());
    syncLayerItems();
    auto command = [this](auto&& work) { return [this, work] { parts_.run(work); }; };
    MapTabPresenter* presenter = &parts_.presenter;
    connect(presenter, &MapTabPresenter::PanelsChanged, this, &MapTabController::showPanels);
    connect(presenter, &MapTabPresenter::TableChanged, this, &MapTabController::showLevelTable);
    connect(presenter, &MapTabPresenter::DivisionChanged, this, &MapTabController::showDivisionImage);
    connect(presenter, &MapTabPresenter::ExploreChanged, page.exploreParcelButton, &QWidget::setEnabled);
    connect(presenter, &MapTabPresenter::FrameChanged, this,
            [this] { parts_.page.mapImage->SetViewPort(parts_.presenter.Frame()); });
    showPanels();
    showLevelTable();
    CharsetPresenter* charset = &parts_.charset;
    connect(charset, &CharsetPresenter::ChecksChanged, this, &MapTabController::syncCharsetMenu);
    connect(charset, &CharsetPresenter::NamesChanged, this, &MapTabController::refreshNames);
    connect(charset, &CharsetPresenter::CodePageApplied, this, [this] { SetHexViewer(hex_); });

    connect(page.exploreParcelButton, &FlatButton::clicked, this, command([this] { ExploreParcel(); }));
    connect(menus.exploreParcelItem, &QAction::triggered, this,
            command([this] { ExploreParcelAt(menuPoint_); }));
    if (QWidget* widget = view.Widget()) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this, [this, widget](const QPoint& at) {
            menuPoint_ = at;
            parts_.menus.mapMenu->popup(widget->mapToGlobal(at));
        });
        widget->installEventFilter(this);
        // The map's hint is worded by the point under the cursor, asked for each time a hint is due.
        parts_.hint.SetOnShowHint([this, widget](QWidget* control, QString& text, bool& canShow) {
            if (control != widget) return;
            const QPoint at = widget->mapFromGlobal(parts_.hint.HintCursor());
            parts_.run([&] { text = HintAt(at); });
            canShow = !text.isEmpty();
        });
    }
    page.statusBar->installEventFilter(this);
    connect(page.zoomInButton, &FlatButton::clicked, this, command([this] { parts_.view.ZoomIn(); }));
    connect(page.zoomOutButton, &FlatButton::clicked, this, command([this] { parts_.view.ZoomOut(); }));
    connect(page.settingsBtn, &FlatButton::clicked, this, command([this] { PopupSettings(); }));
    connect(menus.settingsMenu, &QMenu::aboutToShow, this, command([this] {
                const std::array<uint32_t, 16> colours = parts_.view.RoadColors();
                for (size_t roadClass = 0; roadClass < colours.size(); ++roadClass)
                    parts_.menus.roadClassItems[roadClass]->setIcon(
                        QIcon(QPixmap::fromImage(MakeColorSwatch(colours[roadClass]))));
            }));
    connect(menus.upDownItem, &QAction::triggered, page.upDown, &QWidget::setVisible);
    connect(menus.doubleDensityItem, &QAction::triggered, this,
            [this](bool on) { parts_.run([&] { parts_.view.SetScaleDensity(on ? 8 : 4); }); });
    connect(menus.dispScaleFilterItem, &QAction::triggered, this,
            [this](bool on) { parts_.run([&] { parts_.view.SetUseDisplayScale(on); }); });
    connect(menus.drawGridItem, &QAction::triggered, this,
            [this](bool on) { parts_.run([&] { parts_.view.SetDrawGrid(on); }); });
    connect(menus.autoItem, &QAction::triggered, this,
            [this](bool on) { parts_.run([&] { parts_.charset.ChooseAuto(on); }); });
    // The mask follows every item's check, not only the clicked one's: closing a source resets the checks
    // without telling the view, and the view must draw what the menu shows.
    for (QAction* item : menus.MapElementItems())
        connect(item, &QAction::triggered, this, command([this] {
                    int layers = 0;
                    for (QAction* element : parts_.menus.MapElementItems())
                        if (element->isChecked()) layers |= element->data().toInt();
                    parts_.view.SetLayers(layers, true);
                }));
    connect(&menus, &WindowMenus::RoadTableChosen, this,
            [this](int table) { parts_.run([&] { ChooseRoadTable(table); }); });
    connect(&menus, &WindowMenus::RoadClassChosen, this,
            [this](int displayClass) { parts_.run([&] { ChooseRoadClass(displayClass); }); });
    connect(&menus, &WindowMenus::FontChosen, this,
            [this](int tag) { parts_.run([&] { parts_.charset.ChooseFont(tag); }); });
    connect(&menus, &WindowMenus::CodePageChosen, this,
            [this](int codePage) { parts_.run([&] { parts_.charset.ChooseCodePage(codePage); }); });
    connect(&menus, &WindowMenus::LanguageChosen, this,
            [this](int index) { parts_.run([&] { parts_.charset.ChooseLanguage(index); }); });
    DataPage& data = *parts_.dataTab.Page();
    connect(data.dbSettingsBtn1, &FlatButton::clicked, this,
            command([this] { popupBelow(parts_.menus.charsetMenu, parts_.dataTab.Page()->dbSettingsBtn1); }));
    for (FlatButton* button : {data.langBtn1, data.langBtn2})
        connect(button, &FlatButton::clicked, this,
                command([this, button] { popupBelow(parts_.menus.languageMenu, button); }));
    connect(menus.stringGridCharsetItem, &QAction::triggered, this,
            command([this] { parts_.menus.charsetMenu->popup(QCursor::pos()); }));
    connect(menus.stringGridLanguageItem, &QAction::triggered, this,
            command([this] { parts_.menus.languageMenu->popup(QCursor::pos()); }));
    connect(&parts_.tabs, &QTabWidget::currentChanged, this, [this] {
        parts_.run([&] {
            if (parts_.tabs.currentWidget() == &parts_.page) focusMapView();
            if (parts_.tabs.currentWidget() == parts_.dataTab.Page())
                parts_.dataTab.Page()->treeView->setFocus();
        });
    });
}

MapTabController::~MapTabController() {
    if (QWidget* view = parts_.view.Widget()) view->removeEventFilter(this);
    // The hint outlives the window by a little: it must not ask for the map's text after this goes.
    parts_.hint.SetOnShowHint(nullptr);
}

void MapTabController::SetHexViewer(HexViewApi* hex) {
    hex_ = hex;
    if (!hex_) return;
    hex_->SetDisplayCodePage(MapTextCodePage.load());
    hex_->SetCodePageName(parts_.presenter.PanelText(MapTabPresenter::kCodePagePanel));
}

void MapTabController::ShowMap(const std::shared_ptr<TLN_KiwiMap>& map,
                               std::shared_ptr<TLN_RegionManager> routePlanning, bool routes) {
    if (map) {
        // The presenter reads the map's levels when the view reports its first level.
        parts_.presenter.SetMap(map);
        parts_.view.SetMap(map);
        parts_.view.SetRegionManager(std::move(routePlanning));
        syncLayerItems();
    }
    parts_.menus.routeItem->setEnabled(routes);
}

void MapTabController::CloseMap() {
    parts_.view.SetMap(nullptr);
    parts_.view.SetRegionManager(nullptr);
    parts_.presenter.SetMap(nullptr);
    parts_.presenter.Clear();
    WindowMenus& menus = parts_.menus;
    menus.backgroundItem->setChecked(true);
    menus.roadsItem->setChecked(true);
    menus.namesItem->setChecked(true);
    menus.tmcItem->setChecked(false);
    menus.routeItem->setChecked(false);
}

void MapTabController::ReadSettings() {
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
            parts_.view.SetRoadColors(colours);
        }
    }
    if (RegValueExists(QStringLiteral("DrawGrid"))) {
        parts_.menus.drawGridItem->setChecked(RegReadInteger(QStringLiteral("DrawGrid")) != 0);
        parts_.view.SetDrawGrid(parts_.menus.drawGridItem->isChecked());
    }
}

void MapTabController::WriteSettings() const {
    QByteArray bytes;
    for (uint32_t colour : parts_.view.RoadColors())
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(char((colour >> shift) & 0xFF));
    RegWriteBinary(QStringLiteral("RoadColors"), bytes.constData(), bytes.size());
    RegWriteInteger(QStringLiteral("DrawGrid"), parts_.menus.drawGridItem->isChecked() ? 1 : 0);
}

void MapTabController::showPanels() {
    for (int panel = 0; panel < MapPage::kPanels; ++panel)
        parts_.page.panels[size_t(panel)]->setText(parts_.presenter.PanelText(panel));
}

void MapTabController::showLevelTable() {
    QTableWidget* table = parts_.page.stringGrid2;
    for (int row = 0; row < MapTabPresenter::kRows; ++row)
        for (int column = 0; column < MapTabPresenter::kColumns; ++column)
            table->item(row, column)->setText(parts_.presenter.Cell(row, column));
}

void MapTabController::showDivisionImage() {
    QLabel* label = parts_.page.divisionImage;
    const QImage& image = parts_.presenter.DivisionImage();
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

void MapTabController::syncLayerItems() {
    const int layers = parts_.view.Layers();
    for (QAction* item : parts_.menus.MapElementItems())
        item->setChecked((layers & item->data().toInt()) != 0);
}

void MapTabController::syncCharsetMenu() {
    const MapCodePageChoice& choice = parts_.charset.Choice();
    WindowMenus& menus = parts_.menus;
    menus.autoItem->setChecked(choice.AutoSelect());
    for (int codePage : MapCodePageChoice::kCodePages)
        if (QAction* item = menus.CharsetItem(codePage))
            item->setChecked(codePage == choice.CheckedCodePage());
    for (int tag = 0; tag < MapCodePageChoice::kFonts; ++tag)
        menus.fontItems[size_t(tag)]->setChecked(tag == choice.CheckedFont());
}

void MapTabController::refreshNames() {
    parts_.view.NamesChanged();
    DataPage& data = *parts_.dataTab.Page();
    data.categoryGrid->viewport()->update();
    data.matchingGrid->viewport()->update();
    if (hex_) hex_->SetCodePageName(parts_.presenter.PanelText(MapTabPresenter::kCodePagePanel));
    data.treeView->viewport()->update();
    // The field grid's names are decoded when the node is shown: it is shown again.
    if (RecordNode* current = parts_.dataTab.Tree().Current()) {
        const QModelIndex at = parts_.dataTab.TreeModel()->IndexOf(current);
        if (at.isValid()) parts_.dataTab.TreeModel()->Select(at);
    }
}

void MapTabController::ExploreParcel() {
    if (parts_.view.SelectionShown()) parts_.dataTab.WalkToParcel(parts_.view.SelectedParcel());
}

void MapTabController::ExploreParcelAt(QPoint client) {
    parts_.view.ClickAt(client);
    ExploreParcel();
}

void MapTabController::focusMapView() {
    if (QWidget* view = parts_.view.Widget()) view->setFocus();
}

void MapTabController::PopupSettings() {
    popupAbove(parts_.menus.settingsMenu, parts_.page.settingsBtn->mapToGlobal(QPoint(0, 0)));
    focusMapView();
}

void MapTabController::popupCharsetOverStatusBar() {
    // Over the code page's panel: the status bar's left edge plus the panels before it, and 10 pixels.
    const QPoint corner = parts_.page.statusBar->mapToGlobal(QPoint(0, 0));
    const int panelsBefore = parts_.page.panels[MapTabPresenter::kCodePagePanel]->geometry().left();
    popupAbove(parts_.menus.charsetMenu, QPoint(corner.x() + panelsBefore + 10, corner.y()));
    focusMapView();
}

void MapTabController::ChooseRoadTable(int table) {
    if (table < 0 || table >= int(std::size(kRoadTables))) return;
    std::array<uint32_t, 16> colours{};
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = (*kRoadTables[table])[i];
    parts_.view.SetRoadColors(colours);
}

void MapTabController::ChooseRoadClass(int displayClass) {
    if (displayClass < 0 || displayClass >= 16 || !parts_.services.colors) return;
    const QColor current = winColor(parts_.view.RoadColors()[size_t(displayClass)]);
    QWidget* window = parts_.page.window();
    if (const std::optional<QColor> chosen = parts_.services.colors->Choose(window, current))
        parts_.view.SetRoadColor(displayClass, windowsColour(*chosen));
}

QString MapTabController::HintAt(QPoint client) const {
    const std::optional<QString> hint = parts_.view.HintTextAt(client);
    if (!hint) return {};
    // The view separates the lines with line feed and carriage return; a tooltip breaks at the line feed.
    QString text = *hint;
    text.remove(QLatin1Char('\r'));
    return text;
}

bool MapTabController::eventFilter(QObject* watched, QEvent* event) {
    // The flat hint has answered the map's hint request already (or found nothing to show): the view's
    // own tooltip stays silent.
    if (event->type() == QEvent::ToolTip && watched == parts_.view.Widget()) return true;
    if (event->type() == QEvent::MouseButtonRelease && watched == parts_.page.statusBar) {
        parts_.run([&] { popupCharsetOverStatusBar(); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}
