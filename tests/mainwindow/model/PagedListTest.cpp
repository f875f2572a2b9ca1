// Paging of long record-tree lists: pages of 500, a more-node only while entries remain, every entry
// reachable, and a more-node left as it was when its page cannot be made.
#include <gtest/gtest.h>

#include <stdexcept>

#include "mainwindow/model/kinds/PagedList.h"

namespace {

constexpr int kEntry = 7;
constexpr int kMore = 8;

struct List {
    RecordNode parent;
    int64_t total = 0;
    int64_t failAt = -1; // the maker throws for this entry

    std::unique_ptr<RecordNode> make(int64_t i) const {
        if (i == failAt) throw std::runtime_error("unreadable entry");
        auto node = RecordNode::MakeChild(&parent, kEntry, QStringLiteral("Entry %1").arg(i), i);
        node->recordOffset = 100 + i;
        return node;
    }
    paging::EntryMaker maker() const {
        return [this](int64_t i) { return make(i); };
    }
    // The first page as the list node's children.
    void firstPage() {
        std::vector<std::unique_ptr<RecordNode>> out;
        AddPage(nullptr, total, kMore, maker(), out);
        for (auto& node : out) {
            node->parent = &parent;
            parent.children.push_back(std::move(node));
        }
    }
    // Turns the more-node at row into its entry and inserts the next page after it.
    void next(size_t row) {
        std::vector<std::unique_ptr<RecordNode>> out;
        AddPage(parent.children[row].get(), total, kMore, maker(), out);
        parent.children.insert(parent.children.begin() + std::ptrdiff_t(row) + 1,
                               std::make_move_iterator(out.begin()), std::make_move_iterator(out.end()));
    }
    // Checks that the children are entries 0..count-1 in order, with a more-node last when more is set.
    void expectEntries(int64_t count, bool more) const {
        ASSERT_EQ(int64_t(parent.children.size()), count);
        for (int64_t i = 0; i < count; ++i) {
            const RecordNode& node = *parent.children[size_t(i)];
            EXPECT_EQ(node.index, i);
            EXPECT_EQ(node.recordOffset, 100 + i);
            const bool isMore = more && i == count - 1;
            EXPECT_EQ(node.kind, isMore ? kMore : kEntry) << i;
            EXPECT_EQ(node.caption, isMore ? QStringLiteral(". . . . .") : QStringLiteral("Entry %1").arg(i))
                << i;
            EXPECT_EQ(node.pagedKind, isMore ? kEntry : 0) << i;
        }
    }
};

} // namespace

TEST(PagedList, TwelveHundredEntriesComeInThreePages) {
    List list;
    list.total = 1200;
    list.firstPage();
    list.expectEntries(500, true); // 0..498 and the more-node at 499
    EXPECT_TRUE(list.parent.children[499]->hasChildren);

    list.next(499);
    list.expectEntries(1000, true); // 499 is an entry now, 500..998 and the more-node at 999
    list.next(999);
    list.expectEntries(1200, false);
}

TEST(PagedList, OneEntryMoreThanAPageStaysReachable) {
    List list;
    list.total = 501;
    list.firstPage();
    list.expectEntries(500, true);
    list.next(499);
    list.expectEntries(501, false); // entry 500 is in the tree
}

TEST(PagedList, ShortListsHaveNoMoreNode) {
    for (int64_t total : {0, 1, 499, 500}) {
        List list;
        list.total = total;
        list.firstPage();
        list.expectEntries(total, false);
    }
}

TEST(PagedList, MoreNodeStaysWhenItsPageFails) {
    List list;
    list.total = 1200;
    list.firstPage();
    list.failAt = 700;
    EXPECT_THROW(list.next(499), std::runtime_error);
    list.expectEntries(500, true);

    list.failAt = -1;
    list.parent.children[499]->index = 1200; // stands for no entry
    EXPECT_THROW(list.next(499), std::out_of_range);
    EXPECT_EQ(list.parent.children[499]->kind, kMore);
}
