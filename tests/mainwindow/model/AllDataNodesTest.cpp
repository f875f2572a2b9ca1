// The children of an "ALL DATA" root over the fixture ALLDATA.KWI: which management headers become nodes,
// their kinds and captions (retagged for format 8), the readers they hold and the "(Error)" suffix for a
// part past the end of the file and for a reader that cannot be made.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#include "TreeTestSupport.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/RdstmcManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "mainwindow/model/kinds/AllDataNodes.h"
#include "mainwindow/model/kinds/ManagementPart.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"
#include "support/fixtures/PictureFixture.h"
#include "support/fixtures/RdstmcFixture.h"
#include "support/fixtures/RegionFixture.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {

using Nodes = std::vector<std::unique_ptr<RecordNode>>;

// A file no reader can open (opening a socket fails), though it exists.
class UnopenableFile {
public:
    explicit UnopenableFile(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 && path.size() < sizeof address.sun_path &&
                 ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~UnopenableFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool made() const { return bound_; }

private:
    int fd_ = -1;
    bool bound_ = false;
};

class AllDataNodesTest : public ::testing::Test {
protected:
    // Builds the small map with further management headers, opens it and walks its headers. Headers the
    // plan leaves out are absent: stored as address 0 and size 0, or, with allOnes, as the all-ones address
    // and size 0.
    Nodes walk(const std::string& systemText, const std::string& name, bool allOnes = false) {
        fixture::AllDataPlan plan = fixture::smallAllDataPlan(systemText);
        for (int i = 3; i < 64; ++i)
            if (i != 5) plan.headers[i] = {allOnes ? -1 : 0, 0, ""};
        // A size with the all-ones address: a damaged record, neither in ALLDATA.KWI nor in a file.
        plan.headers[5] = {-1, 3, ""};
        plan.headers[3] = {-1, 1, "PARAM.KWI"};
        plan.headers[17] = {-1, 4, "RDSTMC.KWI"};
        plan.headers[18] = {4096, 1, ""};
        plan.headers[30] = {-1, 1, "PCT2MNG.KWI"};
        plan.headers[31] = {4096, 1, ""};
        plan.headers[40] = {int64_t(1) << 24, 1, ""};
        folder_ = fixture::scratchDir("alldata-nodes-" + name);
        fixture::writeFile(folder_ + "/RDSTMC.KWI", fixture::buildRdstmcPart({}));
        unopenable_ = std::make_unique<UnopenableFile>(folder_ + "/PARAM.KWI");
        return walkPlan(plan);
    }

    // Writes the plan's map into folder_ (made beforehand), opens it and walks its headers.
    Nodes walkPlan(const fixture::AllDataPlan& plan) {
        const std::string path = fixture::writeAllData(fixture::buildAllData(plan), folder_);
        map_ = std::make_shared<TLN_KiwiMap>(path);
        bench_.data.map = map_;
        root_ = RecordNode::MakeChild(nullptr, 7, QStringLiteral("ALL DATA"));
        root_->held = HeldReader(map_);
        root_->stream = map_->GetAllDataStream();
        Nodes out;
        AddAllDataNodes(bench_.context, *root_, out);
        return out;
    }

    static std::vector<std::pair<int, std::string>> kindsAndCaptions(const Nodes& nodes) {
        std::vector<std::pair<int, std::string>> result;
        for (const auto& node : nodes)
            result.emplace_back(node->kind, node->caption.toStdString());
        return result;
    }

    static const RecordNode* find(const Nodes& nodes, int index) {
        for (const auto& node : nodes)
            if (node->index == index) return node.get();
        return nullptr;
    }

