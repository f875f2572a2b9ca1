// The image's directory tree: ownership checks when entries are added, and folder paths of files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "kiwi/iso/DataTree.h"
#include "kiwi/iso/ISOException.h"

using testing::StrEq;
using testing::ThrowsMessage;

TEST(DataTree, EntriesAreAddedOnceAndToOneParent) {
    TDataTree tree;
    TDirectoryEntry* root = tree.Root();
    TDirectoryEntry* a = TDirectoryEntry::Create(&tree, root, "A", {});
    TDirectoryEntry* b = TDirectoryEntry::Create(&tree, root, "B", {});
    TFileEntry* file = TFileEntry::Create(a, "F.TXT", {});

    EXPECT_THAT([&] { root->AddDirectory(std::unique_ptr<TDirectoryEntry>(a)); },
                ThrowsMessage<EISOLibContainerException>(StrEq("directory entry already added")));
    EXPECT_THAT([&] { b->AddDirectory(std::unique_ptr<TDirectoryEntry>(a)); },
                ThrowsMessage<EISOLibContainerException>(
                    StrEq("directory entry already added - use MoveDirTo() instead!")));
    EXPECT_THAT([&] { a->AddFile(std::unique_ptr<TFileEntry>(file)); },
                ThrowsMessage<EISOLibContainerException>(StrEq("file entry already added")));
    EXPECT_THAT(
        [&] { b->AddFile(std::unique_ptr<TFileEntry>(file)); },
        ThrowsMessage<EISOLibContainerException>(StrEq("file entry already listed in different directory")));
    EXPECT_EQ(root->DirectoryCount(), 2);
    EXPECT_EQ(a->FileCount(), 1);
    EXPECT_EQ(b->FileCount(), 0);
}

TEST(DataTree, DirectoryPathsRunFromBelowTheRoot) {
    TDataTree tree;
    TDirectoryEntry* data = TDirectoryEntry::Create(&tree, tree.Root(), "DATA", {});
    TDirectoryEntry* sub = TDirectoryEntry::Create(&tree, data, "SUB", {});
    EXPECT_EQ(TFileEntry::Create(tree.Root(), "R.TXT", {})->GetDirectoryPath(), "");
    EXPECT_EQ(TFileEntry::Create(data, "D.TXT", {})->GetDirectoryPath(), "DATA\\");
    EXPECT_EQ(TFileEntry::Create(sub, "S.TXT", {})->GetDirectoryPath(), "DATA\\SUB\\");
    EXPECT_EQ(sub->Parent(), data);
    EXPECT_EQ(data->GetDirectory(0), sub);
}
