// RDS-TMC, localisation and management 32 builders: regions named by their areas, events with their
// partitions (the fourth one not expandable), groups, locations, messages, areas, the 32/n sub-records
// and the Manager21 reader that only "Management 32/5" makes and frees.
#include <gtest/gtest.h>

#include "KindHarness.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "kiwi/parts/RdstmcManager.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LocalFixture.h"
#include "support/fixtures/RdstmcFixture.h"
#include "support/walkers/MemoryFiles.h"

using harness::Captions;
using harness::Kinds;

namespace {

constexpr size_t kPrefix = 16;

std::shared_ptr<TLN_MemoryStream> memory(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes));
}

std::shared_ptr<TLN_RdstmcManager> openTmc(const fixture::RdstmcPlan& plan) {
    return std::make_shared<TLN_RdstmcManager>(memory(fixture::buildRdstmcPart(plan, kPrefix)),
                                               int64_t(kPrefix));
}

std::shared_ptr<TLN_LocalManager> openLocal() {
    return std::make_shared<TLN_LocalManager>(
        memory(fixture::buildLocalPart(fixture::standardLocalPlan(), kPrefix)), int64_t(kPrefix));
}

} // namespace

TEST(TmcAndLocalKinds, EventsPartitionsAndMessages) {
    harness::KindHarness h;
    const auto reader = openTmc({});
    ASSERT_TRUE(reader->IsValid());
    auto root = harness::Root(127, QStringLiteral("RDS-TMC Data"), reader, reader->SharedStream());
    const auto children = h.Expand(*root);
    ASSERT_FALSE(children.empty());
    RecordNode& events = *children[0];
    EXPECT_EQ(events.caption, QStringLiteral("Events Data"));
    EXPECT_EQ(events.kind, 2130);
    EXPECT_TRUE(events.built);
    EXPECT_EQ(events.recordOffset, reader->Header().EventsFramePosition);
    EXPECT_EQ(Captions(events),
              (std::vector<QString>{"Partition 0", "Partition 1", "Partition 2", "Partition 3"}));
    EXPECT_EQ(Kinds(events), (std::vector<int>{2140, 2150, 2160, 2170}));
    EXPECT_EQ(events.children[1]->recordOffset, reader->EventsHeader().PartitionPosition[1]);

    EXPECT_EQ(h.Expand(*events.children[0]).size(), 2u);
    const auto third = h.Expand(*events.children[2]);
    EXPECT_EQ(Captions(*events.children[2]), (std::vector<QString>{"Message 0", "Message 1", "Message 2"}));
    EXPECT_EQ(Kinds(*events.children[2]), (std::vector<int>{2200, 2200, 2200}));
    TLN_TmcMessage message;
    ASSERT_TRUE(reader->ReadMessageRecord3(2, message));
    EXPECT_EQ(third[2]->recordOffset, message.Position);
    EXPECT_EQ(h.Expand(*events.children[1])[1]->kind, 2190);

    // The fourth partition holds nothing that is read: no expander, and nothing when expanded anyway.
    RecordNode& fourth = *events.children[3];
    EXPECT_FALSE(fourth.hasChildren);
    EXPECT_FALSE(h.table.Resolve(2170).builder);
    EXPECT_TRUE(h.Expand(fourth).empty());
    EXPECT_FALSE(fourth.hasChildren);
}

