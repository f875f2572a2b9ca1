// Decoding a parcel's frames into what the map view draws: the background walk with its element and
// type code styles, the road classes under the display scale filter, the names of the name frame and of
// named figures, and the road links that infrastructure links follow.
#include "mapview/core/ParcelDrawing.h"

#include <algorithm>

#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/InfraLinkFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/frames/RoadFrame.h"
#include "mapview/core/MapViewApi.h"

namespace {

// Classes with these background codes follow the display scale filter; the others are drawn at every scale.
constexpr uint16_t kFilteredClasses[] = {17, 18, 21, 25, 26};
// Class 15 is never drawn.
constexpr uint16_t kHiddenClass = 15;
// Figures of these classes take their type code's own style.
constexpr uint16_t kTypeStyledClasses[] = {31, 25, 10};
// A display scale mask that lets every record with any flag through.
constexpr uint32_t kAllFlags = 31;

// A stored coordinate: bits 12-0 in the parcel, bits 15-13 (the relative position) in whole parcels.
QPoint startPoint(uint8_t relativeX, uint16_t x, uint8_t relativeY, uint16_t y) {
    return QPoint(int(relativeX) * 4096 + int(x), int(relativeY) * 4096 + int(y));
}

// A stored intermediate point: signed byte pair, X high, Y low.
QPoint delta(uint16_t word, int shift) {
    const int dx = int(int8_t(uint8_t(word >> 8)));
    const int dy = int(int8_t(uint8_t(word & 0xFF)));
    return QPoint(dx * (1 << shift), dy * (1 << shift));
}

uint16_t styleIndex(ParcelDrawing& drawing, const TLN_CanvasStyle& style) {
    for (size_t i = 0; i < drawing.styles.size(); ++i)
        if (drawing.styles[i] == style) return uint16_t(i);
    drawing.styles.push_back(style);
    return uint16_t(drawing.styles.size() - 1);
}

// The brushes that a few type codes take from the shared bitmaps.
void applyBitmapBrush(uint16_t typeCode, TLN_CanvasStyle& style) {
    std::string_view bitmap;
    switch (typeCode) {
    case 1124:
        bitmap = "REDBMP";
        break;
    case 1152:
        bitmap = "YELLOWBMP";
        break;
    case 1568:
        bitmap = "PURPLEBMP";
        break;
    case 321:
        bitmap = "GREENBMP";
        break;
    case 640:
        bitmap = "LIGHTGREYBMP";
        break;
    default:
        return;
    }
    style.BrushKind = TLN_BrushKind::BitmapPattern;
    style.BrushBitmap = bitmap;
}

// Appends one polyline of link start points and their shape points (the links first..last of a multilink).
DrawnLine appendLinks(ParcelDrawing& drawing, const TLN_MultiLink_Data_Record& multiLink, size_t first,
                      size_t last) {
    DrawnLine line;
    line.first = uint32_t(drawing.points.size());
    for (size_t k = first; k <= last && k < multiLink.Links.size(); ++k) {
        const TLN_Link_Shape_Data& link = multiLink.Links[k];
        QPoint p = startPoint(link.RelativeX, link.X, link.RelativeY, link.Y);
        drawing.points.push_back(p);
        line.box.Add(p);
        for (uint16_t word : link.Points) {
            p += delta(word, 0);
            drawing.points.push_back(p);
            line.box.Add(p);
        }
    }
    line.count = uint32_t(drawing.points.size() - line.first);
    return line;
}

DrawnName nameOf(const TLN_Name_Data_Record& record, QPoint anchor) {
    DrawnName name;
    name.anchor = anchor;
    name.type = record.StringType;
    name.typeCode = record.TypeCode;
    name.text = record.String.text;
    name.offsetX = record.OffsetX();
    name.offsetY = record.OffsetY();
    name.shift = record.MultiplicationConstant;
    name.angle = record.Angle();
    name.placement = record.PlacementPosition();
    return name;
}

// The anchor of a name record: its starting coordinate, or for string type 4 (which has none) the first
// two placement points taken as X and Y.
bool nameAnchor(const TLN_Name_Data_Record& record, QPoint& anchor) {
    if (record.StringType != 4) {
        anchor = startPoint(record.RelativeX, record.StartX, record.RelativeY, record.StartY);
        return true;
    }
    if (record.PlacementPoints.size() < 2) return false;
    anchor = QPoint(record.PlacementPoints[0] & 0x3FFF, record.PlacementPoints[1] & 0x3FFF);
    return true;
}

void decodeBackground(const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record& level,
                      const ParcelDecodeOptions& options, ParcelDrawing& drawing) {
    TLN_Background_Data_Frame background;
    if (!ReadBackgroundDisplayClass(frames.Background, level, background, options.systemNumber)) return;
    // Every parcel's walk starts from the solid white brush the previous layer leaves.
    TLN_CanvasStyle style;
    TLN_Minimum_Graphics_Data_Record record;
    for (size_t i = 0; i < background.Elements.size(); ++i) {
        const uint16_t code = BackgroundClassCode(level, int(i));
        if (!BackgroundClassDrawn(code)) continue;
        const TLN_Element_Management_Information& entry = background.Elements[i];
        if (!entry.Present()) continue;
        const uint8_t filter = BackgroundClassFilter(code, options.filter);
        const bool typeStyled = std::find(std::begin(kTypeStyledClasses), std::end(kTypeStyledClasses),
                                          code) != std::end(kTypeStyledClasses);
        for (const TLN_Background_Type_Unit& unit : entry.TypeUnits) {
            if (unit.RecordCount == 0) continue;
            const uint8_t shape = unit.ShapeClassification;
            ApplyElementStyle(code, style);
            for (int64_t position : MinimumGraphicsPositions(frames.Background, unit)) {
                if (!ReadMinimumGraphics(frames.Background, shape != 0, record, filter, position)) continue;
                if (typeStyled) {
                    ApplyBackgroundStyle(record.TypeCode, style);
                    applyBitmapBrush(record.TypeCode, style);
                }
                // Points draw nothing; so does the reserved shape.
                if (shape != 1 && shape != 2) continue;
                DrawnFigure figure;
                figure.shape = shape;
                figure.style = styleIndex(drawing, style);
                figure.first = uint32_t(drawing.points.size());
                QPoint p = startPoint(record.RelativeX, record.StartX, record.RelativeY, record.StartY);
                drawing.points.push_back(p);
                figure.box.Add(p);
                for (uint16_t word : record.Offsets) {
                    p += delta(word, record.MultiplicationConstant);
                    drawing.points.push_back(p);
                    figure.box.Add(p);
                }
                figure.count = uint32_t(drawing.points.size() - figure.first);
                drawing.figures.push_back(figure);
            }
        }
    }
}

void decodeRoads(const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record& level,
                 const ParcelDecodeOptions& options, ParcelDrawing& drawing) {
    TLN_Road_Data_Frame road;
    if (!ReadRoadDataFrame(frames.Road, road)) return;
    TLN_MultiLink_Data_Record multiLink;
    for (size_t i = 0; i < road.Classes.size(); ++i) {
        const TLN_Road_Display_Class& roadClass = road.Classes[i];
        if (roadClass.Position <= 0 || (roadClass.RoadType & options.filter) == 0) continue;
        const uint16_t code = RoadClassCode(level, int(i));
        for (int64_t position : MultiLinkPositions(frames.Road, roadClass)) {
            if (!ReadMultiLink(frames.Road, multiLink, position) || multiLink.Links.empty()) continue;
            DrawnLine line = appendLinks(drawing, multiLink, 0, multiLink.Links.size() - 1);
            line.classCode = code;
            drawing.roads.push_back(line);
        }
    }
}

void decodeNames(const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record& level,
                 const ParcelDecodeOptions& options, ParcelDrawing& drawing) {
    TLN_Name_Data_Frame nameFrame;
    if (!ReadNameDataFrame(frames.Name, level, nameFrame, options.systemNumber)) return;
    TLN_Name_Data_Record record;
    for (const TLN_Name_Management_Information& entry : nameFrame.Classes) {
        if (entry.ListPosition <= 0) continue;
        for (int64_t position : NameRecordPositions(frames.Name, entry)) {
            if (!ReadNameRecord(frames.Name, options.filter, false, record, position, options.language,
                                options.pages) ||
                !record.Readable)
                continue;
            QPoint anchor;
            if (nameAnchor(record, anchor)) drawing.names.push_back(nameOf(record, anchor));
        }
    }
}

// The names that background figures refer to, at each figure's starting point; figures are not filtered by
// display scale here, and a run of figures naming one record draws it once.
void decodeObjectNames(const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record& level,
                       const ParcelDecodeOptions& options, ParcelDrawing& drawing) {
    TLN_Background_Data_Frame background;
    if (!frames.Name.IsValid() ||
        !ReadBackgroundDisplayClass(frames.Background, level, background, options.systemNumber))
        return;
    TLN_Minimum_Graphics_Data_Record figure;
    TLN_Name_Data_Record record;
    for (const TLN_Element_Management_Information& entry : background.Elements) {
        if (!entry.Present()) continue;
        int64_t last = -1;
        for (const TLN_Background_Type_Unit& unit : entry.TypeUnits) {
            if (unit.RecordCount == 0) continue;
            for (int64_t position : MinimumGraphicsPositions(frames.Background, unit)) {
                if (!ReadMinimumGraphicsShape(frames.Background, unit.ShapeClassification != 0, figure,
                                              position) ||
                    !figure.NameFlag)
                    continue;
                const int64_t name = frames.Name.Position() + 2 * int64_t(figure.NameOffset);
                if (name == last) continue;
                last = name;
                if (!ReadNameRecord(frames.Name, kAllFlags, false, record, name, options.language,
                                    options.pages) ||
                    !record.Readable)
                    continue;
                drawing.objectNames.push_back(nameOf(
                    record, startPoint(figure.RelativeX, figure.StartX, figure.RelativeY, figure.StartY)));
            }
        }
    }
}

void decodeInfraLinks(const TLN_Parcel_Frames& frames, ParcelDrawing& drawing) {
    TLN_Infra_Link_Frame header;
    if (!frames.Road.IsValid() || !ReadInfraLinkFrame(frames.InfraLink, header)) return;
    TLN_TmcMeshInfoRec mesh;
    TLN_Infra_Link_Data data;
    TLN_Road_Link_Corresponding_Rec correspondence;
    TLN_MultiLink_Data_Record multiLink;
    for (int area = 0; area < kInfraLinkAreaCount; ++area) {
        const int meshes = InfraLinkMeshCount(frames.InfraLink, header, area);
        int64_t before = 0;
        for (int m = 0; m < meshes; ++m) {
            if (!ReadMeshInfo(frames.InfraLink, header, area, mesh, m)) continue;
            for (uint32_t j = 0; j < mesh.Total(); ++j) {
                // Records follow one another: the first one outside the frame ends the mesh.
                if (!ReadInfraLinkData(frames.InfraLink, header, area, mesh, before, j, data)) break;
                for (uint16_t k = 0; k < data.RoadLinkCount; ++k) {
                    const int64_t at = data.RoadLinkPosition + int64_t(k) * header.RoadLinkRecordSize;
                    if (!ReadRoadLinkCorrespondence(frames.InfraLink, correspondence, at)) break;
                    const int64_t road = frames.Road.Position() + 2 * int64_t(correspondence.RoadOffset);
                    if (!ReadMultiLink(frames.Road, multiLink, road) || multiLink.Links.empty()) continue;
                    // The links the record covers, kept inside the multilink.
                    const int64_t last = int64_t(multiLink.Links.size()) - 1;
                    const int64_t s = correspondence.StartNode();
                    const int64_t n = correspondence.NodeChangeCount;
                    int64_t from = correspondence.Backward() ? s - n - 1 : s;
                    int64_t to = correspondence.Backward() ? s : s + n + 1;
                    from = std::clamp<int64_t>(from, 0, last);
                    to = std::clamp<int64_t>(to, 0, last);
                    if (from > to || s > last) continue;
                    drawing.links.push_back(appendLinks(drawing, multiLink, size_t(from), size_t(to)));
                }
            }
            before += mesh.Total();
        }
    }
}

} // namespace

