// The route planning records, row by row: what REGION.KWI's headers, levels and regions hold, and the
// nodes and links of a region's route planning data frame.
#include "mainwindow/model/views/RegionViews.h"

#include <array>
#include <string_view>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/region/RegionManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/PartViewSupport.h"

using partview::Address;
using partview::Count;
using partview::Frame;
using partview::Hex32;
using partview::Text;

namespace {

constexpr int kRegionRoot = 1400;
constexpr int kRegionPart = 101;
// The management header record of the ALLDATA "Region" part.
constexpr int kRegionHeaderIndex = 1;

constexpr std::array<std::string_view, 3> kRoadStatus{"Not investigated", "Paved", "Not paved"};
constexpr std::array<std::string_view, 8> kSpeedLimits{
    "Less than 10 km/h", "10 to 30 km/h",  "30 to 50 km/h",   " 50 to 70 km/h",
    "70 to 90 km/h",     "90 to 100 km/h", "100 to 130 km/h", "130 km/h or greater"};

// The names of the nine frames of a route planning distribution header, offset then size.
struct FrameNames {
    const char* offset;
    const char* size;
};
constexpr std::array<FrameNames, kRPFrameCount> kFrameNames{{
    {"Offset to the Node Data Frame", "Size of the Node Data Frame"},
    {"Offset to the Link Data Frame", "Size of the Link Data Frame"},
    {"Offset to the Link Cost Data Frame", "Size of the Link Cost Data Frame"},
    {"Offset to Upper Level Node Data Frame", "Size of Upper Level Node Data Frame"},
    {"Offset to Upper Level Link Data Frame", "Size of Upper Level Link Data Frame"},
    {"Offset to the Passage Code Data Frame", "Size of the Passage Code Data Frame"},
    {"Offset to the Statistical Cost Data Frame", "Size of the Statistical Cost Data Frame"},
    {"Offset to the Node Coordinate Data Frame", "Size of the Node Coordinate Data Frame"},
    {"Offset to the Road Reference Table", "Size of the Road Reference Table"},
}};

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The reader of a region subtree: a REGION.KWI root reads its own file only; below the ALLDATA part the
// map's reader stands in when the node holds none.
std::shared_ptr<TLN_RegionManager> readerOf(const KindContext& context, const RecordNode& node) {
    if (auto held = node.held.Shared<TLN_RegionManager>()) return held;
    return node.kind == kRegionRoot ? nullptr : context.data.routePlanning;
}

// An edge of a region: the coordinate as text with its degrees in the remark.
void latitudeRow(FieldGrid& grid, const char* name, int32_t latitude) {
    grid.AddTextRow(s(name), Text(FormatLatitude(latitude)), Text(FormatDegrees(latitude)));
}
void longitudeRow(FieldGrid& grid, const char* name, int32_t longitude) {
    grid.AddTextRow(s(name), Text(FormatLongitude(longitude)), Text(FormatDegrees(longitude)));
}
void widthRow(FieldGrid& grid, const char* name, int32_t width) {
    grid.AddTextRow(s(name), Text(FormatDMS(width)), Text(FormatDegrees(width)));
}

void distributionHeaderRows(FieldGrid& grid, const TLN_RP_Distribution_Header& header) {
    grid.AddSectionHeaderAt(s("Route Planning Distribution Header"), {}, header.Position);
    Hex32(grid, s("Size of the Route Planning Distribution Header"), header.HeaderSize);
    grid.AddWordRow(s("Region Number"), {}, header.RegionNumber);
    grid.AddHexDecRow(s("Practical Management Code"), {}, header.PracticalCode);
    for (size_t f = 0; f < kFrameNames.size(); ++f)
        Frame(grid, s(kFrameNames[f].offset), s(kFrameNames[f].size), header.Frames[f].Position,
              header.Frames[f].Size);
    for (size_t i = 0; i < header.Extended.size(); ++i) {
        grid.AddSectionHeader(s("Extended Data Frame Management Record ") + QString::number(i));
        Frame(grid, s("Offset to the Extended Data Frame"), s("Size of the Extended Data Frame"),
              header.Extended[i].Position, header.Extended[i].Size);
    }
}

void nodeHeaderRows(FieldGrid& grid, const TLN_RP_Node_Header& header) {
    grid.AddSectionHeaderAt(s("Node Distribution Header"), {}, header.Position);
    Hex32(grid, s("Node Distribution Header Size"), header.HeaderSize);
    grid.AddWordRow(s("Total Number of Node Records"), {}, header.NodeCount);
    grid.AddWordRow(s("Total Number of Links"), {}, header.LinkCount);
    grid.AddWordRow(s("Number of Rank Management Information Item"), {}, header.RankCount);
    for (size_t i = 0; i < header.Ranks.size(); ++i) {
        const TLN_RP_Rank& rank = header.Ranks[i];
        grid.AddSectionHeader(s("Rank Management Information ") + QString::number(i));
        grid.AddWordRow(s("Number of Nodes Included for the Rank"), {}, rank.NodeCount);
        grid.AddWordRow(s("Number of Boundary Nodes Included for the Rank"), {}, rank.BoundaryNodeCount);
        grid.AddWordRow(s("Number of Links"), {}, rank.LinkCount);
        grid.AddWordHexRow(s("Road Class Information"), {}, rank.RoadClass);
        grid.AddByteRow(s("Corresponding Level In Route Planning Data"), {}, rank.CorrespondingLevel);
        grid.AddYesNoRow(s("Average Traveling Time Flag"), {}, rank.AverageTimeFlag);
    }
}

void coordinateHeaderRows(FieldGrid& grid, const TLN_RP_Node_Coord_Header& header) {
    grid.AddSectionHeaderAt(s("Node Coordinate Distribution Header"), {}, header.Position);
    Hex32(grid, s("Node Coordinate Distribution Header Size"), header.HeaderSize);
    widthRow(grid, "Latitudinal width of the Reference Grid area", header.LatitudeWidth);
    widthRow(grid, "Longitudinal width of the Reference Grid area", header.LongitudeWidth);
    grid.AddWordRow(s("Number of the Latitudinal Reference Grid Management data"), {},
                    header.LatitudeGridCount);
    grid.AddWordRow(s("Number of the Longitudinal Reference Grid Management data"), {},
                    header.LongitudeGridCount);
    Frame(grid, s("Offset to the Reference Grid Position Table"), s("Reference Grid Position Table Size"),
          header.GridTablePosition, header.GridTableSize);
    Frame(grid, s("Offset to the Node Coordinate Table"), s("Node Coordinate Table Size"),
          header.CoordTablePosition, header.CoordTableSize);
}

// The region a node of the route planning subtree lies in (its region node's record), or null.
std::shared_ptr<const TLN_Region> regionOf(TLN_RegionManager& reader, const RecordNode& regionNode) {
    if (regionNode.index < 0 || regionNode.index > 0xFFFF) return nullptr;
    return reader.GetRegion(regionNode.level, int(regionNode.index));
}

// Node record `node` of the region its parent stands for, and that region.
std::shared_ptr<const TLN_Region> readNode(const KindContext& context, const RecordNode& node,
                                           TLN_RP_Node_Record& out) {
    const auto reader = readerOf(context, node);
    if (!reader || !node.parent || node.index < 0 || node.index > 0xFFFF) return nullptr;
    auto region = regionOf(*reader, *node.parent);
    return region && region->ReadNode(int(node.index), out) ? region : nullptr;
}

void regulationRows(FieldGrid& grid, const TLN_RP_Node_Record& record) {
    for (size_t i = 0; i < record.Regulations.size(); ++i) {
        const TLN_RP_Regulation_Record& regulation = record.Regulations[i];
        grid.AddSectionHeaderAt(s("Regulation Record ") + QString::number(i), {}, regulation.Position);
        grid.AddByteRow(s("Between-links In Number (Entry)"), {}, regulation.InNumber);
        grid.AddByteRow(s("Between-links Out Number (Exit)"), {}, regulation.OutNumber);
        grid.AddYesRow(s("Regulation ID Flag"), {}, regulation.RegulationID);
        grid.AddByteRow(s("Passage Code"), {}, regulation.PassageCode);
    }
    for (size_t i = 0; i < record.BetweenLinks.size(); ++i) {
        const TLN_RP_Between_Links_Record& cost = record.BetweenLinks[i];
        grid.AddSectionHeaderAt(s("Between-links Cost Record ") + QString::number(i), {}, cost.Position);
        grid.AddByteRow(s("Between-links In Number (Entry)"), {}, cost.InNumber);
        grid.AddByteRow(s("Between-links Out Number (Exit)"), {}, cost.OutNumber);
        grid.AddByteRow(s("Number of Non-following-the same Road Nodes"), {}, cost.NonFollowingNodes);
        grid.AddYesRow(s("Corresponding Aggregated Intersection Flag"), {}, cost.AggregatedIntersection);
        grid.AddByteRow(s("Multiplication Constant of the Link Length"), {}, cost.LengthMultiplier);
        grid.AddByteRow(s("Multiplication Constant of the Average Traveling Time"), {}, cost.TimeMultiplier);
        grid.AddByteRow(s("Link Length"), {}, cost.LinkLength);
        grid.AddByteRow(s("Average Traveling Time"), {}, cost.AverageTravelingTime);
    }
}

void linkCostRows(FieldGrid& grid, const TLN_RP_Link_Cost_Record& cost) {
    grid.AddSectionHeaderAt(s("Link Cost Record"), {}, cost.Position);
    grid.AddHexDecRow(s("Absolute Link ID"), {}, cost.AbsoluteLinkID);
    grid.AddWordHexRow(s("Destination Point Side of the Link"), {}, cost.DestinationSide);
    grid.AddByteRow(s("The Uppermost Level Where the Link is Included"), {}, cost.UppermostLevel);
    grid.AddYesRow(s("Toll Link Flag"), {}, cost.Toll);
    grid.AddYesRow(s("Bypass Flag"), {}, cost.Bypass);
    grid.AddYesNoRow(s("Forward Direction Link Passage Flag"), {}, cost.ForwardPassage);
    grid.AddYesNoRow(s("Reverse Direction Link Passage Flag"), {}, cost.ReversePassage);
    grid.AddYesRow(s("Center Line Existence Flag"), {}, cost.CenterLine);
    grid.AddYesRow(s("Same Link Cost Applied Flag"), {}, cost.SameCostApplied);
    grid.AddYesRow(s("Statistics Cost Flag"), {}, cost.StatisticsCost);
    grid.AddByteRow(s("The Number of lanes and the width of the road"), {}, cost.LanesAndWidth);
    grid.AddByteRow(s("Link Class Code"), {}, cost.LinkClass);
    grid.AddByteRow(s("Road Class Code"), {}, cost.RoadClass);
    grid.AddDWordRow(s("Link Length"), s("meter"), uint32_t(cost.LinkLength));
    grid.AddWordRow(s("ID Number of the Connected Node"), {}, cost.ConnectedNode);
    grid.AddDWordRow(s("Average Traveling Time"), s("sec."), uint32_t(cost.AverageTravelingTime));
    grid.AddByteRow(s("Road Status Flag"), enumText(kRoadStatus, cost.RoadStatus), cost.RoadStatus);
    grid.AddByteRow(s("Speed Limits"), enumText(kSpeedLimits, cost.SpeedLimits), cost.SpeedLimits);
    grid.AddByteRow(s("Sublink Type Code"), {}, cost.SublinkType);
}

} // namespace

