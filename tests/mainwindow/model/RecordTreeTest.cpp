// The record tree's mechanics with a table of test kinds: children attached only when a builder succeeds,
// paging by 500 with the more-node, the collapse of a walked block, the current node on deletion and who
// frees a held reader.
#include <QCoreApplication>
#include <gtest/gtest.h>
#include <stdexcept>

#include "TreeTestSupport.h"
#include "kiwi/io/MemoryStream.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mainwindow/model/kinds/Paging.h"

namespace {

using Children = std::vector<std::unique_ptr<RecordNode>>;

// Test kinds: a list of entries paged through kind 51, a builder that can fail, a block, an empty builder.
constexpr int kList = 50, kMore = 51, kEntry = 52, kFlaky = 53, kBlock = 11, kEmpty = 54;

// Records the structural changes the tree announces.
struct ChangeLog : RecordTree::Observer {
    std::vector<std::string> events;
    void BeginInsert(RecordNode* parent, int first, int last) override {
        events.push_back("insert " + (parent ? parent->caption.toStdString() : std::string("-")) + " " +
                         std::to_string(first) + ".." + std::to_string(last));
    }
    void EndInsert() override {}
    void BeginRemove(RecordNode* parent, int first, int last) override {
        events.push_back("remove " + (parent ? parent->caption.toStdString() : std::string("-")) + " " +
                         std::to_string(first) + ".." + std::to_string(last));
    }
    void EndRemove() override {}
    void BeginReset() override { events.push_back("reset"); }
    void EndReset() override {}
    void Changed(RecordNode* node) override { events.push_back("changed " + node->caption.toStdString()); }
    void CurrentReset() override { events.push_back("current reset"); }
};

class RecordTreeTest : public ::testing::Test {
protected:
    RecordTreeTest() {
        kinds_.SetBuilder(kList, [this](KindContext&, RecordNode& node, Children& out) {
            AddPage(0, listSize_, kMore, entryMaker(&node), out);
        });
        kinds_.SetBuilder(kMore, [this](KindContext&, RecordNode& more, Children& out) {
            if (failNextPage_) throw std::runtime_error("page failed");
            AddPage(more.pageNext, listSize_, kMore, entryMaker(more.parent), out);
        });
        kinds_.SetBuilder(kFlaky, [this](KindContext&, RecordNode& node, Children& out) {
            out.push_back(RecordNode::MakeChild(&node, kEntry, QStringLiteral("half")));
            if (failBuild_) throw std::runtime_error("record unreadable");
            out.push_back(RecordNode::MakeChild(&node, kEntry, QStringLiteral("whole")));
        });
        kinds_.SetBuilder(kBlock, [](KindContext&, RecordNode& node, Children& out) {
            for (int i = 0; i < 4; ++i)
                out.push_back(RecordNode::MakeChild(&node, 14, QStringLiteral("Parcel %1").arg(i), i + 1));
        });
        kinds_.SetBuilder(kEmpty, [](KindContext&, RecordNode&, Children&) {});
        tree_.SetObserver(&log_);
    }

    PageEntryMaker entryMaker(const RecordNode* parent) {
        return [parent](int64_t index) {
            auto node = RecordNode::MakeChild(parent, kEntry, QStringLiteral("Entry %1").arg(index), index);
            node->hasChildren = true;
            return node;
        };
    }

    RecordNode* root(int kind, const char* caption) {
        auto node = RecordNode::MakeChild(nullptr, kind, QString::fromLatin1(caption));
        node->hasChildren = true;
        return tree_.AddRoot(std::move(node));
    }

