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

MapViewPlaceholder::MapViewPlaceholder(QWidget* parent) : QWidget(parent) {
    for (size_t i = 0; i < colours_.size(); ++i)
        colours_[i] = StartRoadPalette[i];
    setMinimumSize(200, 150);
}

MapViewPlaceholder::~MapViewPlaceholder() = default;

void MapViewPlaceholder::SetMap(std::shared_ptr<TLN_KiwiMap> map) {
    map_ = std::move(map);
    update();
}

void MapViewPlaceholder::SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) {
    regions_ = std::move(regions);
}

void MapViewPlaceholder::SetRoadColors(const std::array<uint32_t, 16>& colours) {
    colours_ = colours;
    update();
}

void MapViewPlaceholder::SetDrawGrid(bool on) {
    drawGrid_ = on;
    update();
}

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
