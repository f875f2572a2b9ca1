// Checked names from data and case-insensitive resolution.
#include <filesystem>
#include <gtest/gtest.h>

#include "kiwi/core/FileNames.h"
#include "support/fixtures/FixtureWriter.h"

TEST(FileNames, BareNames) {
    EXPECT_EQ(safeBareName("ALLDATA.KWI"), "ALLDATA.KWI");
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "C:x", "a\nb"})
        EXPECT_FALSE(safeBareName(bad)) << bad;
    EXPECT_FALSE(safeBareName(std::string(256, 'a')));
    EXPECT_FALSE(safeBareName(std::string("a\0b", 3)));
}

TEST(FileNames, RelativePaths) {
    EXPECT_EQ(safeRelativePath("DATA\\MAP\\A.KWI"), "DATA/MAP/A.KWI");
    EXPECT_EQ(safeRelativePath("./DATA//A.KWI"), "DATA/A.KWI");
    for (const char* bad : {"", "/etc/passwd", "\\x", "C:\\x", "..\\..\\x", "a/../b", "a/..", ".", "a\tb"})
        EXPECT_FALSE(safeRelativePath(bad)) << bad;
}

TEST(FileNames, ResolvesCaseInsensitivelyInsideTheFolderOnly) {
    const std::string dir = fixture::scratchDir("resolve");
    fixture::writeFile(dir + "/alldata2.kwi", {1});
    fixture::writeFile(dir + "/REGION.KWI", {1});
    EXPECT_EQ(resolveInFolder(dir, "REGION.KWI"), dir + "/REGION.KWI");
    EXPECT_EQ(resolveInFolder(dir, "ALLDATA2.KWI"), dir + "/alldata2.kwi");
    EXPECT_FALSE(resolveInFolder(dir, "MISSING.KWI"));
    EXPECT_FALSE(resolveInFolder(dir, "../resolve/REGION.KWI"));
    // A folder carrying a file's name is not that file, in either case form.
    std::filesystem::create_directory(dir + "/INDEX1.KWI");
    std::filesystem::create_directory(dir + "/pct2mng.kwi");
    EXPECT_FALSE(resolveInFolder(dir, "INDEX1.KWI"));
    EXPECT_FALSE(resolveInFolder(dir, "PCT2MNG.KWI"));
    EXPECT_EQ(fileNamePart("a.b/c\\NAME.KWI"), "NAME.KWI");
    EXPECT_EQ(folderPart("/x.y/ALLDATA1.KWI"), "/x.y");
}
