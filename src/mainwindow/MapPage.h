// The Map tab: the map view with the level table beside it, the division picture, the settings and
// explore-parcel buttons and the zoom buttons.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;

class MapPage : public QWidget {
    Q_OBJECT
public:
    // mapView: the map view's widget (placed in the page), or null for an empty area.
    explicit MapPage(QWidget* mapView, QWidget* parent = nullptr);

    QWidget* mapView = nullptr;
    QTableWidget* stringGrid2 = nullptr;
    QLabel* divisionImage = nullptr;
    QToolButton* settingsBtn = nullptr;
    QPushButton* exploreParcelButton = nullptr;
    // The zoom buttons (UpDown1).
    QWidget* upDown = nullptr;
};