void ShowRegionHeader(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = readerOf(context, node);
    // Only the ALLDATA part stands for a management header; REGION.KWI alone has none (nor a map).
    if (node.kind == kRegionPart)
        partview::ManagementHeader(context, node, kRegionHeaderIndex, HelpDocument::RegionData);
    const TLN_Region_Header* header = reader && reader->IsValid() ? &reader->Header() : nullptr;
    grid.AddSectionHeaderAt(s("Region Data Management Distribution Header"), {},
                            header ? header->Position : node.recordOffset);
    if (node.kind != kRegionPart) partview::Help(grid, HelpDocument::RegionData);
    if (!header) {
        // The part's management header said why already.
        if (node.kind != kRegionPart) partview::ErrorRow(grid, node);
        return;
    }
    Hex32(grid, s("Header Size"), header->HeaderSize);
    grid.AddWordHexRow(s("Region Management Record Type Code"), {}, header->TypeCode);
    Count(grid, s("Total Number of Region Management Records"), header->TotalRegionRecords);
    Frame(grid, s("Address of Region Management Table"), s("Size of Region Management Table"),
          header->RegionTablePosition, header->RegionTableSize);
    grid.AddTextRow(s("File Name of Region Management Table"), Text(header->RegionTableFileName));
    Frame(grid, s("Address of Common Traffic Condition Table"), s("Size of Common Traffic Condition Table"),
          header->TrafficTablePosition, header->TrafficTableSize);
    grid.AddTextRow(s("File Name of Common Traffic Condition Table"), Text(header->TrafficTableFileName));
    Hex32(grid, s("Common Traffic Condition Record Size"), header->TrafficRecordSize);
    grid.AddWordRow(s("Total Number of Level Management Records "), {}, header->LevelCount);
    Hex32(grid, s("Level Management Record Size"), header->LevelRecordSize);
}

