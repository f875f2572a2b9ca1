// The main map family below a parcel's frames: road display classes, multilinks and their nodes;
// background classes, type units and minimum graphics; name classes and records; route guidance frames,
// guidance lists and character strings; TMC infrastructure areas, meshes, links and road links. Every
// list is walked within its frame: counts come from the data. The records' views are attached here too.
#include <QString>

#include "kiwi/display/NameTables.h"
#include "kiwi/frames/BackgroundFrame.h"
#include "kiwi/frames/GuidanceFrame.h"
#include "kiwi/frames/InfraLinkFrame.h"
#include "kiwi/frames/NameFrame.h"
#include "kiwi/frames/RoadFrame.h"
#include "kiwi/frames/StringFrame.h"
#include "kiwi/io/WholeRead.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/MainMapAccess.h"
#include "mainwindow/model/views/BackgroundViews.h"
#include "mainwindow/model/views/GuidanceViews.h"
#include "mainwindow/model/views/InfraLinkViews.h"
#include "mainwindow/model/views/NameViews.h"
#include "mainwindow/model/views/ParcelViewSupport.h"
#include "mainwindow/model/views/RoadViews.h"

namespace {

using Children = std::vector<std::unique_ptr<RecordNode>>;
using Frames = std::shared_ptr<const TLN_Parcel_Frames>;

using family::Child;
using family::Numbered;

// A builder over the parcel's frames: the map and the frames are found for it, or nothing is built.
template <typename Build> BuilderFn overFrames(Build build) {
    return [build](KindContext& context, RecordNode& node, Children& out) {
        TLN_KiwiMap* map = MapOf(context, node);
        if (!map) return;
        const Frames frames = ParcelFramesOf(*map, node);
        const TLN_Level_Management_Record* level = LevelOf(*map, node);
        if (frames && level) build(*map, *frames, *level, node, out);
    };
}

// A list that holds records by its stored count but whose offset leads outside its frame.
void markOutside(RecordNode& node, const char* countName, int64_t stored) {
    if (stored > 0)
        family::MarkError(node,
                          Failure(FailureCode::ListOutsideFrame, {{"count", countName}, {"stored", stored}}));
}

// Roads.

void addRoadDisplayClassNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames,
                              const TLN_Level_Management_Record&, RecordNode& node, Children& out) {
    TLN_Road_Data_Frame road;
    if (!ReadRoadDataFrame(frames.Road, road)) return;
    for (size_t i = 0; i < road.Classes.size(); ++i) {
        const TLN_Road_Display_Class& roadClass = road.Classes[i];
        auto child =
            Child(node, 23, Numbered("Display Class ", i), int64_t(i),
                  roadClass.Position >= 0 ? roadClass.Position : road.Position, roadClass.PolylineCount > 0);
        out.push_back(std::move(child));
    }
}

void addMultiLinkNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record&,
                       RecordNode& node, Children& out) {
    TLN_Road_Display_Class roadClass;
    if (node.index < 0 || node.index >= kRoadDisplayClassLimit ||
        !ReadRoadDisplayClass(frames.Road, int(node.index), roadClass))
        return;
    const std::vector<int64_t> positions = MultiLinkPositions(frames.Road, roadClass);
    family::MarkError(
        node, whole::Fewer("Number of Polylines", roadClass.StoredPolylineCount, int64_t(positions.size())));
    for (size_t i = 0; i < positions.size(); ++i)
        out.push_back(Child(node, 25, Numbered("MultiLink ", i), int64_t(i), positions[i], true));
}

void addNodeConnectionNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames,
                            const TLN_Level_Management_Record& level, RecordNode& node, Children& out) {
    TLN_MultiLink_Data_Record multiLink;
    if (!ReadMultiLink(frames.Road, multiLink, node.recordOffset)) return;
    // The nodes whose link shape data lies in the multilink and the frame.
    for (size_t k = 0; k < multiLink.Links.size(); ++k) {
        TLN_MultiLink_Node_Record record;
        TLN_Node_Additional_Info additional;
        if (!ReadMultiLinkNode(frames.Road, multiLink, int(k), level, record, additional)) continue;
        out.push_back(Child(node, 26, Numbered("Node ", k), int64_t(k), record.Position));
    }
    family::MarkError(node,
                      whole::Fewer("Number of Nodes", int64_t(multiLink.NodeCount), int64_t(out.size())));
}

