// Record-tree nodes: what a child inherits from its parent, and who holds a node's reader.
#include <gtest/gtest.h>

#include "kiwi/io/MemoryStream.h"
#include "mainwindow/model/RecordNode.h"

TEST(RecordNode, ChildInheritsWhereItsRecordLiesAndTheHeldReader) {
    RecordNode root;
    root.level = 3;
    root.stream = std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(16));
    root.recordOffset = 12;
    root.fileName = "ALLDATA.KWI";
    root.extra = 7;
    auto reader = std::make_shared<std::string>("reader");
    root.held = HeldReader(reader);

    const auto child = RecordNode::MakeChild(&root, 9, QStringLiteral("Level 0"), 0);
    EXPECT_EQ(child->kind, 9);
    EXPECT_EQ(child->level, 3);
    EXPECT_EQ(child->stream, root.stream);
    EXPECT_EQ(child->recordOffset, 12);
    EXPECT_EQ(child->fileName, "ALLDATA.KWI");
    EXPECT_EQ(child->extra, 7u);
    EXPECT_EQ(child->held.As<std::string>(), reader.get());
    EXPECT_EQ(child->held.As<int>(), nullptr); // another type: nothing
    EXPECT_EQ(reader.use_count(), 3);

    const auto orphan = RecordNode::MakeChild(nullptr, 1, QStringLiteral("LOADING"));
    EXPECT_EQ(orphan->stream, nullptr);
    EXPECT_FALSE(orphan->held);
}
