// The Map tab's widget side: the tab's widgets follow its presenter, the settings menu (zoom buttons,
// density, scale filter, grid, map elements, road colours) drives the map view, the charset, font and
// language menus follow the choices of names, and the pop-up menus and the map's hint are placed.
#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPoint>

#include "kiwi/map/ParcelNumber.h"

class CharsetPresenter;
class DataTabCommands;
class FlatHint;
class HexViewApi;
class MapPage;
class MapTabPresenter;
class MapViewApi;
class QTabWidget;
class TLN_KiwiMap;
class TLN_RegionManager;
class WindowMenus;
struct Services;

class MapTabController : public QObject {
    Q_OBJECT
public:
    // What the tab works with; all outlive the controller.
    struct Parts {
        MapPage& page;
        // The Data tab: its charset and language buttons, its tree (the walk to a parcel, names shown again).
        DataTabCommands& dataTab;
        QTabWidget& tabs;
        WindowMenus& menus;
        MapViewApi& view;
        MapTabPresenter& presenter;
        CharsetPresenter& charset;
        FlatHint& hint;
        const Services& services;
        // Runs a command so that what it raises is shown as a message.
        std::function<void(const std::function<void()>&)> run;
    };

    explicit MapTabController(Parts parts, QObject* parent = nullptr);
    ~MapTabController() override;

    MapPage* Page() const { return &parts_.page; }
    MapTabPresenter& Presenter() const { return parts_.presenter; }
    MapViewApi* View() const { return &parts_.view; }
    // The flat hint that shows the application's hints, the map view's among them.
    FlatHint* Hint() const { return &parts_.hint; }
    WindowMenus* Menus() const { return &parts_.menus; }

    // The hex viewer that decodes names in the map's code page (null for none).
    void SetHexViewer(HexViewApi* hex);
    // What an opening found: the map (null for none) with its route planning data, and whether the route
    // item works. Closing takes the map away and the map elements' checks back to how they start.
    void ShowMap(const std::shared_ptr<TLN_KiwiMap>& map, std::shared_ptr<TLN_RegionManager> routePlanning,
                 bool routes);
    void CloseMap();
    // "RoadColors" (16 whole colours) and "DrawGrid".
    void ReadSettings();
    void WriteSettings() const;

    // The explore button: walks the record tree to the selected parcel.
    void ExploreParcel();
    // The map menu's item: first selects the parcel at the view's client point, then walks to it.
    void ExploreParcelAt(QPoint client);
    void PopupSettings();
    // Road colours: a table (0 "Default AISIN", 1 "Default DENSO", 2 "Default ZRV") or one display class
    // through the colour chooser.
    void ChooseRoadTable(int table);
    void ChooseRoadClass(int displayClass);
    // The map view's hint for a client point, as shown (line breaks without carriage returns); empty for
    // none.
    QString HintAt(QPoint client) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPanels();
    void showLevelTable();
    void showDivisionImage();
    void syncLayerItems();
    void syncCharsetMenu();
    void refreshNames();
    void focusMapView();
    void popupCharsetOverStatusBar();

    Parts parts_;
    HexViewApi* hex_ = nullptr;
    // Where the map menu was opened (the view's client point the explore item selects at).
    QPoint menuPoint_;
};
