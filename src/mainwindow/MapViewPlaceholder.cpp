// What the map view placeholder draws: the road colours it holds and the map it was given.
#include "mainwindow/MapViewPlaceholder.h"

#include <QFile>
#include <QPainter>

#include "kiwi/display/RoadPalettes.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/region/RegionManager.h"

namespace {
// A Windows colour value (0x00BBGGRR) as a Qt colour.
QColor fromWindowsColour(uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}
} // namespace

StoredMapView::StoredMapView() {
    for (size_t i = 0; i < colours_.size(); ++i)
        colours_[i] = StartRoadPalette[i];
}

void StoredMapView::SetMap(std::shared_ptr<TLN_KiwiMap> map) {
    map_ = std::move(map);
    layers_ = 7;
    Changed();
}

void StoredMapView::SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) {
    regions_ = std::move(regions);
}

void StoredMapView::SetRoadColors(const std::array<uint32_t, 16>& colours) {
    colours_ = colours;
    Changed();
}

void StoredMapView::SetRoadColor(int displayClass, uint32_t colour) {
    if (displayClass < 0 || displayClass >= int(colours_.size())) return;
    colours_[size_t(displayClass)] = colour;
    Changed();
}

void StoredMapView::SetDrawGrid(bool on) {
    drawGrid_ = on;
    Changed();
}

MapViewPlaceholder::MapViewPlaceholder(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 150);
}

MapViewPlaceholder::~MapViewPlaceholder() = default;

void MapViewPlaceholder::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    // The road colours as a strip of swatches, so that a chosen palette can be seen before the map is.
    const int swatch = 16;
    for (int i = 0; i < 16; ++i)
        painter.fillRect(8 + i * (swatch + 2), 8, swatch, swatch, fromWindowsColour(colours_[size_t(i)]));
    const QString text = map_ ? QFile::decodeName(QByteArray::fromStdString(map_->Path())) : QString();
    painter.setPen(palette().text().color());
    painter.drawText(rect().adjusted(8, 32, -8, -8), Qt::AlignCenter, text);
}