// Background.

void addBackgroundClassNodes(TLN_KiwiMap& map, const TLN_Parcel_Frames& frames,
                             const TLN_Level_Management_Record& level, RecordNode& node, Children& out) {
    TLN_Background_Data_Frame background;
    if (!ReadBackgroundDisplayClass(frames.Background, level, background, map.SystemNumber())) return;
    for (size_t i = 0; i < background.Elements.size(); ++i) {
        const TLN_Element_Management_Information& element = background.Elements[i];
        if (!element.Present()) continue;
        out.push_back(Child(node, 27, Numbered("Display Class ", i), int64_t(i), element.Position,
                            !element.TypeUnits.empty()));
    }
}

bool readElement(TLN_KiwiMap& map, const TLN_Parcel_Frames& frames, int64_t index,
                 TLN_Element_Management_Information& element) {
    return index >= 0 && index < kBackgroundDisplayClassLimit &&
           ReadElementManagement(frames.Background, int(index), element, map.SystemNumber()) &&
           ReadBackgroundTypeUnit(frames.Background, element, map.SystemNumber());
}

void addBackgroundTypeUnitNodes(TLN_KiwiMap& map, const TLN_Parcel_Frames& frames,
                                const TLN_Level_Management_Record&, RecordNode& node, Children& out) {
    TLN_Element_Management_Information element;
    if (!readElement(map, frames, node.index, element)) return;
    for (size_t j = 0; j < element.TypeUnits.size(); ++j) {
        const TLN_Background_Type_Unit& unit = element.TypeUnits[j];
        out.push_back(Child(node, 28, enumText(ElementShapeNames, unit.ShapeClassification, "RESERVED"),
                            int64_t(j), unit.Position, unit.RecordCount > 0));
    }
}

void addMinimumGraphicsNodes(TLN_KiwiMap& map, const TLN_Parcel_Frames& frames,
                             const TLN_Level_Management_Record&, RecordNode& node, Children& out) {
    TLN_Element_Management_Information element;
    if (!readElement(map, frames, AncestorIndex(node, 27), element) || node.index < 0 ||
        size_t(node.index) >= element.TypeUnits.size())
        return;
    const TLN_Background_Type_Unit& unit = element.TypeUnits[size_t(node.index)];
    const std::vector<int64_t> positions = MinimumGraphicsPositions(frames.Background, unit);
    family::MarkError(node, whole::Fewer("Number of Minimum Graphics Data Records", unit.StoredRecordCount,
                                         int64_t(positions.size())));
    for (size_t i = 0; i < positions.size(); ++i)
        out.push_back(Child(node, 29, Numbered("Object ", i), int64_t(i), positions[i]));
}

// Names.

void addNameClassNodes(TLN_KiwiMap& map, const TLN_Parcel_Frames& frames,
                       const TLN_Level_Management_Record& level, RecordNode& node, Children& out) {
    TLN_Name_Data_Frame names;
    if (!ReadNameDataFrame(frames.Name, level, names, map.SystemNumber())) return;
    for (size_t i = 0; i < names.Classes.size(); ++i) {
        const TLN_Name_Management_Information& entry = names.Classes[i];
        auto child =
            Child(node, 30, Numbered("Display Class ", i), int64_t(i),
                  entry.ListPosition >= 0 ? entry.ListPosition : names.Position, entry.RecordCount > 0);
        out.push_back(std::move(child));
    }
}

