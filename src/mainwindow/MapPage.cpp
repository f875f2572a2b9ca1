// Building the Map tab's widgets.
#include "mainwindow/MapPage.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "mainwindow/WorldOverviewImage.h"
#include "widgets/flat/FlatButton.h"

namespace {
// Panel widths: level, scale, latitude, longitude, parcel kind, code page; the display scale flags take
// the rest.
constexpr int kPanelWidths[MapPage::kPanels - 1] = {90, 150, 120, 120, 120, 90};
constexpr int kGlyphSize = 16;

FlatButton* glyphButton(QStyle::StandardPixmap picture, const QString& name, QWidget* parent) {
    auto* b = new FlatButton(parent);
    b->SetGlyph(parent->style()->standardIcon(picture).pixmap(kGlyphSize, kGlyphSize).toImage());
    b->setAccessibleName(name);
    return b;
}
} // namespace

MapPage::MapPage(QWidget* view, QWidget* parent) : QWidget(parent) {
    mapView = view ? view : new QWidget(this);
    stringGrid2 = new QTableWidget(14, 4, this);
    stringGrid2->verticalHeader()->setVisible(false);
    stringGrid2->horizontalHeader()->setVisible(false);
    stringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    stringGrid2->setSelectionMode(QAbstractItemView::NoSelection);
    stringGrid2->setFocusPolicy(Qt::NoFocus);
    // Figure columns of at least 50 pixels, as wide as their longest heading ("Longitude") needs; a longer
    // text is cut at the edge rather than shortened to a few letters and dots.
    stringGrid2->setTextElideMode(Qt::ElideNone);
    stringGrid2->setColumnWidth(0, 110);
    const QFontMetrics metrics = stringGrid2->fontMetrics();
    int figures = 50;
    for (const char* heading : {"Longitude", "Latitude", "Number"})
        figures = std::max(figures, metrics.horizontalAdvance(QString::fromLatin1(heading)) + 8);
    for (int column = 1; column <= 3; ++column)
        stringGrid2->setColumnWidth(column, figures);
    for (int row = 0; row < stringGrid2->rowCount(); ++row)
        for (int column = 0; column < stringGrid2->columnCount(); ++column)
            stringGrid2->setItem(row, column, new QTableWidgetItem());
    // The whole level table shows at once: 14 rows of text height, four columns, no scroll bars.
    const int rowHeight = stringGrid2->fontMetrics().height() + 4;
    stringGrid2->verticalHeader()->setDefaultSectionSize(rowHeight);
    stringGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    stringGrid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stringGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * stringGrid2->frameWidth();
    stringGrid2->setFixedSize(110 + 3 * figures + frame, 14 * rowHeight + frame);
    divisionImage = new QLabel(this);
    divisionImage->setFixedSize(64, 64);
    divisionImage->setAlignment(Qt::AlignCenter);
    divisionImage->setToolTip(QStringLiteral("Положение парселя\nDivision/Integration"));
    settingsBtn = glyphButton(QStyle::SP_FileDialogDetailedView, QStringLiteral("Map settings"), this);
    settingsBtn->setToolTip(QStringLiteral("Меню настройки"));
    exploreParcelButton = new FlatButton(QStringLiteral("Показать данные участка"), this);
    exploreParcelButton->setEnabled(false);
    upDown = new QWidget(this);
    zoomInButton = glyphButton(QStyle::SP_ArrowUp, QStringLiteral("Zoom in"), upDown);
    zoomOutButton = glyphButton(QStyle::SP_ArrowDown, QStringLiteral("Zoom out"), upDown);
    auto* zoomLayout = new QVBoxLayout(upDown);
    zoomLayout->setContentsMargins(0, 0, 0, 0);
    zoomLayout->addWidget(zoomInButton);
    zoomLayout->addWidget(zoomOutButton);
    upDown->setVisible(false);
    mapImage = new WorldOverviewImage(this);

    statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    for (int panel = 0; panel < kPanels; ++panel) {
        auto* label = new QLabel(statusBar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (panel < kPanels - 1) {
            label->setFixedWidth(kPanelWidths[panel]);
            statusBar->addWidget(label);
        } else {
            statusBar->addWidget(label, 1);
        }
        panels[size_t(panel)] = label;
    }

    auto* side = new QVBoxLayout();
    side->addWidget(stringGrid2);
    auto* tools = new QHBoxLayout();
    tools->addWidget(divisionImage);
    tools->addStretch();
    tools->addWidget(upDown);
    tools->addWidget(settingsBtn, 0, Qt::AlignTop);
    side->addLayout(tools);
    side->addWidget(exploreParcelButton);
    side->addStretch();
    side->addWidget(mapImage);
    auto* top = new QHBoxLayout();
    top->addLayout(side);
    top->addWidget(mapView, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    layout->addLayout(top, 1);
    layout->addWidget(statusBar);
}
