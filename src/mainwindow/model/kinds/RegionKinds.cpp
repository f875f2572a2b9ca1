// Node kinds of the route planning data (REGION.KWI or the ALLDATA "Region" part): levels, regions paged
// on level 1, route nodes and their links.
#include <algorithm>

#include "kiwi/region/RegionManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/kinds/Paging.h"
#include "mainwindow/model/views/RegionViews.h"

namespace {

constexpr int kRegionRoot = 1400;
constexpr int kRegionPart = 101;
constexpr int kLevel = 1410;
constexpr int kRegion = 1420;
constexpr int kMoreRegions = 1421;
constexpr int kRouteNode = 1430;
constexpr int kRouteLink = 1440;
// Only the regions of this level come in pages; the other levels hold few.
constexpr int kPagedLevel = 1;

// The region reader of a subtree. A REGION.KWI root reads its own file only; under the ALLDATA part the
// map's reader stands in when the node holds none.
std::shared_ptr<TLN_RegionManager> regionReader(const KindContext& context, const RecordNode& node) {
    if (node.kind == kRegionRoot) return family::ReaderOf<TLN_RegionManager>(node);
    return family::ReaderOf(node, context.data.routePlanning);
}

// "Region " i of a level, at its management record.
PageEntryMaker regionMaker(const RecordNode& levelNode, std::shared_ptr<TLN_RegionManager> reader,
                           const TLN_Region_Level_Record& level) {
    return [&levelNode, reader, level](int64_t i) {
        auto node = family::Child(levelNode, kRegion, family::Numbered("Region ", i), i,
                                  level.TablePosition + i * level.RegionRecordSize * 2, true);
        node->held = reader;
        // A frame that cannot be read is said on the region itself, before anyone expands it.
        family::MarkError(*node, reader->RegionFrameError(levelNode.level, int(i)));
        return node;
    };
}

void addRegionLevelNodes(KindContext& context, RecordNode& node,
                         std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = regionReader(context, node);
    if (!reader) return;
    for (int l = 0; l < reader->LevelCount(); ++l) {
        TLN_Region_Level_Record level;
        if (!reader->GetLevelRecord(l, level)) break;
        // A table that cannot be read whole: the level says why and keeps the regions that can be read.
        auto child = family::Child(node, kLevel, family::Numbered("Level ", l), l, level.Position,
                                   reader->UsableRegionCount(l) > 0);
        child->level = l;
        child->held = reader;
        family::MarkError(*child, reader->RegionTableReason(l));
        out.push_back(std::move(child));
    }
}

void addRegionNodes(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = regionReader(context, node);
    TLN_Region_Level_Record level;
    if (!reader || !reader->GetLevelRecord(node.level, level)) return;
    const int64_t total = reader->UsableRegionCount(node.level);
    const PageEntryMaker make = regionMaker(node, reader, level);
    if (node.level == kPagedLevel) {
        AddPage(0, total, kMoreRegions, make, out);
        return;
    }
    for (int64_t i = 0; i < total; ++i)
        out.push_back(make(i));
}

// The page after a more-node: its siblings from the next index on (the tree then turns the more-node back
// into its region).
void nextRegionPage(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = regionReader(context, node);
    TLN_Region_Level_Record level;
    if (!reader || !reader->GetLevelRecord(node.level, level)) return;
    const RecordNode& levelNode = node.parent ? *node.parent : node;
    AddPage(node.pageNext, reader->UsableRegionCount(node.level), kMoreRegions,
            regionMaker(levelNode, reader, level), out);
}

void addRouteNodeNodes(KindContext& context, RecordNode& node,
                       std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = regionReader(context, node);
    TLN_Region_Manag_Record record;
    TLN_Region_Level_Record level;
    if (!reader || node.index < 0 || node.index > 0xFFFF || !reader->GetLevelRecord(node.level, level) ||
        !reader->ReadRegionRecord(node.level, int(node.index), record))
        return;
    // A region without a route planning data frame has no nodes.
    if (record.FrameAddress == 0 || record.FramePosition < 0) return;
    Failure why;
    const auto region = reader->GetRegion(node.level, int(node.index), &why);
    if (!region || !region->IsValid()) {
        family::MarkError(node, why);
        return;
    }
    const auto frameStream = record.FrameFile.empty() ? nullptr : reader->FrameStream(record.FrameFile);
    const int64_t first = region->NodeHeader().Position + int64_t(region->NodeHeader().HeaderSize) * 2;
    const int64_t step = int64_t(level.NodeRecordSize) * 2;
    const int count = region->NodeRecordCount();
    family::MarkError(node, region->NodeCountError());
    for (int k = 0; k < count; ++k) {
        auto child = family::Child(node, kRouteNode, family::Numbered("Node ", k), k, first + k * step, true);
        // A node whose links or their records lie outside their frames says so.
        TLN_RP_Node_Record routeNode;
        if (region->ReadNode(k, routeNode) && !routeNode.Complete)
            family::MarkError(*child, routeNode.Reason);
        if (frameStream) {
            child->stream = frameStream;
            child->fileName = record.FrameFile;
        }
        out.push_back(std::move(child));
    }
}

void addRouteLinkNodes(KindContext& context, RecordNode& node,
                       std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = regionReader(context, node);
    const RecordNode& regionNode = family::ParentOf(node);
    if (!reader || regionNode.index < 0 || regionNode.index > 0xFFFF || node.index < 0 || node.index > 0xFFFF)
        return;
    const auto region = reader->GetRegion(node.level, int(regionNode.index));
    TLN_RP_Node_Record record;
    if (!region || !region->ReadNode(int(node.index), record)) return;
    for (size_t j = 0; j < record.Links.size(); ++j)
        out.push_back(family::Child(node, kRouteLink, family::Numbered("Link ", int64_t(j)), int64_t(j),
                                    record.Links[j].Position));
}

} // namespace

void RegisterRegionKinds(NodeKinds& table) {
    family::RegisterRow(table, kRegionRoot, "ShowRegionHeader", addRegionLevelNodes);
    family::RegisterRow(table, kRegionPart, "ShowRegionHeader", addRegionLevelNodes);
    family::RegisterRow(table, kLevel, "ShowRegionLevel", addRegionNodes);
    family::RegisterRow(table, kRegion, "ShowRegionRecord", addRouteNodeNodes);
    family::RegisterRow(table, kMoreRegions, "NextRegionPage", nextRegionPage);
    family::RegisterRow(table, kRouteNode, "ShowRouteNodeRecord", addRouteLinkNodes);
    family::RegisterRow(table, kRouteLink, "ShowRouteLinkRecord");
    RegisterRegionViews(table);
}