    NodeKinds kinds_;
    RecordTree tree_{kinds_};
    ChangeLog log_;
    treetest::Workbench bench_;
    int64_t listSize_ = 1200;
    bool failBuild_ = false;
    bool failNextPage_ = false;
};

TEST_F(RecordTreeTest, ChildrenAreAttachedInOneInsertionOnlyWhenTheBuilderSucceeds) {
    RecordNode* node = root(kFlaky, "flaky");
    failBuild_ = true;
    EXPECT_THROW(tree_.Expand(bench_.context, *node), std::runtime_error);
    // Nothing of the half-built list is attached; the node can be expanded again.
    EXPECT_TRUE(node->children.empty());
    EXPECT_FALSE(node->built);
    EXPECT_TRUE(node->Expandable());

    failBuild_ = false;
    log_.events.clear();
    EXPECT_TRUE(tree_.Expand(bench_.context, *node));
    ASSERT_EQ(node->children.size(), 2u);
    EXPECT_EQ(node->children[1]->parent, node);
    EXPECT_EQ(log_.events, std::vector<std::string>{"insert flaky 0..1"});
    // The builder runs once.
    EXPECT_FALSE(tree_.Expand(bench_.context, *node));
    EXPECT_EQ(node->children.size(), 2u);
}

TEST_F(RecordTreeTest, ABuilderThatAddsNothingTurnsTheIndicatorOff) {
    RecordNode* node = root(kEmpty, "empty");
    EXPECT_TRUE(node->Expandable());
    EXPECT_FALSE(tree_.Expand(bench_.context, *node));
    EXPECT_FALSE(node->Expandable());
    EXPECT_EQ(log_.events.back(), "changed empty");
}

TEST_F(RecordTreeTest, AListOf1200PagesBy500WithTheMoreNodeStandingForTheLastEntry) {
    RecordNode* list = root(kList, "list");
    tree_.Expand(bench_.context, *list);
    ASSERT_EQ(list->children.size(), 500u);
    EXPECT_EQ(list->children[498]->caption, QStringLiteral("Entry 498"));
    RecordNode* more = list->children[499].get();
    EXPECT_EQ(more->caption, QStringLiteral(". . . . ."));
    EXPECT_EQ(more->kind, kMore);
    EXPECT_EQ(more->index, 499);
    EXPECT_TRUE(more->Expandable());

    // Expanding the more-node turns it into entry 499 and adds 500..999, the last again a more-node.
    log_.events.clear();
    tree_.Expand(bench_.context, *more);
    EXPECT_EQ(more->caption, QStringLiteral("Entry 499"));
    EXPECT_EQ(more->kind, kEntry);
    ASSERT_EQ(list->children.size(), 1000u);
    EXPECT_EQ(list->children[500]->caption, QStringLiteral("Entry 500"));
    EXPECT_EQ(list->children[500]->parent, list);
    EXPECT_EQ(list->children[999]->caption, QStringLiteral(". . . . ."));
    EXPECT_EQ(list->children[999]->index, 999);
    // One insertion for the page, after the node that stood for it.
    EXPECT_EQ(std::count(log_.events.begin(), log_.events.end(), "insert list 500..999"), 1);

    tree_.TurnPage(bench_.context, *list->children[999]);
    ASSERT_EQ(list->children.size(), 1200u);
    EXPECT_EQ(list->children[999]->caption, QStringLiteral("Entry 999"));
    EXPECT_EQ(list->children[1199]->caption, QStringLiteral("Entry 1199"));
    for (const auto& child : list->children)
        EXPECT_FALSE(child->IsMoreNode());
    // Rows stay numbered after the insertions.
    EXPECT_EQ(list->children[1100]->Row(list->children), 1100);
}

TEST_F(RecordTreeTest, AListOf501ReachesItsLastEntryAndOneOf500HasNoMoreNode) {
    listSize_ = 501;
    RecordNode* list = root(kList, "list");
    tree_.Expand(bench_.context, *list);
    ASSERT_EQ(list->children.size(), 500u);
    ASSERT_TRUE(list->children[499]->IsMoreNode());
    tree_.TurnPage(bench_.context, *list->children[499]);
    ASSERT_EQ(list->children.size(), 501u);
    EXPECT_EQ(list->children[500]->caption, QStringLiteral("Entry 500"));
    EXPECT_FALSE(list->children[500]->IsMoreNode());

    listSize_ = 500;
    RecordNode* exact = root(kList, "exact");
    tree_.Expand(bench_.context, *exact);
    ASSERT_EQ(exact->children.size(), 500u);
    EXPECT_EQ(exact->children[499]->caption, QStringLiteral("Entry 499"));
}

TEST_F(RecordTreeTest, AFailedPageLeavesTheMoreNodeAsItWas) {
    RecordNode* list = root(kList, "list");
    tree_.Expand(bench_.context, *list);
    failNextPage_ = true;
    EXPECT_THROW(tree_.TurnPage(bench_.context, *list->children[499]), std::runtime_error);
    EXPECT_TRUE(list->children[499]->IsMoreNode());
    EXPECT_EQ(list->children.size(), 500u);
}

TEST_F(RecordTreeTest, CollapsingAWalkedBlockDeletesItsChildrenAndTheCurrentNodeAmongThem) {
    RecordNode* block = root(kBlock, "Block 0");
    // The walk to one parcel built one child.
    std::vector<std::unique_ptr<RecordNode>> walked;
    walked.push_back(RecordNode::MakeChild(block, 14, QStringLiteral("Parcel 2"), 3));
    tree_.AddChildren(*block, std::move(walked));
    block->partialWalk = true;
    block->built = true;
    block->hasChildren = false;
    tree_.SetCurrent(block->children[0].get());

    EXPECT_TRUE(tree_.ResetPartialBlock(*block));
    EXPECT_EQ(tree_.Current(), nullptr);
    EXPECT_TRUE(block->children.empty());
    EXPECT_TRUE(block->Expandable());
    EXPECT_NE(std::find(log_.events.begin(), log_.events.end(), "current reset"), log_.events.end());
    // Expanding it again lists all its parcels.
    tree_.Expand(bench_.context, *block);
    EXPECT_EQ(block->children.size(), 4u);
    // A block expanded as a whole keeps its children on collapse.
    EXPECT_FALSE(tree_.ResetPartialBlock(*block));
    EXPECT_EQ(block->children.size(), 4u);
}

TEST_F(RecordTreeTest, DeletingANodeThatHoldsTheCurrentNodeResetsIt) {
    RecordNode* a = root(kBlock, "a");
    RecordNode* b = root(kBlock, "b");
    tree_.Expand(bench_.context, *a);
    tree_.Expand(bench_.context, *b);
    tree_.SetCurrent(a->children[2].get());
    tree_.Remove(*b);
    EXPECT_EQ(tree_.Current(), a->children[2].get());
    tree_.Remove(*a);
    EXPECT_EQ(tree_.Current(), nullptr);
    EXPECT_TRUE(tree_.Roots().empty());
}

TEST_F(RecordTreeTest, ARootFreesTheReaderItCreatedAndAChildFreesNothing) {
    struct Reader {};
    auto reader = std::make_shared<Reader>();
    const std::weak_ptr<Reader> watch = reader;
    RecordNode* region = root(kBlock, "REGION");
    region->held = HeldReader(std::move(reader));
    tree_.Expand(bench_.context, *region);
    EXPECT_EQ(region->children[0]->held.As<Reader>(), watch.lock().get());
    tree_.Remove(*region->children[0]);
    EXPECT_FALSE(watch.expired());
    tree_.Remove(*region);
    EXPECT_TRUE(watch.expired());
}

TEST(RecordTreeSelect, TheShowDispatchPlacesTheHexViewerAndShowsTheKindsFallbacks) {
    RecordTree tree;
    treetest::Workbench bench;
    auto node = RecordNode::MakeChild(nullptr, 18, QStringLiteral("Additional A"));
    node->stream = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(0x2000));
    node->recordOffset = 0;
    RecordNode* additional = tree.AddRoot(std::move(node));
    tree.Select(bench.context, *additional);
    EXPECT_EQ(tree.Current(), additional);
    EXPECT_EQ(bench.host.log.back(), "@hex 0");
    ASSERT_EQ(bench.gridModel.StoredRowCount(), 1);
    EXPECT_EQ(bench.cell(0, 0), "Sorry. Not Implimented");
    EXPECT_EQ(bench.cell(0, 1), "Additional A");
    EXPECT_EQ(bench.cell(0, 2), "");

