// The header family's builders over fixture files: LOADING.KWI systems, modules and units, the entries of
// a CMP list, and COVERAGE.BIN items whose pictures are named by data (only safe bare names become files).
#include <gtest/gtest.h>

#include "TreeTestSupport.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/Loading.h"
#include "mainwindow/model/RecordTree.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LoadingFixtures.h"

namespace {

std::vector<std::string> captions(const RecordNode& node) {
    std::vector<std::string> result;
    for (const auto& child : node.children)
        result.push_back(child->caption.toStdString());
    return result;
}

TEST(HeaderKinds, LoadingSystemsModulesAndUnits) {
    const std::string folder = fixture::scratchDir("header-kinds-loading");
    const fixture::LoadingFixture loading = fixture::buildLoading();
    fixture::writeFile(folder + "/LOADING.KWI", loading.bytes);
    const auto reader = std::make_shared<TLN_Loading>(folder + "/LOADING.KWI");
    ASSERT_TRUE(reader->IsValid());
    RecordTree tree;
    treetest::Workbench bench;
    auto root = RecordNode::MakeChild(nullptr, 1, QStringLiteral("LOADING"));
    root->held = HeldReader(reader);
    root->hasChildren = true;
    RecordNode* loadingRoot = tree.AddRoot(std::move(root));

    tree.Expand(bench.context, *loadingRoot);
    ASSERT_EQ(captions(*loadingRoot), (std::vector<std::string>{"AISIN-AW", "DENSO"}));
    RecordNode& aisin = *loadingRoot->children[0];
    EXPECT_EQ(aisin.kind, 2);
    EXPECT_TRUE(aisin.Expandable());
    tree.Expand(bench.context, aisin);
    ASSERT_EQ(aisin.children.size(), 2u);
    RecordNode& module = *aisin.children[0];
    EXPECT_EQ(module.kind, 3);
    EXPECT_EQ(module.recordOffset, int64_t(loading.aisinModule0));
    tree.Expand(bench.context, module);
    // The first entry and the two files of module 0's list, each at its file's position.
    ASSERT_EQ(module.children.size(), 3u);
    EXPECT_EQ(module.children[1]->caption, QStringLiteral("PROG.BIN"));
    EXPECT_EQ(module.children[1]->kind, 2000);
    EXPECT_EQ(module.children[1]->recordOffset, int64_t(loading.identificationAt));
    // The DENSO module has no file list: its node cannot be expanded.
    RecordNode& denso = *loadingRoot->children[1];
    tree.Expand(bench.context, denso);
    ASSERT_EQ(denso.children.size(), 1u);
    EXPECT_FALSE(denso.children[0]->Expandable());
}

TEST(HeaderKinds, CoverageItemsNameOnlySafePicturesAndTheHexViewerOpensThem) {
    const std::string folder = fixture::scratchDir("header-kinds-coverage");
    fixture::writeFile(folder + "/disc/COVERAGE.BIN",
                       fixture::buildCoverage({{1, "AREA1.BMP"}, {2, "../secret.bmp"}, {3, "none.bmp"}}));
    fixture::writeFile(folder + "/disc/area1.bmp", fixture::buildBmp(5, 3, fixture::coveragePictureColour));
    fixture::writeFile(folder + "/secret.bmp", fixture::buildBmp(2, 2, fixture::coveragePictureColour));
    const auto coverage = std::make_shared<TLN_Coverage>(folder + "/disc/COVERAGE.BIN");
    RecordTree tree;
    treetest::Workbench bench;
    auto root = RecordNode::MakeChild(nullptr, 1500, QStringLiteral("COVERAGE"));
    root->held = HeldReader(coverage);
    root->fileName = folder + "/disc/COVERAGE.BIN";
    root->hasChildren = true;
    RecordNode* coverageRoot = tree.AddRoot(std::move(root));
    tree.Expand(bench.context, *coverageRoot);
    ASSERT_EQ(captions(*coverageRoot), (std::vector<std::string>{"AREA1.BMP", "secret.bmp", "none.bmp"}));
    const RecordNode& present = *coverageRoot->children[0];
    const RecordNode& outside = *coverageRoot->children[1];
    const RecordNode& missing = *coverageRoot->children[2];
    EXPECT_EQ(present.stream, nullptr);
    EXPECT_EQ(fileNamePart(present.fileName), "area1.bmp"); // matched case-insensitively
    EXPECT_EQ(outside.fileName, "");                        // "../" never becomes a path
    EXPECT_EQ(fileNamePart(missing.fileName), "none.bmp");

    // The root and a present picture open a stream for the hex viewer; a missing one clears it.
    tree.Select(bench.context, *coverageRoot);
    EXPECT_NE(bench.host.hexStream, nullptr);
    tree.Select(bench.context, *coverageRoot->children[0]);
    ASSERT_NE(bench.host.hexStream, nullptr);
    EXPECT_EQ(bench.host.hexStream->Size(),
              int64_t(fixture::buildBmp(5, 3, fixture::coveragePictureColour).size()));
    EXPECT_NO_THROW(tree.Select(bench.context, *coverageRoot->children[2]));
    EXPECT_EQ(bench.host.hexStream, nullptr);
    EXPECT_NO_THROW(tree.Select(bench.context, *coverageRoot->children[1]));
    EXPECT_EQ(bench.host.hexStream, nullptr);
}

TEST(HeaderKinds, CompressedFileEntriesOfTheWindowsList) {
    const std::string folder = fixture::scratchDir("header-kinds-cmp");
    fixture::CmpListEntryPlan first;
    first.name = "ALLDATA.KWI";
    first.type = 0;
    fixture::CmpListEntryPlan second;
    second.name = "MAP1.DAT";
    second.type = 258;
    fixture::writeFile(folder + "/05.CMP", fixture::buildCmpList({first, second}));
    RecordTree tree;
    treetest::Workbench bench;
    bench.data.compression = std::make_shared<TLN_CompressionManager>(folder + "/05.CMP");
    ASSERT_TRUE(bench.data.compression->IsValid());
    auto root = RecordNode::MakeChild(nullptr, 4, QStringLiteral("COMPRESSION"));
    root->hasChildren = true;
    RecordNode* list = tree.AddRoot(std::move(root));
    tree.Expand(bench.context, *list);
    ASSERT_EQ(captions(*list), (std::vector<std::string>{"ALLDATA.KWI", "MAP1.DAT"}));
    EXPECT_EQ(list->children[0]->kind, 5);
    EXPECT_EQ(list->children[0]->recordOffset, 4); // the first entry follows the count
    EXPECT_GT(list->children[1]->recordOffset, 4);
}

} // namespace
