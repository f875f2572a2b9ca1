// Node kinds of the RDS-TMC data (events, regions, groups, locations, messages), the localisation areas
// and the sub-records of management header 32.
#include <exception>

#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "kiwi/parts/RdstmcManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/kinds/Paging.h"
#include "mainwindow/model/views/TmcAndLocalViews.h"

namespace {

// Bytes of a location data record.
constexpr int64_t kLocationDataBytes = 50;

constexpr int kRdsTmcPart = 127;
constexpr int kTmcRegion = 2100;
constexpr int kTmcGroup = 2110;
constexpr int kTmcLocation = 2120;
// More-nodes of the paged group and location lists.
constexpr int kMoreTmcGroups = 2111;
constexpr int kMoreTmcLocations = 2121;
constexpr int kEvents = 2130;
// Partition p is kind 2140 + 10 p; the messages of partitions 0 to 2 are kind 2180 + 10 p.
constexpr int kPartition = 2140;
constexpr int kMessage = 2180;
constexpr int kPartitions = 4;
constexpr int kMessagePartitions = 3;
constexpr int kLocalisationPart = 129;
constexpr int kArea = 1600;
constexpr int kManagement32 = 131;
constexpr int kManagement32Record = 180;
constexpr int kManagement32Part5 = 120;
// Management header 31 ("Management 32") holds 16 sub-records; sub-record 5 is read by TLN_Manager21.
constexpr int kManagement32Header = 31;
constexpr int kManagement32SubRecords = 16;
constexpr int kManager21SubRecord = 5;
// The localisation frame: language identifications (3 bytes each) from byte 19, then the area records.
constexpr int64_t kLanguagesStart = 19;
constexpr int64_t kLanguageBytes = 3;

std::shared_ptr<TLN_RdstmcManager> tmcReader(const RecordNode& node) {
    auto reader = family::ReaderOf<TLN_RdstmcManager>(node);
    return reader && reader->IsValid() ? reader : nullptr;
}

QString regionCaption(const KindContext& context, int64_t i, const TLN_TmcRegion& region) {
    QString caption = family::Numbered("Region ", i);
    // An area the localisation does not name adds nothing rather than an empty "()".
    const std::string name = context.data.localisation && region.AreaCode > 0
                                 ? context.data.localisation->GetAreaName(region.AreaCode)
                                 : std::string();
    if (!name.empty()) caption += QStringLiteral(" (") + QString::fromStdString(name) + QStringLiteral(")");
    return caption;
}

void addRdsTmcNodes(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = tmcReader(node);
    if (!reader) return;
    const TLN_TmcEventsHeader& events = reader->EventsHeader();
    auto at = [&](int64_t position) { return position >= 0 ? position : node.recordOffset; };

    auto eventsNode = family::Child(node, kEvents, QStringLiteral("Events Data"), 0,
                                    at(reader->Header().EventsFramePosition));
    std::vector<std::unique_ptr<RecordNode>> partitions;
    for (int p = 0; p < kPartitions; ++p) {
        // Partition 3 holds no messages this program reads: it is not expandable.
        const bool messages = p < kMessagePartitions && reader->MessageCount(p) > 0;
        partitions.push_back(family::Child(*eventsNode, kPartition + 10 * p,
                                           family::Numbered("Partition ", p), p,
                                           at(events.PartitionPosition[p]), messages));
    }
    family::AttachBuilt(*eventsNode, std::move(partitions));
    out.push_back(std::move(eventsNode));

    for (int64_t i = 0; i < reader->RegionCount(); ++i) {
        TLN_TmcRegion region;
        reader->ReadRegionDataInfo(i, region);
        auto child = family::Child(node, kTmcRegion, regionCaption(context, i, region), i,
                                   at(region.Position), region.ReadableGroups > 0);
        family::MarkError(*child, region.TableError);
        out.push_back(std::move(child));
    }
}

// The groups of the region node regionNode, in pages: "Group " g at its record.
void addTmcGroupPage(const RecordNode& regionNode, int64_t first,
                     std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = tmcReader(regionNode);
    TLN_TmcRegion region;
    if (!reader || !reader->ReadRegionDataInfo(regionNode.index, region)) return;
    AddPage(
        first, region.ReadableGroups, kMoreTmcGroups,
        [&regionNode, &reader, region](int64_t g) {
            auto child = family::Child(regionNode, kTmcGroup, family::Numbered("Group ", g), g,
                                       region.GroupDataPosition + g * region.GroupRecordSize, true);
            TLN_TmcGroup group;
            reader->ReadGroupInfo(regionNode.index, int(g), group);
            family::MarkError(*child, group.TableError);
            return child;
        },
        out);
}

void addTmcGroupNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    addTmcGroupPage(node, 0, out);
}

void nextTmcGroupPage(KindContext&, RecordNode& more, std::vector<std::unique_ptr<RecordNode>>& out) {
    addTmcGroupPage(family::ParentOf(more), more.pageNext, out);
}

// The locations of the group node groupNode (below its region node), in pages.
void addTmcLocationPage(const RecordNode& groupNode, int64_t first,
                        std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = tmcReader(groupNode);
    const int64_t regionIndex = family::ParentOf(groupNode).index;
    TLN_TmcRegion region;
    TLN_TmcGroup group;
    if (!reader || groupNode.index < 0 || groupNode.index > 0xFFFF ||
        !reader->ReadRegionDataInfo(regionIndex, region) ||
        !reader->ReadGroupInfo(regionIndex, int(groupNode.index), group))
        return;
    AddPage(
        first, group.ReadableLocations, kMoreTmcLocations,
        [&groupNode, &reader, regionIndex, &region, &group](int64_t l) {
            auto child = family::Child(groupNode, kTmcLocation, family::Numbered("Location ", l), l,
                                       group.LocationInfoPosition + l * region.LocationInfoRecordSize);
            // The location's data record, which its view shows, may lie where the file has ended.
            TLN_TmcLocationInfo info;
            if (reader->ReadLocationInfo(regionIndex, int(groupNode.index), int(l), info))
                family::MarkError(*child, family::ShortRecord(reader->Stream(), "the location data record",
                                                              info.LocationDataPosition, kLocationDataBytes));
            return child;
        },
        out);
}

void addTmcLocationNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    addTmcLocationPage(node, 0, out);
}

void nextTmcLocationPage(KindContext&, RecordNode& more, std::vector<std::unique_ptr<RecordNode>>& out) {
    addTmcLocationPage(family::ParentOf(more), more.pageNext, out);
}

void addTmcMessageNodes(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = tmcReader(node);
    const int partition = (node.kind - kPartition) / 10;
    if (!reader || partition < 0 || partition >= kMessagePartitions) return;
    const int64_t start = reader->EventsHeader().PartitionPosition[partition];
    const int64_t bytes = TLN_RdstmcManager::kMessageBytes[partition];
    for (int64_t m = 0; m < reader->MessageCount(partition); ++m)
        out.push_back(family::Child(node, kMessage + 10 * partition, family::Numbered("Message ", m), m,
                                    start + m * bytes));
}

void addAreaNodes(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf(node, context.data.localisation);
    if (!reader || !reader->IsValid()) return;
    // Area records are spaced by the stored record size after the language identifications.
    const int64_t first = reader->Base() + kLanguagesStart + kLanguageBytes * reader->NumberOfLanguages();
    for (int i = 0; i < reader->AreaCount(); ++i) {
        auto child = family::Child(node, kArea, family::Numbered("Area ", i), i,
                                   first + i * int64_t(reader->AreaRecordSize()));
        child->held = reader;
        out.push_back(std::move(child));
    }
}

// The Manager21 reader of sub-record 5, made from the ALLDATA stream; none when it cannot be made.
std::shared_ptr<TLN_Manager21> newManager21(const TLN_KiwiMap& map, const TLN_Management_Header& header,
                                            QString& error) {
    if (!header.Name.empty() || header.Address < 0) return nullptr;
    try {
        return std::make_shared<TLN_Manager21>(map.GetAllDataStream(), header.Address);
    } catch (const std::exception& raised) {
        error = QString::fromUtf8(raised.what());
        return nullptr;
    }
}

void addManagement32Nodes(KindContext& context, RecordNode& node,
                          std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto map = family::ReaderOf(node, context.data.map);
    if (!map) return;
    const TLN_Management_Header top = map->GetManagementHeader(kManagement32Header);
    // The sub-records lie in ALLDATA.KWI at the header's address: an absent header has none there, and one
    // naming a file of its own keeps them in that file (its address 0 is not the data volume record).
    if (!top.Present() || !top.Name.empty() || top.Address < 0) return;
    for (int n = 0; n < kManagement32SubRecords; ++n) {
        const TLN_Management_Header sub = map->AllDataManager().ReadManagementHeaderRecord(n, top.Address);
        // Absent in either stored form; one naming a file is there without a size.
        if (!sub.Present()) continue;
        const int64_t offset = sub.Address >= 0 ? sub.Address : top.Address + kManagementHeaderRecordSize * n;
        const bool manager21 = n == kManager21SubRecord;
        auto child = family::Child(node, manager21 ? kManagement32Part5 : kManagement32Record,
                                   family::Numbered("Management 32/", n), n, offset);
        if (manager21) {
            // The node owns the reader it makes; a sub-record with a file of its own gets none.
            if (auto reader = newManager21(*map, sub, child->error))
                child->held = std::move(reader);
            else
                child->held = HeldReader();
        }
        out.push_back(std::move(child));
    }
}

} // namespace

void RegisterTmcAndLocalKinds(NodeKinds& table) {
    family::RegisterRow(table, kRdsTmcPart, "ShowRdsTmcManagement", addRdsTmcNodes);
    family::RegisterRow(table, kTmcRegion, "ShowTmcRegion", addTmcGroupNodes);
    family::RegisterRow(table, kTmcGroup, "ShowTmcGroup", addTmcLocationNodes);
    family::RegisterRow(table, kTmcLocation, "ShowTmcLocation");
    family::RegisterRow(table, kMoreTmcGroups, "NextTmcGroupPage", nextTmcGroupPage);
    family::RegisterRow(table, kMoreTmcLocations, "NextTmcLocationPage", nextTmcLocationPage);
    family::RegisterRow(table, kEvents, "ShowNotImplemented");
    for (int p = 0; p < kPartitions; ++p)
        family::RegisterRow(table, kPartition + 10 * p, "ShowNotImplemented",
                            p < kMessagePartitions ? BuilderFn(addTmcMessageNodes) : BuilderFn());
    for (int p = 0; p < kMessagePartitions; ++p)
        family::RegisterRow(table, kMessage + 10 * p, "ShowTmcMessage");
    family::RegisterRow(table, kLocalisationPart, "ShowLocalizationFrame", addAreaNodes);
    family::RegisterRow(table, kArea, "ShowAreaRecord");
    family::RegisterRow(table, kManagement32, "ShowManagementHeader", addManagement32Nodes);
    family::RegisterRow(table, kManagement32Record, "ShowManagementHeader32");
    family::RegisterRow(table, kManagement32Part5, "ShowManagementHeader32_5");
    RegisterTmcAndLocalViews(table);
}