void LocalBox::Add(QPoint p) {
    if (maxX < minX) {
        minX = maxX = p.x();
        minY = maxY = p.y();
        return;
    }
    minX = std::min(minX, p.x());
    maxX = std::max(maxX, p.x());
    minY = std::min(minY, p.y());
    maxY = std::max(maxY, p.y());
}

size_t ParcelDrawing::Bytes() const {
    size_t bytes = sizeof(ParcelDrawing) + points.capacity() * sizeof(QPoint) +
                   styles.capacity() * sizeof(TLN_CanvasStyle) + figures.capacity() * sizeof(DrawnFigure) +
                   (roads.capacity() + links.capacity()) * sizeof(DrawnLine) +
                   (names.capacity() + objectNames.capacity()) * sizeof(DrawnName) +
                   regions.capacity() * sizeof(TLN_Route_Region);
    for (const auto* list : {&names, &objectNames})
        for (const DrawnName& name : *list)
            bytes += size_t(name.text.capacity()) * sizeof(QChar);
    return bytes;
}

uint16_t BackgroundClassCode(const TLN_Level_Management_Record& level, int i) {
    if (level.HasClassLists && i >= 0 && size_t(i) < level.BackgroundClassCodes.size())
        return level.BackgroundClassCodes[size_t(i)];
    return uint16_t(31 - std::clamp(i, 0, 31));
}

