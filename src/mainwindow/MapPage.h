// The Map tab: the map view with the level table beside it, the division picture, the settings and
// explore-parcel buttons, the zoom buttons, the world overview, and the status bar below the view.
#pragma once

#include <array>

#include <QWidget>

class FlatButton;
class QLabel;
class QStatusBar;
class QTableWidget;
class WorldOverviewImage;

class MapPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPanels = 7;

    // mapView: the map view's widget (placed in the page), or null for an empty area.
    explicit MapPage(QWidget* mapView, QWidget* parent = nullptr);

    QWidget* mapView = nullptr;
    QTableWidget* stringGrid2 = nullptr;
    QLabel* divisionImage = nullptr;
    FlatButton* settingsBtn = nullptr;
    FlatButton* exploreParcelButton = nullptr;
    // The zoom buttons (UpDown1) and its two halves.
    QWidget* upDown = nullptr;
    FlatButton* zoomInButton = nullptr;
    FlatButton* zoomOutButton = nullptr;
    WorldOverviewImage* mapImage = nullptr;
    QStatusBar* statusBar = nullptr;
    std::array<QLabel*, kPanels> panels{};
};
