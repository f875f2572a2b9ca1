// CMP lists: the three kinds, lookup rules, block tables (plain and segmented), hostile counts and names,
// in-place writing and the parsed-list cache.
#include <gtest/gtest.h>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/io/BigEndianIO.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"

using fixture::CmpListEntryPlan;

namespace {
CmpListEntryPlan gzipEntry(const std::string& name, uint32_t blocks, uint32_t size) {
    CmpListEntryPlan e;
    e.name = name;
    e.type = 2;
    e.blockCount = blocks;
    e.fileSize = size;
    for (uint32_t i = 0; i < blocks; ++i) {
        e.sectors.push_back(10 + i);
        e.sizes.push_back(uint16_t(100 + i));
    }
    return e;
}

std::string writeList(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    fixture::writeFile(path, bytes);
    return path;
}
} // namespace

TEST(CompressionManager, FindsEntriesByRelativePathIgnoringCase) {
    const std::string dir = fixture::scratchDir("cmp-find");
    CmpListEntryPlan plain;
    plain.name = "X.KWI";
    plain.type = 0;
    const auto list = fixture::buildCmpList({gzipEntry("data/alldata.kwi", 3, 150000), plain,
                                             gzipEntry("ODDNAME.KWI", 1, 10), gzipEntry("NEXT.KWI", 1, 20)});
    TLN_CompressionManager manager(writeList(dir, "05.CMP", list));
    ASSERT_TRUE(manager.IsValid());
    EXPECT_EQ(manager.Kind(), CmpListKind::List05);
    EXPECT_EQ(manager.EntryCount(), 4u);

    TLN_Compression_Record record;
    ASSERT_TRUE(manager.FindEntry(dir + "/DATA/ALLDATA.KWI", record));
    EXPECT_EQ(record.entryPosition, 4);
    EXPECT_EQ(record.compressionType, 2);
    EXPECT_EQ(record.name, "data/alldata.kwi");
    EXPECT_EQ(record.relativePath, std::optional<std::string>("data/alldata.kwi"));
    EXPECT_EQ(record.tag, "KIWI");
    EXPECT_EQ(record.blockCount, 3u);
    EXPECT_EQ(record.fileSize, 150000);
    EXPECT_TRUE(manager.FindEntry(dir + "\\data\\AllData.kwi", record)); // separators converted

    // A matching entry of type 0 means "not listed"; so does a file outside the list's folder.
    EXPECT_FALSE(manager.FindEntry(dir + "/X.KWI", record));
    EXPECT_EQ(record.compressionType, 0);
    EXPECT_EQ(record.blockCount, 0u);
    EXPECT_FALSE(manager.FindEntry("/elsewhere/X.KWI", record));
    EXPECT_FALSE(manager.FindEntry(dir + "/ALLDATA.KWI", record));

    // Enumeration: an odd name length of 11 is followed by a pad byte (entry 20 bytes long).
    int64_t position = 4;
    std::vector<std::string> names;
    std::vector<int64_t> positions;
    for (uint32_t i = 0; i < manager.EntryCount(); ++i) {
        positions.push_back(position);
        position = manager.ReadEntry(position, record);
        ASSERT_GT(position, 0);
        names.push_back(record.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"data/alldata.kwi", "X.KWI", "ODDNAME.KWI", "NEXT.KWI"}));
    EXPECT_EQ(positions[3] - positions[2], 20);
    EXPECT_EQ(manager.ReadEntry(int64_t(list.size()) - 3, record), -1);
}

TEST(CompressionManager, CountsAndMagicDecideValidity) {
    const std::string dir = fixture::scratchDir("cmp-valid");
    TLN_Compression_Record record;
    {
        TLN_CompressionManager empty(writeList(dir, "05.CMP", fixture::buildCmpList({})));
        EXPECT_TRUE(empty.IsValid());
        EXPECT_FALSE(empty.FindEntry(dir + "/A.KWI", record));
    }
    EXPECT_FALSE(
        TLN_CompressionManager(writeList(dir + "/a", "06.CMP", fixture::buildCmpList({}, 10000))).IsValid());
    // 9999 declared entries over a short file: valid, the missing entries are simply not found.
    TLN_CompressionManager cut(
        writeList(dir + "/b", "06.CMP", fixture::buildCmpList({gzipEntry("A", 1, 1)}, 9999)));
    EXPECT_TRUE(cut.IsValid());
    EXPECT_TRUE(cut.FindEntry(dir + "/b/A", record));
    EXPECT_EQ(cut.Kind(), CmpListKind::List06);
    // ... and the list says it is cut.
    EXPECT_EQ(cut.Damage(),
              "06.CMP, byte 30: entry 3 of Number of Compressed Files 9999, the file holds 4 of its 8 bytes");

    EXPECT_FALSE(
        TLN_CompressionManager(writeList(dir + "/c", "07.CMP", fixture::buildCmpList({}))).IsValid());
    EXPECT_FALSE(TLN_CompressionManager(dir + "/nothing/05.CMP").IsValid());
    EXPECT_EQ(TLN_CompressionManager(writeList(dir + "/d", "05.cmp", fixture::buildCmpList({}))).Kind(),
              CmpListKind::List05);

    auto bad13 = fixture::buildCmp13List({{1, "ALLDATA"}});
    bad13[3] = 'X';
    EXPECT_FALSE(TLN_CompressionManager(writeList(dir + "/e", "13.CMP", bad13)).IsValid());
    std::vector<std::pair<uint8_t, std::string>> many(100, {0, "N"});
    EXPECT_FALSE(
        TLN_CompressionManager(writeList(dir + "/f", "13.CMP", fixture::buildCmp13List(many))).IsValid());
    many.pop_back();
    EXPECT_TRUE(
        TLN_CompressionManager(writeList(dir + "/g", "13.CMP", fixture::buildCmp13List(many))).IsValid());
}