uint16_t RoadClassCode(const TLN_Level_Management_Record& level, int i) {
    if (level.HasClassLists && i >= 0 && size_t(i) < level.RoadClassCodes.size())
        return level.RoadClassCodes[size_t(i)];
    return uint16_t(31 - std::clamp(i, 0, 31));
}

bool BackgroundClassDrawn(uint16_t classCode) {
    return classCode != kHiddenClass;
}

uint8_t BackgroundClassFilter(uint16_t classCode, uint8_t filter) {
    const bool filtered = std::find(std::begin(kFilteredClasses), std::end(kFilteredClasses), classCode) !=
                          std::end(kFilteredClasses);
    return filtered ? filter : uint8_t(kAllFlags);
}

std::shared_ptr<const ParcelDrawing> DecodeParcelDrawing(const TLN_Parcel_Frames& frames,
                                                         const TLN_Level_Management_Record& level,
                                                         const ParcelDecodeOptions& options) {
    auto drawing = std::make_shared<ParcelDrawing>();
    if (options.layers & kLayerBackground) decodeBackground(frames, level, options, *drawing);
    if (options.layers & kLayerRoads) decodeRoads(frames, level, options, *drawing);
    if (options.layers & kLayerNames) decodeNames(frames, level, options, *drawing);
    if (options.layers & kLayerObjectNames) decodeObjectNames(frames, level, options, *drawing);
    if (options.layers & kLayerRoutePlanning) {
        const auto& regions = frames.Table.Regions;
        drawing->regions.assign(
            regions.begin(), regions.begin() + std::min<std::ptrdiff_t>(std::ptrdiff_t(regions.size()), 5));
    }
    if (options.layers & kLayerLinks) decodeInfraLinks(frames, *drawing);
    return drawing;
}