    additional->recordOffset = 0x1234;
    tree.Select(bench.context, *additional);
    EXPECT_EQ(bench.cell(0, 2), "Offset = 0 x 00 00 12 34");
    // A position past the end of the file is marked, and the hex viewer stays inside the file.
    additional->recordOffset = 0xE4B10;
    tree.Select(bench.context, *additional);
    EXPECT_EQ(bench.cell(0, 2), "Offset = 0 x 00 0E 4B 10  (exceeds the file size !!!)");
    EXPECT_EQ(bench.host.log.back(), "@hex 0");

    // A node of a missing file: the file is not opened, the hex viewer is cleared, the view still runs.
    auto missing = RecordNode::MakeChild(nullptr, 99, QStringLiteral("PICT9.KWI"));
    missing->fileName = "/nonexistent/PICT9.KWI";
    RecordNode* missingNode = tree.AddRoot(std::move(missing));
    EXPECT_NO_THROW(tree.Select(bench.context, *missingNode));
    EXPECT_EQ(bench.host.log.back(), "@hex none");
    ASSERT_EQ(bench.gridModel.StoredRowCount(), 1);
    EXPECT_EQ(bench.cell(0, 0), "Sorry. File doesn''t exists");
    EXPECT_EQ(bench.cell(0, 1), "PICT9.KWI");

    auto invalid = RecordNode::MakeChild(nullptr, kKindInvalid, QStringLiteral("bad"));
    RecordNode* invalidNode = tree.AddRoot(std::move(invalid));
    tree.Select(bench.context, *invalidNode);
    ASSERT_EQ(bench.gridModel.StoredRowCount(), 2);
    EXPECT_EQ(bench.cell(0, 0), "         <  >");
    EXPECT_EQ(bench.cell(0, 1), "Invalid data !!!");
}