TEST(CompressionManager, Cmp13MatchesByPrefixButNeverOnEmptyNames) {
    const std::string dir = fixture::scratchDir("cmp-13");
    TLN_CompressionManager manager(
        writeList(dir, "13.CMP", fixture::buildCmp13List({{7, ""}, {9, "ALLDATA"}, {3, "REGION.KWI"}})));
    ASSERT_TRUE(manager.IsValid());
    TLN_Compression_Record record;
    ASSERT_TRUE(manager.FindEntry(dir + "/ALLDATA.KWI", record));
    EXPECT_EQ(record.tablePosition, 9);
    EXPECT_EQ(record.compressionType, 13258);
    EXPECT_EQ(record.entryPosition, 12);
    EXPECT_TRUE(manager.FindEntry(dir + "/REG", record)); // the key may be the shorter one
    EXPECT_EQ(record.tablePosition, 3);
    EXPECT_FALSE(manager.FindEntry(dir + "/OTHER.KWI", record));
    EXPECT_EQ(record.entryPosition, -1); // cleared on no match
    EXPECT_EQ(manager.Entries().size(), 3u);
}

TEST(CompressionManager, SegmentedTableFollowsTheSegmentRule) {
    const std::string dir = fixture::scratchDir("cmp-segments");
    for (uint16_t type : std::initializer_list<uint16_t>{258, 514, 770}) {
        CmpListEntryPlan e;
        e.name = "F.KWI";
        e.type = type;
        e.blockCount = 5;
        e.fileSize = 5 * 65536;
        e.segments = {{0, 100}, {3, 5000}};
        e.offsets = {0, 2, 4, 0, 6};
        TLN_CompressionManager manager(
            writeList(dir + "/" + std::to_string(type), "05.CMP", fixture::buildCmpList({e})));
        TLN_Compression_Record record;
        ASSERT_TRUE(manager.FindEntry(dir + "/" + std::to_string(type) + "/F.KWI", record));
        std::vector<int64_t> offsets;
        for (int i = 0; i < 5; ++i) {
            TLN_Block_Info info;
            manager.GetBlockInfo(record, i, info);
            EXPECT_EQ(info.size, 0u);
            offsets.push_back(info.offset);
        }
        EXPECT_EQ(offsets,
                  (std::vector<int64_t>{100 * 2048, 102 * 2048, 104 * 2048, 5000 * 2048, 5006 * 2048}));
        TLN_Block_Info past;
        manager.GetBlockInfo(record, 5, past);
        EXPECT_EQ(past.offset, -1);
        EXPECT_EQ(past.size, 0u);
    }
}

TEST(CompressionManager, PlainTableGivesAddressesAndSizesIn64Bits) {
    const std::string dir = fixture::scratchDir("cmp-table");
    auto e = gzipEntry("F.KWI", 2, 100000);
    e.sectors = {0x00000010, 0xFFFFFFF0}; // the second lies past 4 GiB
    TLN_CompressionManager manager(writeList(dir, "05.CMP", fixture::buildCmpList({e})));
    TLN_Compression_Record record;
    ASSERT_TRUE(manager.FindEntry(dir + "/F.KWI", record));
    TLN_Block_Info info;
    manager.GetBlockInfo(record, 1, info);
    EXPECT_EQ(info.offset, int64_t(0xFFFFFFF0) * 2048);
    EXPECT_EQ(info.size, 101u);
    manager.GetBlockInfo(record, 2, info);
    EXPECT_EQ(info.offset, -1);
    manager.GetBlockInfo(record, -1, info);
    EXPECT_EQ(info.offset, -1);
}

