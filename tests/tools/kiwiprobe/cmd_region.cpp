// kiwiprobe region: the route planning data as the region reader sees it; gen-region writes the test data.
#include <cstdio>
#include <string>

#include "ProbeCommand.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/region/RegionManager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/RegionFixture.h"

namespace {

// Positions print relative to the reader's base, so that a copy at another base prints the same; positions
// in a separate frame file print with its name.
struct Printer {
    int64_t base = 0;
    std::string at(int64_t position, const std::string& file = {}) const {
        if (position < 0) return "none";
        char text[64];
        std::snprintf(text, sizeof text, "0x%llX", (long long)(file.empty() ? position - base : position));
        return file.empty() ? text : file + ":" + text;
    }
};

void printFrame(const char* name, const TLN_RP_Frame_Reference& f, const Printer& p,
                const std::string& file) {
    std::printf(" %s=%s+0x%X", name, p.at(f.Position, file).c_str(), unsigned(f.ByteSize()));
}

void printNode(const std::string& key, const TLN_RP_Node_Record& n, const Printer& p,
               const std::string& file) {
    std::printf(
        "node %s at=%s flags=0x%08X upper=%d uppermost=%d aggregated=%d boundary=%d links=%d parcel=%d "
        "light=%d rotary=%d table=0x%X regulations=%d between=%d",
        key.c_str(), p.at(n.Position, file).c_str(), n.Flags, n.UpperTableExists, n.UppermostLevel,
        n.AggregatedIntersection, n.Boundary, n.LinkCount, n.ParcelBoundary, n.TrafficLight, n.Rotary,
        n.LinkTableOffset, n.RegulationCount, n.BetweenLinksCount);
    if (n.HasCoordinate)
        std::printf(" position=%d,%d", n.X, n.Y);
    else
        std::printf(" position=n/a");
    std::printf(" complete=%d\n", n.Complete);
    for (size_t j = 0; j < n.Links.size(); ++j) {
        const TLN_RP_Link_Record& l = n.Links[j];
        std::printf("link %s/%zu at=%s node=%d cost=%d city=%d semiurban=%d direction=%d same=%d",
                    key.c_str(), j, p.at(l.Position, file).c_str(), l.AdjacentNode, l.LinkCostNumber,
                    l.CitySuburbs, l.SemiUrbanHighway, l.ForwardReverse, l.FollowingSameRoad);
        if (l.HasRegionNumber) std::printf(" region=%d", l.RegionNumber);
        std::printf("\n");
        if (!l.CostRead) {
            std::printf("cost %s/%zu n/a\n", key.c_str(), j);
            continue;
        }
        const TLN_RP_Link_Cost_Record& c = l.Cost;
        std::printf(
            "cost %s/%zu at=%s id=0x%08X destination=0x%04X level=%d toll=%d bypass=%d forward=%d "
            "reverse=%d center=%d same=%d statistics=%d lanes=%d class=%d road=%d length=%d connected=%d "
            "time=%d status=%d speed=%d sublink=%d\n",
            key.c_str(), j, p.at(c.Position, file).c_str(), c.AbsoluteLinkID, c.DestinationSide,
            c.UppermostLevel, c.Toll, c.Bypass, c.ForwardPassage, c.ReversePassage, c.CenterLine,
            c.SameCostApplied, c.StatisticsCost, c.LanesAndWidth, c.LinkClass, c.RoadClass, c.LinkLength,
            c.ConnectedNode, c.AverageTravelingTime, c.RoadStatus, c.SpeedLimits, c.SublinkType);
    }
    for (size_t i = 0; i < n.Regulations.size(); ++i) {
        const TLN_RP_Regulation_Record& r = n.Regulations[i];
        std::printf("regulation %s/%zu at=%s in=%d out=%d id=%d passage=%d\n", key.c_str(), i,
                    p.at(r.Position, file).c_str(), r.InNumber, r.OutNumber, r.RegulationID, r.PassageCode);
    }
    for (size_t i = 0; i < n.BetweenLinks.size(); ++i) {
        const TLN_RP_Between_Links_Record& b = n.BetweenLinks[i];
        std::printf("between %s/%zu at=%s in=%d out=%d nonfollowing=%d aggregated=%d lengthmultiplier=%d "
                    "timemultiplier=%d length=%d time=%d\n",
                    key.c_str(), i, p.at(b.Position, file).c_str(), b.InNumber, b.OutNumber,
                    b.NonFollowingNodes, b.AggregatedIntersection, b.LengthMultiplier, b.TimeMultiplier,
                    b.LinkLength, b.AverageTravelingTime);
    }
}

void printOverlay(TLN_RegionManager& manager, int level, int r) {
    const auto region = manager.GetRegion(level, r);
    if (!region) {
        std::printf("overlay %d/%d none\n", level, r);
        return;
    }
    const int count = region->GetNodeCount();
    std::printf("overlay %d/%d nodes=%d\n", level, r, count);
    for (int k = 0; k < count; ++k) {
        std::printf("draw %d/%d/%d", level, r, k);
        TLN_Point point;
        if (region->GetNodePosition(k, point))
            std::printf(" position=%d,%d", point.X, point.Y);
        else
            std::printf(" position=n/a");
        std::array<TLN_RP_Node_Link, kRPMaxLinks> links{};
        const int n = region->GetNodeLinks(k, links);
        std::printf(" links=%d", n);
        for (int j = 0; j < n; ++j)
            if (links[j].Boundary)
                std::printf(" %d@%d", links[j].Node, links[j].Region);
            else
                std::printf(" %d", links[j].Node);
        std::printf("\n");
    }
}

void printRegion(TLN_RegionManager& manager, int level, int r, bool nodes, const Printer& p) {
    TLN_Region_Manag_Record record;
    if (!manager.ReadRegionRecord(level, r, record)) {
        std::printf("region %d/%d n/a\n", level, r);
        return;
    }
    const std::string& file = record.FrameFile;
    std::printf("region %d/%d at=%s top=%d bottom=%d left=%d right=%d higher=%d lowerfirst=%d lowercount=%d "
                "frame=%s size=0x%X name=\"%s\"\n",
                level, r, p.at(record.Position).c_str(), record.Top, record.Bottom, record.Left, record.Right,
                record.HigherRegion, record.LowerRegionFirst, record.LowerRegionCount,
                p.at(record.FramePosition, file).c_str(), record.FrameSize, record.FileName.c_str());
    if (record.FramePosition <= 0 || record.FrameSize == 0) return;
    TLN_RP_Distribution_Header rp;
    if (!manager.ReadRPDistributionHeader(level, rp, record.FramePosition, file)) {
        std::printf("rp %d/%d n/a\n", level, r);
        return;
    }
    static const char* const names[kRPFrameCount] = {
        "node", "link", "cost", "uppernode", "upperlink", "passage", "statistics", "coordinates", "road"};
    std::printf("rp %d/%d at=%s size=0x%X region=%d code=0x%08X", level, r, p.at(rp.Position, file).c_str(),
                rp.HeaderSize, rp.RegionNumber, rp.PracticalCode);
    for (int i = 0; i < kRPFrameCount; ++i)
        printFrame(names[i], rp.Frames[i], p, file);
    std::printf("\n");
    for (size_t e = 0; e < rp.Extended.size(); ++e) {
        std::printf("extended %d/%d/%zu", level, r, e);
        printFrame("frame", rp.Extended[e], p, file);
        std::printf("\n");
    }
    const TLN_RP_Node_Coord_Header& c = rp.Coordinates;
    if (c.Valid)
        std::printf(
            "coordinates %d/%d at=%s size=0x%X latitudewidth=%d longitudewidth=%d grids=%dx%d grid=%s+0x%X "
            "table=%s+0x%X\n",
            level, r, p.at(c.Position, file).c_str(), c.HeaderSize, c.LatitudeWidth, c.LongitudeWidth,
            c.LatitudeGridCount, c.LongitudeGridCount, p.at(c.GridTablePosition, file).c_str(),
            unsigned(c.GridTableSize) * 2, p.at(c.CoordTablePosition, file).c_str(),
            unsigned(c.CoordTableSize) * 2);
    TLN_RP_Node_Header header;
    if (!manager.ReadNodeHeader(header, rp.Frames[RP_NodeFrame].Position, file)) {
        std::printf("nodeheader %d/%d n/a\n", level, r);
        return;
    }
    std::printf("nodeheader %d/%d at=%s size=0x%X nodes=%d links=%d ranks=%d\n", level, r,
                p.at(header.Position, file).c_str(), header.HeaderSize, header.NodeCount, header.LinkCount,
                header.RankCount);
    for (size_t i = 0; i < header.Ranks.size(); ++i) {
        const TLN_RP_Rank& k = header.Ranks[i];
        std::printf("rank %d/%d/%zu nodes=%d boundary=%d links=%d class=0x%04X level=%d time=%d\n", level, r,
                    i, k.NodeCount, k.BoundaryNodeCount, k.LinkCount, k.RoadClass, k.CorrespondingLevel,
                    k.AverageTimeFlag);
    }
    if (!nodes) return;
    if (const auto region = manager.GetRegion(level, r))
        for (size_t g = 0; g < region->Grid().size(); ++g)
            std::printf("grid %d/%d/%zu x=%d y=%d\n", level, r, g, region->Grid()[g].X, region->Grid()[g].Y);
    manager.SetRPHeader(rp);
    for (int k = 0; k < header.NodeCount; ++k) {
        TLN_RP_Node_Record node;
        const std::string key = std::to_string(level) + "/" + std::to_string(r) + "/" + std::to_string(k);
        if (manager.ReadNodeRecord(k, level, node))
            printNode(key, node, p, file);
        else
            std::printf("node %s n/a\n", key.c_str());
    }
    printOverlay(manager, level, r);
}

int regionCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "region: give one file")) return 2;
    Printer p;
    p.base = args.number("--offset", 0, 0);
    if (!probe::mountImageOption(args, "region")) return probe::kImageNotMounted;
    std::unique_ptr<TLN_RegionManager> manager;
    if (args.has("--offset")) {
        manager = std::make_unique<TLN_RegionManager>(OpenKiwiFile(files[0]), p.base);
    } else {
        manager = std::make_unique<TLN_RegionManager>(files[0]);
    }
    if (!manager->IsValid()) {
        std::printf("region valid=0\n");
        return 1;
    }
    const TLN_Region_Header& h = manager->Header();
    std::printf(
        "header at=%s size=0x%X type=%d regions=%u table=%s size=0x%X name=\"%s\" traffic=%s size=0x%X "
        "name=\"%s\" trafficrecord=0x%X levels=%d levelrecord=0x%X\n",
        p.at(h.Position).c_str(), h.HeaderSize, h.TypeCode, h.TotalRegionRecords,
        p.at(h.RegionTablePosition).c_str(), h.RegionTableSize, h.RegionTableFileName.c_str(),
        p.at(h.TrafficTablePosition).c_str(), h.TrafficTableSize, h.TrafficTableFileName.c_str(),
        h.TrafficRecordSize, h.LevelCount, h.LevelRecordSize);
    const bool nodes = args.has("--nodes");
    for (int level = 0; level < manager->LevelCount(); ++level) {
        TLN_Region_Level_Record l;
        manager->GetLevelRecord(level, l);
        std::printf(
            "level %d at=%s code=%d basic=%d extended=%d regions=%d sizes=%d/%d/%d/%d/%d/%d table=%s\n",
            level, p.at(l.Position).c_str(), manager->GetRegionItem(level), l.BasicFrameCount,
            l.ExtendedFrameCount, l.RegionCount, l.RegionRecordSize, l.NodeRecordSize, l.LinkRecordSize,
            l.LinkCostRecordSize, l.RegulationRecordSize, l.BetweenLinksRecordSize,
            p.at(l.TablePosition).c_str());
        if (const std::string error = manager->RegionTableError(level); !error.empty())
            std::printf("level %d error=\"%s\"\n", level, error.c_str());
        // Only the records that lie in the file: a hostile count prints no lines of its own.
        for (int r = 0; r < manager->UsableRegionCount(level); ++r)
            printRegion(*manager, level, r, nodes, p);
    }
    return 0;
}

int generateCommand(const probe::Args& args) {
    const auto& rest = args.words();
    if (!probe::oneArgument(rest, "gen-region: give a folder")) return 2;
    const long long base = args.number("--embed", 0, 0, probe::kMostGeneratedBase);
    const fixture::RegionImage image = fixture::buildRegionData(fixture::sampleRegionPlan());
    const std::string path = fixture::writeRegionData(image, rest[0]);
    std::printf("wrote %s bytes %zu\n", path.c_str(), image.bytes.size());
    if (args.has("--embed")) {
        const std::string embedded = rest[0] + "/ALLDATA.KWI";
        fixture::writeFile(embedded, fixture::embedRegionData(image.bytes, base));
        std::printf("wrote %s base 0x%llX\n", embedded.c_str(), base);
    }
    return 0;
}

probe::Register reg("region", "FILE [--offset N] [--nodes] [--image IMAGE]",
                    "The region part at N: its levels and regions; --nodes adds every node.", regionCommand);
probe::Register regGenerate("gen-region", "DIR [--embed BASE]",
                            "Writes the region test files into DIR; --embed puts the part at BASE.",
                            generateCommand);

} // namespace