TEST_F(RecordTreeTest, TheModelFetchesLazilyAndTurnsAPageAfterTheSelectionHandler) {
    tree_.SetObserver(nullptr);
    RecordTreeModel model(tree_, bench_.context);
    root(kList, "list");
    const QModelIndex list = model.index(0, 0);
    EXPECT_TRUE(model.hasChildren(list));
    EXPECT_EQ(model.rowCount(list), 0);
    ASSERT_TRUE(model.canFetchMore(list));
    int inserted = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    model.fetchMore(list);
    EXPECT_EQ(model.rowCount(list), 500);
    EXPECT_EQ(inserted, 1);
    const QModelIndex more = model.index(499, 0, list);
    EXPECT_EQ(model.data(more).toString(), QStringLiteral(". . . . ."));
    EXPECT_EQ(model.data(more, RecordTreeModel::KindRole).toInt(), kMore);
    EXPECT_EQ(model.parent(more), list);

    model.Select(more);
    // Not inside the selection handler: the page turns from the event loop, then the entry is shown.
    EXPECT_EQ(model.rowCount(list), 500);
    EXPECT_EQ(tree_.Current(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(list), 1000);
    EXPECT_EQ(model.data(model.index(499, 0, list)).toString(), QStringLiteral("Entry 499"));
    EXPECT_EQ(tree_.Current(), model.Node(model.index(499, 0, list)));

    // Selecting another node before the page turns: the page turns, the other node stays shown.
    model.Select(model.index(999, 0, list));
    model.Select(model.index(3, 0, list));
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(list), 1200);
    EXPECT_EQ(tree_.Current(), model.Node(model.index(3, 0, list)));

    // A builder error reaches the window through the model, never as an exception.
    failBuild_ = true;
    root(kFlaky, "flaky");
    QString failure;
    QObject::connect(&model, &RecordTreeModel::Failed, [&](const QString& message) { failure = message; });
    QModelIndex failedAt;
    QObject::connect(&model, &RecordTreeModel::ExpansionFailed,
                     [&](const QModelIndex& index) { failedAt = index; });
    const QModelIndex flaky = model.index(1, 0);
    model.fetchMore(flaky);
    EXPECT_EQ(failure, QStringLiteral("record unreadable"));
    EXPECT_EQ(failedAt, flaky);
    EXPECT_EQ(model.rowCount(flaky), 0);
    EXPECT_TRUE(model.hasChildren(flaky));
    // Views fetch expanded nodes on every layout: a failed one is not tried again until it is collapsed.
    EXPECT_FALSE(model.canFetchMore(flaky));
    failure.clear();
    model.fetchMore(flaky);
    EXPECT_EQ(failure, QString());
    model.Collapsed(flaky);
    EXPECT_TRUE(model.canFetchMore(flaky));
    failBuild_ = false;
    model.fetchMore(flaky);
    EXPECT_EQ(model.rowCount(flaky), 2);
    QCoreApplication::processEvents();
}

} // namespace

TEST_F(RecordTreeTest, ChildrenAViewAddsAreAttachedFromTheEventLoopOnlyToANodeStillThereWithoutAny) {
    tree_.SetObserver(nullptr);
    RecordTreeModel model(tree_, bench_.context);
    auto items = [](RecordNode* parent, int count) {
        Children out;
        for (int i = 0; i < count; ++i)
            out.push_back(RecordNode::MakeChild(parent, kEntry, QStringLiteral("Item %1").arg(i), i));
        return out;
    };
    RecordNode* shown = root(kEmpty, "shown");
    model.AddChildrenLater(*shown, items(shown, 2));
    // Not while the view that made them runs (inside the selection handler).
    EXPECT_TRUE(shown->children.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(model.rowCount(model.IndexOf(shown)), 2);
    EXPECT_EQ(shown->children[1]->caption, QStringLiteral("Item 1"));
    EXPECT_EQ(shown->children[1]->parent, shown);

    // Shown twice before the loop runs: the second list finds children and is dropped.
    RecordNode* twice = root(kEmpty, "twice");
    model.AddChildrenLater(*twice, items(twice, 3));
    model.AddChildrenLater(*twice, items(twice, 3));
    // Deleted before the loop runs: nothing is attached anywhere.
    RecordNode* gone = root(kEmpty, "gone");
    model.AddChildrenLater(*gone, items(gone, 1));
    tree_.Remove(*gone);
    QCoreApplication::processEvents();
    EXPECT_EQ(twice->children.size(), 3u);
    EXPECT_EQ(tree_.Roots().size(), 2u);
}