TEST(TmcAndLocalKinds, RegionsGroupsAndLocations) {
    harness::KindHarness h;
    const auto reader = openTmc({});
    h.data.localisation = openLocal();
    auto root = harness::Root(127, QStringLiteral("RDS-TMC Data"), reader);
    const auto children = h.Expand(*root);
    EXPECT_EQ(Captions(*root), (std::vector<QString>{"Events Data", "Region 0 (SPB)", "Region 1 (KL)"}));
    EXPECT_EQ(Kinds(*root), (std::vector<int>{2130, 2100, 2100}));
    TLN_TmcRegion region;
    ASSERT_TRUE(reader->ReadRegionDataInfo(1, region));
    EXPECT_EQ(children[2]->recordOffset, region.Position);
    EXPECT_EQ(children[2]->index, 1);

    const auto groups = h.Expand(*children[1]);
    EXPECT_EQ(Captions(*children[1]), (std::vector<QString>{"Group 0", "Group 1"}));
    EXPECT_EQ(Kinds(*children[1]), (std::vector<int>{2110, 2110}));
    TLN_TmcGroup group;
    ASSERT_TRUE(reader->ReadGroupInfo(0, 1, group));
    EXPECT_EQ(groups[1]->recordOffset, group.Position);

    const auto locations = h.Expand(*groups[0]);
    EXPECT_EQ(Captions(*groups[0]), (std::vector<QString>{"Location 0", "Location 1"}));
    EXPECT_EQ(Kinds(*groups[0]), (std::vector<int>{2120, 2120}));
    TLN_TmcLocationInfo location;
    ASSERT_TRUE(reader->ReadLocationInfo(0, 0, 1, location));
    EXPECT_EQ(locations[1]->recordOffset, location.Position);
    EXPECT_EQ(h.Expand(*groups[1]).size(), 1u);
    EXPECT_TRUE(h.Expand(*locations[0]).empty());

    // Without localisation data, or with area code 0, a region is its number alone.
    h.data.localisation.reset();
    auto plain = harness::Root(127, QStringLiteral("RDS-TMC Data"), reader);
    h.Expand(*plain);
    EXPECT_EQ(Captions(*plain), (std::vector<QString>{"Events Data", "Region 0", "Region 1"}));
    std::vector<uint8_t> bytes = fixture::buildRdstmcPart({}, kPrefix);
    bytes[size_t(region.Position) + 2] = 0; // region 1's area code
    h.data.localisation = openLocal();
    auto zero = harness::Root(127, QStringLiteral("RDS-TMC Data"),
                              std::make_shared<TLN_RdstmcManager>(memory(bytes), int64_t(kPrefix)));
    h.Expand(*zero);
    EXPECT_EQ(Captions(*zero), (std::vector<QString>{"Events Data", "Region 0 (SPB)", "Region 1"}));
    // An area the localisation does not name shows no empty brackets.
    bytes[size_t(region.Position) + 2] = 99;
    auto unnamed = harness::Root(127, QStringLiteral("RDS-TMC Data"),
                                 std::make_shared<TLN_RdstmcManager>(memory(bytes), int64_t(kPrefix)));
    h.Expand(*unnamed);
    EXPECT_EQ(Captions(*unnamed), (std::vector<QString>{"Events Data", "Region 0 (SPB)", "Region 1"}));
}

TEST(TmcAndLocalKinds, HostileRegionCountAndInvalidReader) {
    harness::KindHarness h;
    fixture::RdstmcPlan plan;
    plan.declaredRegions = 100000;
    const auto reader = openTmc(plan);
    auto root = harness::Root(127, QStringLiteral("RDS-TMC Data"), reader);
    h.Expand(*root);
    EXPECT_EQ(int64_t(root->children.size()), reader->RegionCount() + 1);
    EXPECT_LT(reader->RegionCount(), 100);

    // Region 0's group and location info records stored 0 bytes apart are no tables.
    TLN_TmcRegion region;
    ASSERT_TRUE(reader->ReadRegionDataInfo(0, region));
    std::vector<uint8_t> bytes = fixture::buildRdstmcPart({}, kPrefix);
    bytes[size_t(region.Position) + 11] = bytes[size_t(region.Position) + 19] = 0;
    auto zero = harness::Root(127, QStringLiteral("RDS-TMC Data"),
                              std::make_shared<TLN_RdstmcManager>(memory(bytes), int64_t(kPrefix)));
    EXPECT_EQ(h.Expand(*zero)[1]->caption, QStringLiteral("Region 0  (Error)"));
    EXPECT_FALSE(zero->children[1]->Expandable());

    // 1285 groups in a group frame that holds them come in pages of 500.
    bytes = fixture::buildRdstmcPart({}, kPrefix);
    std::fill_n(bytes.begin() + region.Position + 8, 2, uint8_t(0x05));
    std::fill_n(bytes.begin() + reader->Header().TmcFramePosition + 18, 4, uint8_t(0x7F));
    bytes.resize(bytes.size() + 13000);
    auto paged = harness::Root(127, QStringLiteral("RDS-TMC Data"),
                               std::make_shared<TLN_RdstmcManager>(memory(bytes), int64_t(kPrefix)));
    RecordNode& groups = *h.Expand(*paged)[1];
    h.Expand(groups);
    ASSERT_EQ(groups.children.size(), 500u);
    h.NextPage(*groups.children[499]);
    EXPECT_EQ(groups.children.size(), 1000u);

    plan = {};
    plan.usageCode = 1; // not an RDS-TMC part
    auto invalid = harness::Root(127, QStringLiteral("RDS-TMC Data"), openTmc(plan));
    EXPECT_TRUE(h.Expand(*invalid).empty());
}

TEST(TmcAndLocalKinds, AreasOfTheLocalisationData) {
    harness::KindHarness h;
    h.data.localisation = openLocal();
    auto part = harness::Root(129, QStringLiteral("Local Data"), HeldReader());
    const auto areas = h.Expand(*part);
    EXPECT_EQ(Captions(*part), (std::vector<QString>{"Area 0", "Area 1", "Area 2", "Area 3"}));
    EXPECT_EQ(Kinds(*part), (std::vector<int>{1600, 1600, 1600, 1600}));
    // After the 19-byte head and three 3-byte languages, 24 bytes apart.
    EXPECT_EQ(areas[2]->recordOffset, int64_t(kPrefix) + 19 + 9 + 48);

    fixture::LocalPlan empty = fixture::standardLocalPlan();
    empty.areas.clear();
    h.data.localisation = std::make_shared<TLN_LocalManager>(memory(fixture::buildLocalPart(empty)), 0);
    EXPECT_TRUE(h.Expand(*harness::Root(129, QStringLiteral("Local Data"), HeldReader())).empty());
}

