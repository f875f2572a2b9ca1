// What the map view placeholder draws: the road colours it holds and the map it was given.
#include "support/window/MapViewPlaceholder.h"

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
    level_ = 0;
    selectionShown_ = false;
    Changed();
    if (!map_) return;
    // A new map reports itself as the map view does, showing the area the map covers.
    const TLN_Rect& coverage = map_->Coverage();
    viewPort_ = {coverage.Left, coverage.Top, coverage.Right, coverage.Bottom};
    FireLevelChanged();
    FireSelectionChanged();
    FireScaleChanged();
    FireViewPortChanged();
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

void StoredMapView::ClickAt(QPoint client) {
    clicks_.push_back(client);
    if (!clickable_ || (selectionShown_ && selected_ == *clickable_)) return;
    selectionShown_ = true;
    selected_ = *clickable_;
    FireSelectionChanged();
}

void StoredMapView::FireLevelChanged() {
    if (events_) events_->LevelChanged();
}

void StoredMapView::FirePosChanged(TLN_PID position) {
    if (events_) events_->PosChanged(position);
}

void StoredMapView::FireScaleChanged() {
    if (events_) events_->ScaleChanged();
}

void StoredMapView::FireSelectionChanged() {
    if (events_) events_->SelectionChanged(selectionShown_, selected_);
}

void StoredMapView::FireViewPortChanged() {
    if (events_) events_->ViewPortChanged();
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
