// Building the Map tab's widgets.
#include "mainwindow/MapPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

MapPage::MapPage(QWidget* view, QWidget* parent) : QWidget(parent) {
    mapView = view ? view : new QWidget(this);
    stringGrid2 = new QTableWidget(14, 4, this);
    stringGrid2->verticalHeader()->setVisible(false);
    stringGrid2->horizontalHeader()->setVisible(false);
    stringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stringGrid2->setColumnWidth(0, 110);
    // The whole level table shows at once: 14 rows of text height, four columns, no scroll bars.
    const int rowHeight = stringGrid2->fontMetrics().height() + 4;
    stringGrid2->verticalHeader()->setDefaultSectionSize(rowHeight);
    stringGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    stringGrid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stringGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * stringGrid2->frameWidth();
    stringGrid2->setFixedSize(110 + 3 * 50 + frame, 14 * rowHeight + frame);
    divisionImage = new QLabel(this);
    divisionImage->setFixedSize(64, 64);
    settingsBtn = new QToolButton(this);
    settingsBtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    exploreParcelButton = new QPushButton(this);
    exploreParcelButton->setEnabled(false);
    upDown = new QWidget(this);
    auto* zoomIn = new QToolButton(upDown);
    zoomIn->setArrowType(Qt::UpArrow);
    auto* zoomOut = new QToolButton(upDown);
    zoomOut->setArrowType(Qt::DownArrow);
    auto* zoomLayout = new QVBoxLayout(upDown);
    zoomLayout->setContentsMargins(0, 0, 0, 0);
    zoomLayout->addWidget(zoomIn);
    zoomLayout->addWidget(zoomOut);
    upDown->setVisible(false);

    auto* side = new QVBoxLayout();
    side->addWidget(stringGrid2);
    auto* tools = new QHBoxLayout();
    tools->addWidget(divisionImage);
    tools->addStretch();
    tools->addWidget(settingsBtn);
    side->addLayout(tools);
    side->addWidget(exploreParcelButton);
    side->addWidget(upDown);
    side->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(side);
    layout->addWidget(mapView, 1);
}