namespace {

// A small map whose management header 31 points at a table of 16 sub-records: 2 and 7 (with a file name)
// have a size, 5 is a Manager21 header in ALLDATA.KWI (named fivesFile, when given), 9 names a file at
// address 0 with no size, the others are address 0 and size 0. With topFile, header 31 instead names that
// file at address 0 with no size.
std::shared_ptr<TLN_KiwiMap> mapWithManagement32(const std::string& fivesFile, int64_t& manager21At,
                                                 const std::string& topFile = "") {
    fixture::AllDataImage image = fixture::buildAllData(fixture::smallAllDataPlan());
    std::vector<uint8_t>& all = image.allData;
    auto align = [&] {
        while (all.size() % 2048)
            all.push_back(0);
    };
    auto put16 = [&](size_t at, uint32_t v) {
        all[at] = uint8_t(v >> 8);
        all[at + 1] = uint8_t(v);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v >> 16);
        put16(at + 2, v & 0xFFFF);
    };
    auto record = [&](size_t at, uint32_t address, uint16_t sectors, const std::string& name) {
        put32(at, address);
        put16(at + 4, sectors);
        for (size_t i = 0; i < 12; ++i)
            all[at + 6 + i] = i < name.size() ? uint8_t(name[i]) : 0;
    };
    align();
    manager21At = int64_t(all.size());
    const std::vector<uint8_t> manager21 = fixture::buildManager21Part(44);
    all.insert(all.end(), manager21.begin(), manager21.end());
    align();
    const size_t table = all.size();
    all.resize(table + 16 * 18 + 2048, 0);
    record(table + 2 * 18, fixture::kiwiAddress(uint64_t(manager21At)), 1, "");
    record(table + 5 * 18, fixture::kiwiAddress(uint64_t(manager21At)), 2, fivesFile);
    record(table + 7 * 18, fixture::kiwiAddress(0x800), 1, "DATA32_7.KWI");
    record(table + 9 * 18, 0, 0, "DATA32_9.KWI");
    if (topFile.empty())
        record(2048 + 31 * 18, fixture::kiwiAddress(table), 1, "");
    else
        record(2048 + 31 * 18, 0, 0, topFile);
    return std::make_shared<TLN_KiwiMap>("/nonexistent-kiwi-fixture/ALLDATA.KWI",
                                         fixture::memoryOpener(fixture::memoryFilesOf(image)));
}

} // namespace

TEST(TmcAndLocalKinds, Management32SubRecordsAndTheReaderOfFive) {
    harness::KindHarness h;
    int64_t manager21At = 0;
    h.data.map = mapWithManagement32("", manager21At);
    ASSERT_TRUE(h.data.map->IsValid());
    auto node =
        harness::Root(131, QStringLiteral("Management 32"), h.data.map, h.data.map->GetAllDataStream());
    const auto subs = h.Expand(*node);
    EXPECT_EQ(Captions(*node), (std::vector<QString>{"Management 32/2", "Management 32/5", "Management 32/7",
                                                     "Management 32/9"}));
    EXPECT_EQ(Kinds(*node), (std::vector<int>{180, 120, 180, 180}));
    EXPECT_EQ(subs[1]->index, 5);
    EXPECT_EQ(subs[1]->recordOffset, manager21At);
    EXPECT_EQ(subs[2]->recordOffset, 0x800);

    std::weak_ptr<TLN_Manager21> reader = subs[1]->held.Shared<TLN_Manager21>();
    ASSERT_FALSE(reader.expired());
    EXPECT_TRUE(reader.lock()->IsValid());
    EXPECT_EQ(reader.lock()->LevelCode(), 0x0102);
    EXPECT_EQ(subs[0]->held.As<TLN_Manager21>(), nullptr);
    harness::Remove(*node, 0);
    EXPECT_FALSE(reader.expired());
    harness::Remove(*node, 0); // "Management 32/5" frees its reader
    EXPECT_TRUE(reader.expired());

    // A sub-record 5 in a file of its own gets no reader.
    h.data.map = mapWithManagement32("M21.KWI", manager21At);
    auto named = harness::Root(131, QStringLiteral("Management 32"), HeldReader());
    const auto withFile = h.Expand(*named);
    ASSERT_EQ(withFile.size(), 4u);
    EXPECT_EQ(withFile[1]->kind, 120);
    EXPECT_FALSE(withFile[1]->held);

    // Header 31 naming a file of its own: its address 0 is no sub-record table in ALLDATA.KWI.
    h.data.map = mapWithManagement32("", manager21At, "M32.KWI");
    ASSERT_TRUE(h.data.map->GetManagementHeader(31).Present());
    EXPECT_TRUE(h.Expand(*harness::Root(131, QStringLiteral("Management 32"), HeldReader())).empty());
}
