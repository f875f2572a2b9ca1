// One paint: the visible parcels collected row by row (integrated parcels once, divided parcels by the cells
// that meet the area), decoded or taken from the cache, drawn layer after layer, then the route planning
// regions and the parcel grid.
#include "mapview/core/MapRenderer.h"

#include <algorithm>
#include <set>
#include <unordered_set>
#include <utility>

#include "kiwi/display/WindowsColor.h"
#include "kiwi/map/CoverageLongitude.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/region/RegionManager.h"
#include "mapview/core/CanvasTextStore.h"
#include "mapview/core/MapPainting.h"
#include "mapview/core/MapViewApi.h"
#include "platform/MulDiv.h"

namespace {

constexpr int64_t kParcelUnits = 4096;
constexpr TLN_Color kGridColor = 0x808080;
constexpr TLN_Color kRegionBrush = 0x00FFFF;
constexpr TLN_Color kRegionPen = 0x0000FF;
// Pixels around the area to repaint whose parcels are drawn as well (a long name's reach).
constexpr int kCollectMargin = 256;

// The visible area in viewer units (west and south included, east and north excluded).
struct ViewerArea {
    int64_t left, right, south, north;
    bool Meets(int64_t x, int64_t y, int64_t width, int64_t height) const {
        return x < right && x + width > left && y < north && y + height > south;
    }
};

struct AddressKey {
    const TLN_Stream* stream;
    int64_t address;
    bool operator==(const AddressKey&) const = default;
};
struct AddressKeyHash {
    size_t operator()(const AddressKey& key) const {
        return std::hash<const void*>()(key.stream) ^ (std::hash<int64_t>()(key.address) << 1);
    }
};

int32_t clamp32(int64_t value) {
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

DrawEntry entryOf(const TLN_MM_Parcel_Managenent_Record& record, int64_t blockX, int64_t blockY,
                  int64_t cellWidth, int64_t cellHeight) {
    DrawEntry entry;
    entry.address = record.Address;
    entry.stream = record.Stream;
    entry.size = record.Size;
    entry.blockX = blockX;
    entry.blockY = blockY;
    entry.cellWidth = cellWidth;
    entry.cellHeight = cellHeight;
    return entry;
}

// The parcels and sub-parcels to draw, in row order from the lower left.
std::vector<DrawEntry> collectEntries(TLN_KiwiMap& map, uint8_t level, const ViewerArea& area) {
    std::vector<DrawEntry> entries;
    const TLN_Level_Management_Record* record = map.Level(level);
    if (!record || record->Parcels.X == 0 || record->Parcels.Y == 0 || record->ParcelsPerBlockSetX == 0 ||
        record->ParcelsPerBlockSetY == 0)
        return entries;
    // Corners outside the level give its first or last parcels, so the result of the lookup is not needed.
    TLN_ParcelNumber low, high;
    map.PointToParcelNumber(level, area.left, low, area.south);
    map.PointToParcelNumber(level, area.right, high, area.north);
    auto column = [&](const TLN_ParcelNumber& n) {
        return int64_t(n.BlockSetX) * record->ParcelsPerBlockSetX + int64_t(n.BlockX) * record->Parcels.X +
               n.ParcelX;
    };
    auto row = [&](const TLN_ParcelNumber& n) {
        return int64_t(n.BlockSetY) * record->ParcelsPerBlockSetY + int64_t(n.BlockY) * record->Parcels.Y +
               n.ParcelY;
    };
    std::unordered_set<AddressKey, AddressKeyHash> seen;
    for (int64_t r = row(low); r <= row(high); ++r) {
        for (int64_t c = column(low); c <= column(high); ++c) {
            TLN_ParcelNumber n;
            n.Level = level;
            n.BlockSetX = uint8_t(c / record->ParcelsPerBlockSetX);
            n.BlockX = uint8_t(c % record->ParcelsPerBlockSetX / record->Parcels.X);
            n.ParcelX = uint8_t(c % record->ParcelsPerBlockSetX % record->Parcels.X);
            n.BlockSetY = uint8_t(r / record->ParcelsPerBlockSetY);
            n.BlockY = uint8_t(r % record->ParcelsPerBlockSetY / record->Parcels.Y);
            n.ParcelY = uint8_t(r % record->ParcelsPerBlockSetY % record->Parcels.Y);
            TLN_MM_Parcel_Managenent_Record parcel;
            if (!map.FindParcel(n, false, parcel)) continue;
            // An integrated parcel is found once per regular parcel it covers and drawn once.
            if (!seen.insert({parcel.Stream.get(), parcel.Address}).second) continue;
            const int64_t blockX = n.BlockSetX * record->BlockSetWidth + n.BlockX * record->BlockWidth;
            const int64_t blockY = n.BlockSetY * record->BlockSetHeight + n.BlockY * record->BlockHeight;
            if (!parcel.IsDivided()) {
                entries.push_back(entryOf(parcel, blockX, blockY, kParcelUnits, kParcelUnits));
                continue;
            }
            if (parcel.DivisionType == 0) continue;
            const TLN_Division division = map.GetLevelWord(level, parcel.DivisionType);
            if (division.X == 0 || division.Y == 0) continue;
            const int64_t cellWidth = kParcelUnits / division.X;
            const int64_t cellHeight = kParcelUnits / division.Y;
            for (int sy = 0; sy < division.Y; ++sy)
                for (int sx = 0; sx < division.X; ++sx) {
                    const int64_t x = blockX + n.ParcelX * kParcelUnits + sx * cellWidth;
                    const int64_t y = blockY + n.ParcelY * kParcelUnits + sy * cellHeight;
                    if (!area.Meets(x, y, cellWidth, cellHeight)) continue;
                    TLN_MM_Parcel_Managenent_Record sub;
                    if (!map.ReadParcel(parcel.Stream, level, uint32_t(sy * division.X + sx), sub, false,
                                        parcel.Address) ||
                        sub.IsDivided())
                        continue;
                    entries.push_back(entryOf(sub, blockX, blockY, cellWidth, cellHeight));
                }
        }
    }
    return entries;
}

void paintGrid(PaintContext& context, const DrawEntry& entry) {
    const uint16_t k = entry.flags;
    const MapRenderView& view = context.view;
    int64_t x = entry.cornerX - view.originX;
    int64_t y = entry.cornerY - view.originY;
    int64_t width = kParcelUnits;
    int64_t height = kParcelUnits;
    if ((k & 0xC000) == 0x4000) {
        // A sub-parcel: its column and row in the division, one cell of the entry's size.
        x += (k & 15) * entry.cellWidth;
        y += ((k >> 4) & 15) * entry.cellHeight;
        width = entry.cellWidth;
        height = entry.cellHeight;
    } else if ((k & 0xC000) == 0x8000) {
        width = ((k & 15) + 1) * kParcelUnits;
        height = (((k >> 4) & 15) + 1) * kParcelUnits;
    }
    const int64_t upp = std::max(1, view.unitsPerPixel);
    const int x0 = clamp32(FloorDiv(x, upp));
    const int x1 = clamp32(width / upp + x0 - 1);
    const int y0 = clamp32(view.height - FloorDiv(y, upp));
    const int y1 = clamp32(y0 - height / upp - 1);
    if (!QRect(QPoint(x0, y1), QPoint(x1, y0)).adjusted(-1, -1, 1, 1).intersects(context.clip)) return;
    const QPoint outline[5] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    context.canvas.Polyline(outline, 5, MapPen{winColor(kGridColor), 1, TLN_PenKind::Dash});
}

// The route planning regions the drawn parcels refer to: nodes as small yellow squares, links in red, each
// link inside a region once and links into other regions when those regions can be read.
void paintRegions(PaintContext& context, const std::vector<DrawEntry>& entries, TLN_KiwiMap& map) {
    const MapRenderView& view = context.view;
    TLN_RegionManager& regions = *view.regions;
    const TLN_Level_Management_Record* record = map.Level(uint8_t(view.level));
    if (!record || record->ParcelWidth == 0 || record->ParcelHeight == 0) return;
    const int32_t parcelWidth = record->ParcelWidth;
    const int32_t parcelHeight = record->ParcelHeight;
    const int32_t west =
        clamp32(int64_t(MulDiv(clamp32(view.originX), parcelWidth, 4096)) + map.Coverage().Left);
    const int32_t south =
        clamp32(int64_t(MulDiv(clamp32(view.originY), parcelHeight, 4096)) + map.Coverage().Bottom);
    const int64_t upp = std::max(1, view.unitsPerPixel);
    // Nodes hold stored longitudes: on a coverage across 180 degrees those past it count on from Right.
    auto pixel = [&](const TLN_Point& p) {
        return QPoint(
            int(FloorDiv(MulDiv(clamp32(CoverageLongitude(map.Coverage(), p.X) - west), 4096, parcelWidth),
                         upp)),
            int(view.height - FloorDiv(MulDiv(clamp32(int64_t(p.Y) - south), 4096, parcelHeight), upp)));
    };

    // Every reference once, in the order the parcels name them.
    std::vector<std::pair<int, int>> references;
    std::set<std::pair<int, int>> known;
    for (const DrawEntry& entry : entries) {
        if (!entry.drawing) continue;
        for (const TLN_Route_Region& reference : entry.drawing->regions) {
            const std::pair<int, int> slot(reference.LevelCode, reference.RegionNumber);
            if (known.insert(slot).second) references.push_back(slot);
        }
    }

    const MapPen inner{winColor(kRegionPen), 1, TLN_PenKind::Solid};
    const MapPen boundary{winColor(kRegionPen), 2, TLN_PenKind::Solid};
    MapBrush brush;
    brush.kind = MapBrushKind::Solid;
    brush.color = winColor(kRegionBrush);
    std::array<TLN_RP_Node_Link, kRPMaxLinks> links;
    for (const auto& [code, number] : references) {
        // References name the level by its code; the reader's regions are kept by level record.
        const int level = regions.LevelIndexOfCode(code);
        if (level < 0) continue;
        const auto region = regions.GetRegion(level, number);
        if (!region) continue;
        const int nodes = region->GetNodeCount();
        for (int i = 0; i < nodes; ++i) {
            TLN_Point position;
            if (!region->GetNodePosition(i, position)) continue;
            const QPoint at = pixel(position);
            const int count = std::min(region->GetNodeLinks(i, links), kRPMaxLinks);
            for (int l = 0; l < count; ++l) {
                const TLN_RP_Node_Link& link = links[size_t(l)];
                TLN_Point target;
                if (link.Boundary) {
                    // A region that is not there draws nothing; the node's other links still do.
                    const auto other = regions.GetRegion(level, link.Region);
                    if (!other || !other->GetNodePosition(link.Node, target)) continue;
                    const QPoint line[2] = {at, pixel(target)};
                    context.canvas.Polyline(line, 2, boundary);
                } else if (link.Node > i && region->GetNodePosition(link.Node, target)) {
                    const QPoint line[2] = {at, pixel(target)};
                    context.canvas.Polyline(line, 2, inner);
                }
            }
            context.canvas.Rectangle(QRect(QPoint(at.x() - 3, at.y() - 3), QPoint(at.x() + 2, at.y() + 2)),
                                     inner, brush);
        }
    }
}

// The area whose parcels a render of clip draws. Parcels a little outside the clip are taken too: their
// names and wide lines reach into it, and a scrolled strip must show what a whole paint shows.
ViewerArea areaOf(const MapRenderView& view, const QRect& clip) {
    const int64_t upp = std::max(1, view.unitsPerPixel);
    const QRect reach = clip.adjusted(-kCollectMargin, -kCollectMargin, kCollectMargin, kCollectMargin);
    return ViewerArea{view.originX + reach.left() * upp, view.originX + (int64_t(reach.right()) + 1) * upp,
                      (view.height - (int64_t(reach.bottom()) + 1)) * upp + view.originY,
                      (view.height - int64_t(reach.top())) * upp + view.originY};
}

bool cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

} // namespace

MapRenderer::MapRenderer() : cache_(kDefaultCacheBytes) {}

MapRenderer::~MapRenderer() = default;

CanvasTextStore& MapRenderer::TextStore() {
    std::lock_guard lock(storesMutex_);
    std::unique_ptr<CanvasTextStore>& store = stores_[std::this_thread::get_id()];
    if (!store) store = std::make_unique<CanvasTextStore>();
    return *store;
}

std::vector<std::shared_ptr<const TLN_Parcel_Frames>> MapRenderer::VisibleFrames(const MapRenderView& view,
                                                                                 const QRect& clip) {
    std::vector<std::shared_ptr<const TLN_Parcel_Frames>> frames;
    if (!view.map || !view.map->IsValid()) return frames;
    const uint8_t level = uint8_t(view.level);
    for (const DrawEntry& entry : collectEntries(*view.map, level, areaOf(view, clip)))
        if (auto loaded = LoadParcelFrames(*view.map, entry.stream, level, entry.address, entry.size))
            frames.push_back(std::move(loaded));
    return frames;
}

MapRenderStats MapRenderer::Render(MapCanvas& canvas, const QRect& clip, const MapRenderView& view,
                                   const std::atomic<bool>* cancel) {
    return render(canvas, clip, view, cancel, true);
}

MapRenderStats MapRenderer::RenderUncached(MapCanvas& canvas, const QRect& clip, const MapRenderView& view) {
    return render(canvas, clip, view, nullptr, false);
}

MapRenderStats MapRenderer::render(MapCanvas& canvas, const QRect& clip, const MapRenderView& view,
                                   const std::atomic<bool>* cancel, bool useCache) {
    MapRenderStats stats;
    canvas.FillRect(clip, Qt::white);
    if (!view.map || !view.map->IsValid() || clip.isEmpty()) return stats;
    TLN_KiwiMap& map = *view.map;
    const uint8_t level = uint8_t(view.level);
    const TLN_Level_Management_Record* record = map.Level(level);
    if (!record) return stats;
    std::vector<DrawEntry> entries = collectEntries(map, level, areaOf(view, clip));
    ParcelDecodeOptions options;
    options.filter = view.filter;
    options.layers = view.layers & 63;
    options.pages = view.pages;
    options.language = view.language;
    options.systemNumber = map.SystemNumber();
    for (DrawEntry& entry : entries) {
        if (cancelled(cancel)) {
            stats.cancelled = true;
            return stats;
        }
        entry.frames = LoadParcelFrames(map, entry.stream, level, entry.address, entry.size);
        if (!entry.frames || !entry.frames->HasHeader) {
            entry.frames = nullptr;
            continue;
        }
        entry.cornerX = entry.blockX + int64_t(entry.frames->Table.LocationCodeX) * kParcelUnits;
        entry.cornerY = entry.blockY + int64_t(entry.frames->Table.LocationCodeY) * kParcelUnits;
        entry.flags = entry.frames->Table.Flags;
        const ParcelDrawingKey key{view.mapGeneration,
                                   entry.stream.get(),
                                   entry.stream->FileName(),
                                   entry.address,
                                   level,
                                   view.filter,
                                   uint8_t(options.layers),
                                   view.pages.Text,
                                   view.pages.Ansi,
                                   view.language};
        if (useCache) entry.drawing = cache_.Find(key);
        if (!entry.drawing) {
            entry.drawing = DecodeParcelDrawing(*entry.frames, *record, options);
            ++stats.decoded;
            if (useCache) cache_.Insert(key, entry.drawing);
        }
        entry.frames = nullptr;
        ++stats.entries;
    }
    // Frames that could not be read are left out from here on.
    std::erase_if(entries, [](const DrawEntry& entry) { return !entry.drawing; });

    PaintContext context(canvas, clip, view);
    for (int bit : {kLayerBackground, kLayerRoads, kLayerNames, kLayerObjectNames, kLayerLinks}) {
        if (!(view.layers & bit)) continue;
        if (cancelled(cancel)) {
            stats.cancelled = true;
            return stats;
        }
        for (const DrawEntry& entry : entries) {
            switch (bit) {
            case kLayerBackground:
                PaintFigures(context, entry);
                break;
            case kLayerRoads:
                PaintRoads(context, entry);
                break;
            case kLayerNames:
                PaintNames(context, entry, entry.drawing->names);
                break;
            case kLayerObjectNames:
                PaintNames(context, entry, entry.drawing->objectNames);
                break;
            default:
                PaintLinks(context, entry);
                break;
            }
        }
    }
    if ((view.layers & kLayerRoutePlanning) && view.regions) paintRegions(context, entries, map);
    if (view.drawGrid)
        for (const DrawEntry& entry : entries)
            paintGrid(context, entry);
    return stats;
}