TEST(CompressionManager, HostileTablesLeaveTheFileUnlisted) {
    const std::string dir = fixture::scratchDir("cmp-hostile");
    auto hugeBlocks = gzipEntry("HUGE.KWI", 1, 10);
    hugeBlocks.blockCount = 0xFFFFFFFF;
    CmpListEntryPlan hugeSegments;
    hugeSegments.name = "SEG.KWI";
    hugeSegments.type = 258;
    hugeSegments.blockCount = 2;
    hugeSegments.fileSize = 100000;
    hugeSegments.segments = {{0, 1}};
    hugeSegments.offsets = {0, 1};
    hugeSegments.segmentCountField = 0xFFFFFFFF;
    auto overBlocks = gzipEntry("OVER.KWI", 1, 10);
    overBlocks.blockCount = 65537;
    auto list = fixture::buildCmpList({hugeBlocks, hugeSegments, overBlocks, gzipEntry("PAST.KWI", 1, 10)});
    // The last entry's table position points past the end of the list.
    const int64_t lastEntry = 4 + 16 + 16 + 16;
    list[size_t(lastEntry)] = 0x7F;
    TLN_CompressionManager manager(writeList(dir, "05.CMP", list));
    ASSERT_TRUE(manager.IsValid());
    TLN_Compression_Record record;
    for (const char* name : {"HUGE.KWI", "SEG.KWI", "OVER.KWI", "PAST.KWI"}) {
        EXPECT_FALSE(manager.FindEntry(dir + "/" + name, record)) << name;
        EXPECT_EQ(record.compressionType, 0) << name;
        EXPECT_NE(manager.RefusedEntry().find(std::string("the block table of ") + name), std::string::npos)
            << manager.RefusedEntry();
    }
    // Enumeration still shows what the entry says, marked as unusable; the table stays empty.
    ASSERT_GT(manager.ReadEntry(4, record), 0);
    EXPECT_EQ(record.blockCount, 0xFFFFFFFFu);
    EXPECT_FALSE(record.tableValid);
    TLN_Block_Info info;
    manager.GetBlockInfo(record, 0, info);
    EXPECT_EQ(info.offset, -1);
    EXPECT_EQ(manager.LoadedBlockCount(), 0u);
}

TEST(CompressionManager, NamesGetACheckedRelativePath) {
    const std::string dir = fixture::scratchDir("cmp-names");
    TLN_CompressionManager manager(writeList(
        dir, "05.CMP",
        fixture::buildCmpList({gzipEntry("../../etc/passwd", 1, 1), gzipEntry("/abs/x.kwi", 1, 1),
                               gzipEntry("C:\\x.kwi", 1, 1), gzipEntry("data\\sub\\x.kwi", 1, 1)})));
    const auto entries = manager.Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_FALSE(entries[0].relativePath);
    EXPECT_EQ(entries[0].name, "../../etc/passwd"); // kept for display
    EXPECT_FALSE(entries[1].relativePath);
    EXPECT_FALSE(entries[2].relativePath);
    EXPECT_EQ(entries[3].relativePath, std::optional<std::string>("data/sub/x.kwi"));
}

TEST(CompressionManager, WritingInPlaceIsSeenByLaterLookups) {
    const std::string dir = fixture::scratchDir("cmp-write");
    const std::string path = writeList(dir, "05.CMP", fixture::buildCmpList({gzipEntry("A.KWI", 2, 70000)}));
    TLN_CompressionManager manager(path);
    TLN_Compression_Record record;
    ASSERT_TRUE(manager.FindEntry(dir + "/A.KWI", record));
    TLN_Block_Info info;
    manager.GetBlockInfo(record, 1, info);
    EXPECT_EQ(info.offset, 11 * 2048);
    ASSERT_TRUE(manager.OpenForWriting());
    // What the converter does to the entry of a rewritten file: type 0, table position 0.
    WriteWordBE(*manager.WriteStream(), 0, record.entryPosition + 4);
    WriteDWordBE(*manager.WriteStream(), 0, record.entryPosition);
    manager.CloseWriting();
    EXPECT_EQ(manager.WriteStream(), nullptr);
    EXPECT_FALSE(manager.FindEntry(dir + "/A.KWI", record));
    EXPECT_FALSE(TLN_CompressionManager(path).FindEntry(dir + "/A.KWI", record));
    EXPECT_EQ(fixture::readFile(path).size(), fixture::buildCmpList({gzipEntry("A.KWI", 2, 70000)}).size());
    EXPECT_FALSE(TLN_CompressionManager(dir + "/nothing/05.CMP").OpenForWriting());
}

TEST(CompressionManager, ParsedListsAreReusedUntilTheFileChanges) {
    const std::string dir = fixture::scratchDir("cmp-cache");
    const std::string path = writeList(dir, "05.CMP", fixture::buildCmpList({gzipEntry("A.KWI", 1, 5)}));
    TLN_Compression_Record record;
    EXPECT_TRUE(TLN_CompressionManager(path).FindEntry(dir + "/A.KWI", record));
    EXPECT_TRUE(TLN_CompressionManager(path).FindEntry(dir + "/A.KWI", record));
    writeList(dir, "05.CMP", fixture::buildCmpList({gzipEntry("BB.KWI", 1, 5)}));
    TLN_CompressionManager changed(path);
    EXPECT_FALSE(changed.FindEntry(dir + "/A.KWI", record));
    EXPECT_TRUE(changed.FindEntry(dir + "/BB.KWI", record));
}