void addNameRecordNodes(TLN_KiwiMap& map, const TLN_Parcel_Frames& frames,
                        const TLN_Level_Management_Record& level, RecordNode& node, Children& out) {
    TLN_Name_Data_Frame names;
    if (!ReadNameDataFrame(frames.Name, level, names, map.SystemNumber()) || node.index < 0 ||
        size_t(node.index) >= names.Classes.size())
        return;
    const TLN_Name_Management_Information& entry = names.Classes[size_t(node.index)];
    const std::vector<int64_t> positions = NameRecordPositions(frames.Name, entry);
    family::MarkError(node, whole::Fewer("Number of Name Data Records", entry.StoredRecordCount,
                                         int64_t(positions.size())));
    for (size_t i = 0; i < positions.size(); ++i)
        out.push_back(Child(node, 31, Numbered("Record ", i), int64_t(i), positions[i]));
}

// Route guidance.

void addRouteGuidanceFrameNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames,
                                const TLN_Level_Management_Record&, RecordNode& node, Children& out) {
    if (!frames.HasRouteGuidance) return;
    static const char* const basicNames[4] = {"Guidance", "Strings", "Shapes", "Patterns"};
    const auto& basic = frames.RouteGuidanceHeader.Basic;
    for (size_t i = 0; i < basic.size(); ++i) {
        if (basic[i].Size == 0) continue;
        if (i < 4)
            out.push_back(Child(node, 41 + int(i), QString::fromLatin1(basicNames[i]), int64_t(i),
                                basic[i].Position, i < 2));
        else
            out.push_back(
                Child(node, kKindUnknownFrame, QStringLiteral("Unknown"), int64_t(i), basic[i].Position));
    }
    const auto& extended = frames.RouteGuidanceHeader.Extended;
    for (size_t e = 0; e < extended.size(); ++e)
        if (extended[e].Size != 0)
            out.push_back(Child(node, 45, Numbered("Extended ", e), int64_t(e), extended[e].Position));
}

// The captions of the guidance frame's list records (a number follows), in the order of the lists.
constexpr const char* kGuidanceListCaptions[kGuidanceTableCount] = {
    "Intersections ",   "Road_Names ",     "Toward_Names ", "Spot_Guide ",
    "Direction_Guide ", "Road_Structure ", "Buildings ",    "Caution_Points "};

// Where the guidance frame holds something next after position: the nearest later table or the extended
// data, else the frame's end.
int64_t nextGuidancePosition(const TLN_FrameSpan& frame, const TLN_Guidance_Data_Frame& guidance,
                             int64_t position) {
    int64_t next = frame.End();
    for (const TLN_Guidance_Table_Reference& other : guidance.Tables)
        if (other.Present && other.Position > position) next = std::min(next, other.Position);
    if (guidance.ExtendedPosition > position) next = std::min(next, guidance.ExtendedPosition);
    return next;
}

void addGuidanceListNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record&,
                          RecordNode& node, Children& out) {
    TLN_Guidance_Data_Frame guidance;
    if (!ReadGuidanceDataFrame(frames.Guidance, guidance)) return;
    for (int t = 0; t < kGuidanceTableCount; ++t) {
        const TLN_Guidance_Table_Reference& table = guidance.Tables[size_t(t)];
        if (!table.Present || table.Position < 0) continue;
        const char* const name = kGuidanceListCaptions[size_t(t)];
        const auto kind = TLN_Guidance_Table(t);
        if (kind == TLN_Guidance_Table::TowardNames || kind == TLN_Guidance_Table::DirectionGuides ||
            kind == TLN_Guidance_Table::RoadStructures) {
            const std::vector<int64_t> positions = GuidanceRecordPositions(frames.Guidance, guidance, kind);
            for (size_t n = 0; n < positions.size(); ++n)
                out.push_back(Child(node, 431 + t, Numbered(name, int64_t(n)), int64_t(n), positions[n]));
            continue;
        }
        // Records of these tables have no layout to step by: they share the table's room (up to whatever
        // the frame holds next) in equal whole words, so that each node stands at its own record. A table
        // cannot hold more records (of two bytes at least) than that room.
        const int64_t end = nextGuidancePosition(frames.Guidance, guidance, table.Position);
        const int64_t words = std::max<int64_t>(0, (end - table.Position) / 2);
        const int64_t count = std::min<int64_t>(table.Count, words);
        const int64_t stride = count > 0 ? words / count * 2 : 0;
        for (int64_t n = 0; n < count; ++n)
            out.push_back(Child(node, 431 + t, Numbered(name, int64_t(n)), n, table.Position + n * stride));
    }
    if (guidance.ExtendedPosition >= 0)
        out.push_back(Child(node, 42, Numbered("Extended_Data ", kGuidanceTableCount), kGuidanceTableCount,
                            guidance.ExtendedPosition, true));
}

void addStringRecordNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record&,
                          RecordNode& node, Children& out) {
    TLN_Character_String_Data_Frame strings;
    if (!ReadCharacterString(StringFrameOf(frames, node), strings, false)) return;
    int64_t n = 0;
    for (const TLN_Character_String_Item& item : strings.Items)
        for (const TLN_Character_String_Data_Rec& record : item.Records) {
            out.push_back(Child(node, 46, Numbered("String ", n), n, record.Position));
            ++n;
        }
}

// TMC infrastructure links.

// The mesh record m of area a, with the number of infrastructure link records of the area's earlier
// meshes (the mesh's records follow theirs).
bool readMesh(const TLN_FrameSpan& frame, const TLN_Infra_Link_Frame& header, int64_t area, int64_t mesh,
              TLN_TmcMeshInfoRec& out, int64_t& before) {
    if (area < 0 || area >= kInfraLinkAreaCount || mesh < 0 ||
        mesh >= InfraLinkMeshCount(frame, header, int(area)))
        return false;
    before = 0;
    for (int m = 0; m < int(mesh); ++m) {
        TLN_TmcMeshInfoRec earlier;
        if (ReadMeshInfo(frame, header, int(area), earlier, m)) before += earlier.Total();
    }
    return ReadMeshInfo(frame, header, int(area), out, int(mesh));
}

void addMeshNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record&,
                  RecordNode& node, Children& out) {
    TLN_Infra_Link_Frame header;
    if (!ReadInfraLinkFrame(frames.InfraLink, header)) return;
    static const char* const areas[kInfraLinkAreaCount] = {"Wide-bounds Area", "Medium-bounds Area",
                                                           "Narrow-bounds Area"};
    for (int a = 0; a < kInfraLinkAreaCount; ++a) {
        const TLN_Infra_Link_Area& area = header.Areas[size_t(a)];
        if (area.Offset == 0xFFFFFFFFu) continue;
        auto areaNode = Child(node, 2310, QString::fromLatin1(areas[a]), a, area.Position);
        // The meshes come with their area.
        areaNode->built = true;
        const int meshes = InfraLinkMeshCount(frames.InfraLink, header, a);
        for (int m = 0; m < meshes; ++m) {
            TLN_TmcMeshInfoRec mesh;
            if (!ReadMeshInfo(frames.InfraLink, header, a, mesh, m)) continue;
            RecordNode::Adopt(*areaNode,
                              Child(*areaNode, 2320, Numbered("Region (Mesh) ", m), m, mesh.Position, true));
        }
        out.push_back(std::move(areaNode));
    }
}

void addInfraLinkNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record&,
                       RecordNode& node, Children& out) {
    const TLN_FrameSpan& frame = frames.InfraLink;
    TLN_Infra_Link_Frame header;
    TLN_TmcMeshInfoRec mesh;
    int64_t before = 0;
    if (!ReadInfraLinkFrame(frame, header) ||
        !readMesh(frame, header, AncestorIndex(node, 2310), node.index, mesh, before))
        return;
    const int area = int(AncestorIndex(node, 2310));
    static const char* const types[10] = {"Intercity Highway",
                                          "Urban Highway",
                                          "General Road",
                                          "Other Road",
                                          "Type 4",
                                          "Type 5",
                                          "Type 6",
                                          "Type 7",
                                          "Type 8",
                                          "Type 9"};
    static const char* const exceptions[4] = {" Normal", " Exception 1", " Exception 2", " Exception 3"};
    // The mesh's records run through its counts in order.
    uint32_t first = 0;
    for (size_t c = 0; c < mesh.Counts.size(); ++c) {
        const uint16_t count = mesh.Counts[c];
        const uint32_t groupFirst = first;
        first += count;
        if (count < 1 || count > 65534 || c / 4 >= 10) continue;
        const QString caption = QString::fromLatin1(types[c / 4]) + QLatin1Char('(') +
                                QString::fromLatin1(exceptions[c % 4]) + QLatin1Char(')');
        auto group = Child(node, 2330, caption, int64_t(c), mesh.Position);
        // The links come with their group, as far as their records lie in the frame.
        group->built = true;
        uint32_t read = 0;
        for (; read < count; ++read) {
            TLN_Infra_Link_Data data;
            if (!ReadInfraLinkData(frame, header, area, mesh, before, groupFirst + read, data)) break;
            if (read == 0) group->recordOffset = data.Record.Position;
            auto link = Child(*group, 2340, Numbered("Infra-Link ", read), int64_t(groupFirst + read),
                              data.Record.Position, data.RoadLinkCount > 0);
            if (data.RoadLinkPosition < 0) markOutside(*link, "Number of Road Links", data.RoadLinkCount);
            RecordNode::Adopt(*group, std::move(link));
        }
        family::MarkError(*group, whole::Fewer("Number of Infra-Links", count, read));
        out.push_back(std::move(group));
    }
}

void addRoadLinkNodes(TLN_KiwiMap&, const TLN_Parcel_Frames& frames, const TLN_Level_Management_Record&,
                      RecordNode& node, Children& out) {
    const TLN_FrameSpan& frame = frames.InfraLink;
    TLN_Infra_Link_Frame header;
    TLN_TmcMeshInfoRec mesh;
    int64_t before = 0;
    const int64_t area = AncestorIndex(node, 2310);
    TLN_Infra_Link_Data data;
    if (!ReadInfraLinkFrame(frame, header) ||
        !readMesh(frame, header, area, AncestorIndex(node, 2320), mesh, before) || node.index < 0 ||
        node.index > UINT32_MAX ||
        !ReadInfraLinkData(frame, header, int(area), mesh, before, uint32_t(node.index), data) ||
        data.RoadLinkPosition < 0)
        return;
    for (uint16_t k = 0; k < data.RoadLinkCount; ++k) {
        TLN_Road_Link_Corresponding_Rec link;
        if (!ReadRoadLinkCorrespondence(frame, link,
                                        data.RoadLinkPosition + int64_t(k) * header.RoadLinkRecordSize))
            break;
        out.push_back(Child(node, 2350, Numbered("Road ", k), k, link.Position));
    }
    family::MarkError(node, whole::Fewer("Number of Road Links", data.RoadLinkCount, int64_t(out.size())));
}

} // namespace

void RegisterParcelFrameKinds(NodeKinds& table) {
    table.SetBuilder(15, overFrames(addRoadDisplayClassNodes));
    table.SetBuilder(23, overFrames(addMultiLinkNodes));
    table.SetBuilder(25, overFrames(addNodeConnectionNodes));
    table.SetBuilder(16, overFrames(addBackgroundClassNodes));
    table.SetBuilder(27, overFrames(addBackgroundTypeUnitNodes));
    table.SetBuilder(28, overFrames(addMinimumGraphicsNodes));
    table.SetBuilder(17, overFrames(addNameClassNodes));
    table.SetBuilder(30, overFrames(addNameRecordNodes));
    table.SetBuilder(40, overFrames(addRouteGuidanceFrameNodes));
    table.SetBuilder(41, overFrames(addGuidanceListNodes));
    table.SetBuilder(42, overFrames(addStringRecordNodes));
    table.SetBuilder(2300, overFrames(addMeshNodes));
    table.SetBuilder(2320, overFrames(addInfraLinkNodes));
    table.SetBuilder(2340, overFrames(addRoadLinkNodes));
    RegisterRoadViews(table);
    RegisterBackgroundViews(table);
    RegisterNameViews(table);
    RegisterGuidanceViews(table);
    RegisterInfraLinkViews(table);
}
