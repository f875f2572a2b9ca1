// The map view's navigation arithmetic: levels, zoom, scale, the display scale, selection and the
// conversions between client pixels, viewer units and map coordinates, every scaling through MulDiv.
#include "mapview/core/MapViewState.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "kiwi/display/RoadPalettes.h"
#include "kiwi/map/CoverageLongitude.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/region/RegionManager.h"
#include "platform/MulDiv.h"

namespace {

constexpr int32_t kParcelUnits = 4096;

// Origins are 64-bit; MulDiv takes 32-bit values, so a value is held to that range where it enters.
int32_t clamp32(int64_t value) {
    return int32_t(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A map position: a viewer value scaled by the parcel size plus the map's origin.
int32_t toMap(int64_t viewer, int32_t parcelSize, int32_t origin) {
    return clamp32(int64_t(MulDiv(clamp32(viewer), parcelSize, kParcelUnits)) + origin);
}

} // namespace

MapViewState::MapViewState() {
    std::copy(StartRoadPalette.begin(), StartRoadPalette.end(), colours_.begin());
}

const TLN_Level_Management_Record* MapViewState::LevelRecord() const {
    return map_ ? map_->Level(uint8_t(level_)) : nullptr;
}

int32_t MapViewState::mapOriginX() const {
    return map_ ? map_->Coverage().Left : 0;
}

int32_t MapViewState::mapOriginY() const {
    return map_ ? map_->Coverage().Bottom : 0;
}

void MapViewState::SetMap(std::shared_ptr<TLN_KiwiMap> map, MapViewEventList& fired) {
    map_ = std::move(map);
    // A closed map leaves no selection behind for the window to ask about.
    selectionShown_ = false;
    if (!map_) {
        active_ = false;
        return;
    }
    active_ = map_->IsValid();
    level_ = 0;
    unitsPerPixel_ = scale_;
    zoom_ = 1;
    layers_ = kLayerBackground | kLayerRoads | kLayerNames;
    if (!active_) return;
    originX_ = originY_ = 0;
    if (map_->LevelCount() >= 1) {
        setLevel(fired);
        fired.push_back(MapViewEvent::ViewPortChanged);
    }
}

void MapViewState::setLevel(MapViewEventList& fired) {
    const TLN_Level_Management_Record* record = LevelRecord();
    levelParcelsX_ = record ? record->ParcelsAcrossX : 0;
    levelParcelsY_ = record ? record->ParcelsAcrossY : 0;
    parcelWidth_ = record ? record->ParcelWidth : 0;
    parcelHeight_ = record ? record->ParcelHeight : 0;
    displayFlag_ = ComputeDisplayScale();
    fired.push_back(MapViewEvent::LevelChanged);
    selectionShown_ = false;
    fired.push_back(MapViewEvent::SelectionChanged);
    fired.push_back(MapViewEvent::ScaleChanged);
    if (regions_) regions_->ClearRegions();
}

void MapViewState::SetClientSize(int width, int height) {
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

int MapViewState::boundedZoom(int zoom) const {
    return std::clamp(zoom, 1, std::max(1, scale_));
}

void MapViewState::SetScale(int scale, MapViewEventList& fired) {
    scale_ = std::max(1, scale);
    // A zoom finer than one viewer unit per pixel would divide by zero everywhere.
    zoom_ = boundedZoom(zoom_);
    const int64_t cx = width_ / 2;
    const int64_t cy = height_ - height_ / 2;
    const int64_t old = unitsPerPixel_;
    unitsPerPixel_ = scale_ / zoom_;
    displayFlag_ = ComputeDisplayScale();
    originX_ = cx * old + originX_ - cx * unitsPerPixel_;
    originY_ = cy * old + originY_ - cy * unitsPerPixel_;
    fired.push_back(MapViewEvent::ScaleChanged);
    fired.push_back(MapViewEvent::ViewPortChanged);
}

void MapViewState::ZoomAt(QPoint client, int z, MapViewEventList& fired) {
    if (!map_) return;
    const int64_t dx = client.x();
    const int64_t dy = client.y();
    const int64_t oldUnits = unitsPerPixel_;
    const int32_t oldParcelsX = levelParcelsX_;
    const int32_t oldParcelsY = levelParcelsY_;
    const int oldLevel = level_;
    const TLN_Level_Management_Record* record = LevelRecord();
    if (!record) return;
    const int code = record->LevelCode;
    const int divided = record->DividedCount;
    const int largest = code == 0 ? 4 : divided / 2;
    const bool nextLevel = uint32_t(level_ + 1) < map_->LevelCount();

    if (z >= 1 && z <= largest && z <= scale_ && code >= 0) {
        zoom_ = z;
        unitsPerPixel_ = scale_ / z;
    } else if (z > 0 && z == divided && nextLevel) {
        ++level_;
        zoom_ = 1;
        unitsPerPixel_ = scale_;
        setLevel(fired);
    } else if (code == 0 && zoom_ == 4 && z > zoom_ && nextLevel && scale_ >= 2) {
        ++level_;
        zoom_ = 1;
        unitsPerPixel_ = scale_ / 2;
        setLevel(fired);
    } else if (z > scale_ && z > zoom_ && nextLevel) {
        // The zoom cannot grow past the scale: the next level takes over as the divided count would.
        ++level_;
        zoom_ = 1;
        unitsPerPixel_ = scale_;
        setLevel(fired);
    } else if (code < 0 && z == 0 && level_ > 0) {
        --level_;
        zoom_ = boundedZoom(4);
        unitsPerPixel_ = scale_ / zoom_;
        setLevel(fired);
    } else if (z == 0 && level_ > 0) {
        --level_;
        const TLN_Level_Management_Record* coarser = LevelRecord();
        zoom_ = boundedZoom(coarser ? coarser->DividedCount / 2 : 1);
        unitsPerPixel_ = scale_ / zoom_;
        setLevel(fired);
    }
    displayFlag_ = ComputeDisplayScale();

    // The point under the mouse stays where it is; between levels positions scale with the parcel counts.
    const int64_t ey = height_ - dy;
    const int64_t x = oldUnits * dx + originX_;
    const int64_t y = oldUnits * ey + originY_;
    const int64_t newX = oldParcelsX > 0 ? MulDiv(clamp32(x), levelParcelsX_, oldParcelsX) : x;
    const int64_t newY = oldParcelsY > 0 ? MulDiv(clamp32(y), levelParcelsY_, oldParcelsY) : y;
    originX_ = newX - dx * unitsPerPixel_;
    originY_ = newY - ey * unitsPerPixel_;

    if (level_ == oldLevel) fired.push_back(MapViewEvent::ScaleChanged);
    // A level change fired its own events; the viewport moved in both cases.
    fired.push_back(MapViewEvent::ViewPortChanged);
}

bool MapViewState::WheelUp(QPoint client, MapViewEventList& fired) {
    const bool inside = active_ && QRect(0, 0, width_, height_).contains(client);
    if (inside) ZoomAt(client, zoom_ * 2, fired);
    return inside;
}

bool MapViewState::WheelDown(QPoint client, MapViewEventList& fired) {
    if (zoom_ == 1 && level_ == 0) return false;
    const bool inside = active_ && QRect(0, 0, width_, height_).contains(client);
    const int z = zoom_ / 2;
    if (inside && z <= scale_) ZoomAt(client, z, fired);
    return inside;
}

void MapViewState::SetOrigin(int64_t x, int64_t y) {
    originX_ = x;
    originY_ = y;
}

void MapViewState::Pan(int dx, int dy) {
    originX_ += int64_t(dx) * unitsPerPixel_;
    originY_ -= int64_t(dy) * unitsPerPixel_;
}

int32_t MapViewState::ScaleDenominator() const {
    if (!active_) return 0;
    const int64_t perParcel = MulDiv(parcelWidth_, 102400000, 3686400);
    return clamp32(perParcel * unitsPerPixel_ / 4);
}

uint8_t MapViewState::ComputeDisplayScale() {
    const int64_t d = ScaleDenominator();
    int64_t best = std::numeric_limits<int32_t>::max();
    uint8_t flag = 0;
    const TLN_Level_Management_Record* record = LevelRecord();
    if (!active_ || !record) return 0;
    for (int i = 1; i <= 5; ++i) {
        const uint32_t s = record->Scales[size_t(i - 1)];
        if (s == 0xFFFFFFFFu) continue;
        const int64_t diff = std::llabs(d - int64_t(s));
        if (diff >= best) continue;
        best = diff;
        flag = uint8_t(1 << (5 - i));
        const int32_t r = MulDiv(clamp32(d), 100, clamp32(s));
        if (std::abs(100 - int64_t(r)) >= 50) {
            scaleLabel_ = d >= 100000 ? QStringLiteral("1:%1 km").arg(d / 100000)
                                      : QStringLiteral("1:%1 m").arg(d / 100);
        } else {
            scaleLabel_ = QString::fromStdString(record->ScaleLabels[size_t(i - 1)]);
        }
    }
    return flag;
}

TLN_PID MapViewState::MapPositionAt(QPoint client) const {
    TLN_PID pid;
    // On a coverage across 180 degrees the map counts on past 180 degrees east; the place reported is a
    // longitude, west of 180 degrees there.
    pid.X = int32_t(WrapLongitude(toMap(ViewerX(client.x()), parcelWidth_, mapOriginX())));
    pid.Y = toMap(ViewerY(client.y()), parcelHeight_, mapOriginY());
    return pid;
}

MapViewPort MapViewState::ViewPort() const {
    MapViewPort port;
    port.left = toMap(originX_, parcelWidth_, mapOriginX());
    port.bottom = toMap(originY_, parcelHeight_, mapOriginY());
    port.right = toMap(int64_t(width_) * unitsPerPixel_ + originX_, parcelWidth_, mapOriginX());
    port.top = toMap(int64_t(height_) * unitsPerPixel_ + originY_, parcelHeight_, mapOriginY());
    return port;
}

std::optional<QString> MapViewState::HintTextAt(QPoint client) const {
    const TLN_Level_Management_Record* record = LevelRecord();
    if (!active_ || !record) return std::nullopt;
    TLN_ParcelNumber n;
    if (!map_->PointToParcelNumber(uint8_t(level_), ViewerX(client.x()), n, ViewerY(client.y())))
        return std::nullopt;
    const int blockSet = n.BlockSetY * record->BlockSets.X + n.BlockSetX;
    const int block = n.BlockY * record->Blocks.X + n.BlockX;
    const int parcel = n.ParcelY * record->Parcels.X + n.ParcelX;
    const QString separator = QStringLiteral("\n\r");
    return QStringLiteral("Level: ") + QString::number(level_) + separator + QStringLiteral("Block Set: ") +
           QString::number(blockSet) + separator + QStringLiteral("Block: ") + QString::number(block) +
           separator + QStringLiteral("Parcel: ") + QString::number(parcel);
}

bool MapViewState::SelectParcel(TLN_ParcelNumber n) {
    if (!map_) return false;
    if (selectionShown_ && ParcelNumberMatches(n, selected_)) return false;
    if (!map_->LocateParcel(n)) return false;
    selected_ = n;
    selectionShown_ = true;
    return true;
}

bool MapViewState::ClickAt(QPoint client, MapViewEventList& fired) {
    if (!active_) return false;
    TLN_ParcelNumber n;
    if (!map_->PointToParcelNumber(uint8_t(level_), ViewerX(client.x()), n, ViewerY(client.y())))
        return false;
    if (!SelectParcel(n)) return false;
    fired.push_back(MapViewEvent::SelectionChanged);
    return true;
}

QRect MapViewState::ParcelRect(const TLN_ParcelNumber& n) const {
    const TLN_Level_Management_Record* record = map_ ? map_->Level(n.Level) : nullptr;
    if (!record) return {};
    int64_t x = n.BlockSetX * record->BlockSetWidth + n.BlockX * record->BlockWidth +
                int64_t(n.ParcelX) * kParcelUnits - originX_;
    int64_t y = n.BlockSetY * record->BlockSetHeight + n.BlockY * record->BlockHeight +
                int64_t(n.ParcelY) * kParcelUnits - originY_;
    int64_t w = kParcelUnits;
    int64_t h = kParcelUnits;
    // A count byte of 0 stands for 256 (the division counts run to 256).
    const int64_t countX = n.CountX ? n.CountX : 256;
    const int64_t countY = n.CountY ? n.CountY : 256;
    if (n.Kind == 1) {
        w = kParcelUnits / countX;
        h = kParcelUnits / countY;
        x += n.SubX * w;
        y += n.SubY * h;
    } else if (n.Kind == 2) {
        w = countX * kParcelUnits;
        h = countY * kParcelUnits;
        x -= int64_t(n.SubX) * kParcelUnits;
        y -= int64_t(n.SubY) * kParcelUnits;
    }
    const int64_t upp = unitsPerPixel_;
    const int64_t left = FloorDiv(x, upp) + 1;
    const int64_t bottom = height_ - FloorDiv(y, upp) - 1;
    const int64_t right = w / upp + left - 2;
    const int64_t top = bottom - h / upp + 2;
    // Right and bottom are exclusive, as the outline's own pixels are.
    return QRect(QPoint(clamp32(left), clamp32(top)), QPoint(clamp32(right - 1), clamp32(bottom - 1)));
}

QRect MapViewState::SelectionRect() const {
    return selectionShown_ ? ParcelRect(selected_) : QRect();
}

bool MapViewState::SetLayers(int mask) {
    if (mask == layers_) return false;
    layers_ = mask;
    return true;
}

bool MapViewState::SetUseDisplayScale(bool on) {
    if (on == useDisplayScale_) return false;
    useDisplayScale_ = on;
    return true;
}

bool MapViewState::SetDrawGrid(bool on) {
    if (on == drawGrid_) return false;
    drawGrid_ = on;
    return true;
}