void ShowRegionLevel(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Region Level Management Record"));
    const auto reader = readerOf(context, node);
    TLN_Region_Level_Record level;
    if (!reader || !reader->GetLevelRecord(node.level, level)) return;
    grid.AddByteRow(s("Level Code "), {}, level.LevelCode);
    grid.AddByteRow(s("Number of Basic Route Planning Data Frame"), {}, level.BasicFrameCount);
    grid.AddByteRow(s("Number of Extended Route Planning Data Frame"), {}, level.ExtendedFrameCount);
    grid.AddWordRow(s("Total Number of Region Management Records "), {}, level.RegionCount);
    Hex32(grid, s("Region Management Record Size"), level.RegionRecordSize);
    Hex32(grid, s("Node Record Size"), level.NodeRecordSize);
    Hex32(grid, s("Link Record Size"), level.LinkRecordSize);
    Hex32(grid, s("Link Cost Record Size"), level.LinkCostRecordSize);
    Hex32(grid, s("Regulation Record Size"), level.RegulationRecordSize);
    Hex32(grid, s("Between-links Cost Record Size"), level.BetweenLinksRecordSize);
    partview::ErrorRow(grid, node);
}

void ShowRegionRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = readerOf(context, node);
    TLN_Region_Manag_Record record;
    if (!reader || node.index < 0 || node.index > 0xFFFF ||
        !reader->ReadRegionRecord(node.level, int(node.index), record)) {
        grid.AddSectionHeaderAt(s("Region Management Record"), {}, node.recordOffset);
        partview::ErrorRow(grid, node);
        return;
    }
    grid.AddSectionHeaderAt(s("Region Management Record"), {}, record.Position);
    latitudeRow(grid, "Uppermost Latitude of Region", record.Top);
    latitudeRow(grid, "Lowest Latitude of Region", record.Bottom);
    longitudeRow(grid, "Leftmost Longitude of Region", record.Left);
    longitudeRow(grid, "Rightmost Longitude of Region", record.Right);
    grid.AddWordHexRow(s("The Corresponding Higher Level Region Number"), {}, record.HigherRegion);
    grid.AddWordHexRow(s("Foremost Number of the Corresponding Lower-level Region"), {},
                       record.LowerRegionFirst);
    grid.AddWordHexRow(s("Number of Lower-level Regions"), {}, record.LowerRegionCount);
    Frame(grid, s("Address of Route Planning Data Frame"), s("Size of Route Planning Data Frame"),
          record.FramePosition, record.FrameSize);
    grid.AddTextRow(s("File Name of Route Planning Data Frame"), Text(record.FileName));
    partview::ErrorRow(grid, node);

    TLN_RP_Distribution_Header header;
    if (record.FrameAddress == 0 || record.FramePosition < 0 ||
        !reader->ReadRPDistributionHeader(node.level, header, record.FramePosition, record.FrameFile))
        return;
    distributionHeaderRows(grid, header);
    TLN_RP_Node_Header nodes;
    const int64_t nodeFrame = header.Frames[RP_NodeFrame].Position;
    if (nodeFrame >= 0 && reader->ReadNodeHeader(nodes, nodeFrame, record.FrameFile))
        nodeHeaderRows(grid, nodes);
    if (header.Coordinates.Valid) coordinateHeaderRows(grid, header.Coordinates);
}

void ShowRouteNodeRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    TLN_RP_Node_Record record;
    const auto region = readNode(context, node, record);
    if (!region) {
        grid.AddSectionHeaderAt(s("Node Record"), {}, node.recordOffset);
        return;
    }
    grid.AddSectionHeaderAt(s("Node Record"), {}, record.Position);
    grid.AddYesRow(s("Upper Level Correspondence Table Exists"), {}, record.UpperTableExists);
    grid.AddByteRow(s("The Uppermost Level of the Identical Node Included"), {}, record.UppermostLevel);
    grid.AddYesRow(s("Aggregated Intersection Flag"), {}, record.AggregatedIntersection);
    grid.AddYesRow(s("Boundary Node Flag"), {}, record.Boundary);
    grid.AddByteRow(s("Number of Link Records"), {}, record.LinkCount);
    grid.AddYesRow(s("Parcel Boundary Node Flag"), {}, record.ParcelBoundary);
    grid.AddYesRow(s("Traffic Light Flag"), {}, record.TrafficLight);
    grid.AddYesRow(s("Rotary Flag"), {}, record.Rotary);
    // The link table lies in the link data frame, LinkTableOffset words from its start.
    const int64_t linkFrame = region->RPHeader().Frames[RP_LinkFrame].Position;
    Address(grid, s("Offset to the Link Table"),
            linkFrame < 0 ? -1 : linkFrame + int64_t(record.LinkTableOffset) * 2);
    grid.AddWordRow(s("Number of Regulations"), {}, record.RegulationCount);
    grid.AddWordRow(s("Number of Between-links Cost Records"), {}, record.BetweenLinksCount);
    grid.AddLatLonRow(s("Node Coordinate"), false,
                      record.HasCoordinate
                          ? TLN_Point{record.X, record.Y}
                          : TLN_Point{int32_t(kInvalidCoordinate), int32_t(kInvalidCoordinate)});
    regulationRows(grid, record);
}

void ShowRouteLinkRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Link Record ") + QString::number(node.index));
    TLN_RP_Node_Record record;
    if (!node.parent || !readNode(context, *node.parent, record) || node.index < 0 ||
        size_t(node.index) >= record.Links.size())
        return;
    const TLN_RP_Link_Record& link = record.Links[size_t(node.index)];
    if (link.HasRegionNumber)
        grid.AddWordRow(s("Region Number"), {}, link.RegionNumber);
    else
        grid.AddTextRow(s("Region Number"), {});
    grid.AddWordRow(s("Adjacent Node ID Number"), {}, link.AdjacentNode);
    grid.AddWordRow(s("Link Cost Record Number"), {}, link.LinkCostNumber);
    grid.AddYesNoRow(s("City/Suburbs Identification Flag"), {}, link.CitySuburbs);
    grid.AddYesNoRow(s("Semi-urban Highway Flag"), {}, link.SemiUrbanHighway);
    grid.AddYesNoRow(s("Link Forward / Reverse Direction Flag"), {}, link.ForwardReverse);
    grid.AddByteRow(s("Following-the-same-road Link Record Number"), {}, link.FollowingSameRoad);
    if (link.CostRead) linkCostRows(grid, link.Cost);
}

void RegisterRegionViews(NodeKinds& table) {
    table.SetView(kRegionRoot, ShowRegionHeader);
    table.SetView(kRegionPart, ShowRegionHeader);
    table.SetView(1410, ShowRegionLevel);
    table.SetView(1420, ShowRegionRecord);
    // A more-node stands for its region: it shows that region's record while its page is turned.
    table.SetView(1421, ShowRegionRecord);
    table.SetView(1430, WithErrorRows(ShowRouteNodeRecord));
    table.SetView(1440, ShowRouteLinkRecord);
}