    std::string folder_;
    std::unique_ptr<UnopenableFile> unopenable_;
    std::shared_ptr<TLN_KiwiMap> map_;
    std::unique_ptr<RecordNode> root_;
    treetest::Workbench bench_;
};

TEST_F(AllDataNodesTest, HeadersBecomeNodesWithTheirKindsCaptionsAndErrors) {
    const Nodes nodes = walk("AFEU:2.05", "v2");
    ASSERT_TRUE(unopenable_->made());
    const std::vector<std::pair<int, std::string>> expected = {
        {100, "Map Data"},
        // Its file (REGION.KWI) is missing.
        {101, "Region Data  (Error)"},
        {102, "Index Data"},
        // Its file exists but cannot be opened: the reader raised, the walk went on.
        {103, "Parameters Data  (Error)"},
        // An all-ones address inside ALLDATA.KWI: the graphic reader reports itself invalid.
        {105, "Graphic Data  (Error)"},
        // Below format 8 header 17 keeps its kind.
        {117, "Management 18"},
        {118, "HWMAP Data"},
        // Its file is missing: no reader, and the reason names the file and the folder.
        {130, "Picture Data  (Error)"},
        {131, "Management 32"},
        {140, "Management 41  (Error)"},
    };
    EXPECT_EQ(kindsAndCaptions(nodes), expected);

    // A missing node fails here rather than crashing the reads through it below.
    for (const int index : {0, 3, 17, 30, 31, 40})
        ASSERT_NE(find(nodes, index), nullptr) << "no node of header " << index;
    const RecordNode* mapData = find(nodes, 0);
    EXPECT_EQ(mapData->held.As<TLN_KiwiMap>(), map_.get());
    EXPECT_TRUE(mapData->Expandable());
    EXPECT_EQ(mapData->recordOffset, map_->PartBase());
    EXPECT_EQ(mapData->stream, map_->GetAllDataStream());
    EXPECT_FALSE(find(nodes, 3)->held);
    EXPECT_FALSE(find(nodes, 3)->Expandable());
    // Header 17's reader was made from its file and belongs to the node.
    const RecordNode* rdsTmc = find(nodes, 17);
    ASSERT_NE(rdsTmc->held.As<TLN_RdstmcManager>(), nullptr);
    EXPECT_EQ(rdsTmc->held.UseCount(), 1);
    EXPECT_TRUE(find(nodes, 31)->Expandable());
    EXPECT_FALSE(find(nodes, 30)->held);
    EXPECT_EQ(find(nodes, 30)->error.toStdString(), "Файл PCT2MNG.KWI не найден в папке " + folder_);
    EXPECT_FALSE(find(nodes, 3)->error.isEmpty());
    EXPECT_FALSE(find(nodes, 40)->Expandable());
    EXPECT_TRUE(ManagementAddressBeyondEnd(*map_, map_->GetManagementHeader(40)));
    EXPECT_FALSE(ManagementAddressBeyondEnd(*map_, map_->GetManagementHeader(18)));
}

TEST_F(AllDataNodesTest, CutFilesOfTheirOwnAreErrorsWithTheReadersReasons) {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan("AFEU:2.05");
    plan.headers[2] = {-1, 1, "INDEXDAT.KWI"};
    plan.headers[6] = {-1, 1, "VOICEDAT.KWI"};
    folder_ = fixture::scratchDir("alldata-nodes-cut");
    const auto cut = [&](const char* name, std::vector<uint8_t> bytes, size_t size) {
        bytes.resize(size);
        fixture::writeFile(folder_ + "/" + name, bytes);
        return folder_ + "/" + name;
    };
    bench_.data.routePlanning = std::make_shared<TLN_RegionManager>(
        cut("REGION.KWI", fixture::buildRegionData(fixture::sampleRegionPlan()).bytes, 6));
    bench_.data.index =
        std::make_shared<TLN_IndexManager>(cut("INDEXDAT.KWI", fixture::buildIndexFixture().index, 8));
    bench_.data.voice =
        std::make_shared<TLN_VoiceManager>(cut("VOICEDAT.KWI", fixture::buildVoiceDat().bytes, 10));
    const Nodes nodes = walkPlan(plan);
    for (const int index : {1, 2, 6}) {
        const RecordNode* node = find(nodes, index);
        ASSERT_NE(node, nullptr) << index;
        EXPECT_TRUE(node->caption.endsWith(QStringLiteral("  (Error)"))) << index;
        // The reader's reason, in Russian: the header needs more bytes than the cut file holds.
        EXPECT_TRUE(node->error.contains(QStringLiteral(" байт, а есть "))) << node->error.toStdString();
    }
}

TEST_F(AllDataNodesTest, AbsentHeadersWithTheAllOnesAddressAreListedWithoutReaders) {
    const Nodes zeros = walk("AFEU:8.05", "zeros");
    const Nodes ones = walk("AFEU:8.05", "ones", true);
    // Address 0 and size 0 is the only record left out.
    EXPECT_EQ(zeros.size(), 10u);
    ASSERT_EQ(ones.size(), 64u);
    for (int index = 0; index < 64; ++index) {
        const RecordNode* node = find(ones, index);
        ASSERT_NE(node, nullptr) << index;
        EXPECT_EQ(node->index, index);
        if (map_->GetManagementHeader(index).Size > 0 || index < 3) continue;
        // Absent: its address is the all-ones "none", no reader is made for it and nothing opens.
        EXPECT_EQ(node->recordOffset, -1) << index;
        EXPECT_FALSE(node->held) << index;
        EXPECT_EQ(node->Expandable(), index == 31) << index;
        EXPECT_FALSE(node->caption.endsWith(QStringLiteral("(Error)"))) << node->caption.toStdString();
    }
    const std::vector<std::pair<int, std::string>> named = {{104, "Infrastructure Data"},
                                                            {106, "Voice Data"},
                                                            {113, "Management 14"},
                                                            {125, "Voice Command Data"},
                                                            {126, "Ext Picture Data"},
                                                            {129, "Local Data"},
                                                            {133, "VOICE001"},
                                                            {163, "Management 64"}};
    for (const auto& [kind, caption] : named) {
        const RecordNode* node = find(ones, kind - 100);
        ASSERT_NE(node, nullptr) << caption;
        EXPECT_EQ(std::make_pair(node->kind, node->caption.toStdString()), std::make_pair(kind, caption));
    }
}

TEST_F(AllDataNodesTest, FormatEightRetagsTheRdsTmcHeader) {
    const Nodes nodes = walk("AFEU:8.05", "v8");
    const RecordNode* rdsTmc = find(nodes, 17);
    ASSERT_NE(rdsTmc, nullptr);
    EXPECT_EQ(rdsTmc->kind, 127);
    EXPECT_EQ(rdsTmc->caption, QStringLiteral("RDS-TMC Data"));
    EXPECT_TRUE(rdsTmc->Expandable());
    // Header 13 is absent: no "Local Data" node.
    EXPECT_EQ(find(nodes, 13), nullptr);
}

TEST_F(AllDataNodesTest, DeletingTheNodesFreesTheReadersTheyMadeAndNotTheMap) {
    Nodes nodes = walk("AFEU:8.05", "free");
    ASSERT_NE(find(nodes, 17), nullptr);
    const std::weak_ptr<TLN_RdstmcManager> rdsTmc = find(nodes, 17)->held.Shared<TLN_RdstmcManager>();
    ASSERT_FALSE(rdsTmc.expired());
    const long mapHolders = map_.use_count();
    nodes.clear();
    EXPECT_TRUE(rdsTmc.expired());
    EXPECT_EQ(map_.use_count(), mapHolders - 1); // "Map Data" held one reference, the window keeps the map
}

TEST_F(AllDataNodesTest, RecordsNamingAFileAreListedWithoutAnAddressOrSize) {
    // The table stores absent parts both ways: all-ones before record 48, address 0 from it on.
    fixture::AllDataPlan plan = fixture::smallAllDataPlan("AFEU:8.05");
    plan.zeroAbsentHeadersFrom = 48;
    plan.headers[30] = {0, 0, "PCT2MNG.KWI"};
    plan.headers[50] = {0, 0, "NAMED.MNG"};
    folder_ = fixture::scratchDir("alldata-nodes-named");
    fixture::writeStandardPictureSet(folder_);
    const Nodes nodes = walkPlan(plan);
    std::vector<int64_t> indices;
    for (const auto& node : nodes)
        indices.push_back(node->index);
    std::vector<int64_t> expected;
    for (int index = 0; index < 48; ++index)
        expected.push_back(index);
    expected.push_back(50);
    EXPECT_EQ(indices, expected);

    for (const int index : {30, 50})
        ASSERT_NE(find(nodes, index), nullptr) << "no node of header " << index;
    const RecordNode* pictures = find(nodes, 30);
    EXPECT_EQ(pictures->caption, QStringLiteral("Picture Data"));
    EXPECT_NE(pictures->held.As<TLN_PCT2MNGManager>(), nullptr);
    EXPECT_TRUE(pictures->Expandable());
    const RecordNode* named = find(nodes, 50);
    EXPECT_EQ(named->caption, QStringLiteral("Management 51  (Error)"));
    EXPECT_EQ(named->recordOffset, 0);
}

} // namespace
