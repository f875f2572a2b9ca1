// The next-level nodes of a detailed search record by its search kind, from category tables written here:
// zones named from the zone list in the files their rows name, binary-tree rows marked "1h" only,
// value-captioned nodes, the other kinds' "Item" nodes at their offsets from the next-level frame, and the
// "Next Level" search frame after them.
#include <gtest/gtest.h>

#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/index/IndexTable.h"
#include "mainwindow/model/views/IndexSearchViews.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/QtPrinting.h"
#include "support/fixtures/TownIndex.h"
#include "support/model/ViewHostLog.h"

namespace {

TLN_Definition_Column column(const std::string& name, const std::string& type, uint16_t count) {
    TLN_Definition_Column c;
    c.Name = name;
    c.TypeCode = type;
    c.ElementCount = count;
    return c;
}

// A category table of fixed 8-byte records: a u16 code, a u16 kind mark, a u32 next-level value.
std::shared_ptr<IndexTable> category(const std::string& codeName, const std::string& markName,
                                     const std::string& valueName,
                                     const std::vector<std::array<uint32_t, 3>>& rows) {
    std::vector<uint8_t> bytes;
    for (const auto& [code, mark, value] : rows) {
        for (uint32_t word : {code, mark})
            bytes.insert(bytes.end(), {uint8_t(word >> 8), uint8_t(word)});
        bytes.insert(bytes.end(),
                     {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
    }
    TLN_Definition_Frame definition;
    definition.Columns = {column(codeName, "UW", 1), column(markName, "UH", 4), column(valueName, "UL", 1)};
    IndexTableSource source;
    source.stream = std::make_shared<TLN_MemoryStream>(bytes);
    source.recordSize = 8;
    source.count = int64_t(rows.size());
    source.frameEnd = int64_t(bytes.size());
    return std::make_shared<IndexTable>(QStringLiteral("CATEGORY"), QStringLiteral("T"),
                                        IndexLayout(definition), source);
}

struct IndexNextLevel : ::testing::Test {
    FieldGridModel model;
    FieldGrid grid{model};
    ViewHostLog host;
    OpenData data;
    KindContext context{grid, host, data};
    std::unique_ptr<RecordNode> item;
    TLN_Detailed_Info_Rec record;

    IndexNextLevel() {
        const std::string folder = fixture::scratchDir("index-next-level");
        const fixture::TownIndexFiles files = fixture::buildTownIndex();
        fixture::writeFile(folder + "/INDEXDAT.KWI", files.index);
        fixture::writeFile(folder + "/SRCH0001.KWI", files.dataFile);
        data.index = std::make_shared<TLN_IndexManager>(folder + "/INDEXDAT.KWI");
        item = RecordNode::MakeChild(nullptr, 310, QStringLiteral("Item 0"));
        record.NextLevel.DataPosition = 0x1000;
        record.NextLevelSize = 0x100;
    }
    std::vector<std::unique_ptr<RecordNode>> nodes(const std::string& kind, IndexTable& table) {
        record.DataDeclaration = kind;
        return NextLevelNodes(context, *item, record, &table);
    }
};

TEST_F(IndexNextLevel, ZonesAreSearchFramesNamedFromTheZoneList) {
    data.index->AddZoneName(7, QStringLiteral("Север"));
    auto zones = category("SZCD", "NXKD", "NXST", {{7, 0, 0x40}, {9, 0, 0x80}});
    const auto made = nodes("SRZN", *zones);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0]->caption, QStringLiteral("Zone Север"));
    EXPECT_EQ(made[0]->kind, 320);
    EXPECT_EQ(made[0]->recordOffset, 0x80);
    EXPECT_EQ(made[0]->indexDepth, 1);
    EXPECT_EQ(made[1]->caption, QStringLiteral("Zone 9"));
    EXPECT_EQ(made[2]->caption, QStringLiteral("Next Level"));
    EXPECT_EQ(made[2]->recordOffset, 0x1000);
}

TEST_F(IndexNextLevel, EachKindItsNodes) {
    // "SRBT": only the rows whose "NXKD" reads "1h" (one nibble 1 and three more: "1h0h0h0h" is not it).
    auto tree = category("CODE", "NXKD", "NXST", {{1, 0x1000, 0x10}, {2, 0x0000, 0x20}, {3, 0x1000, 0x30}});
    auto made = nodes("SRBT", *tree);
    EXPECT_EQ(made.size(), 1u); // no row reads exactly "1h": only the "Next Level" frame

    // "SRAG": captioned with the value, at base + value.
    auto genres = category("NAME", "MARK", "NXST", {{1, 0, 0x2A}});
    made = nodes("SRAG", *genres);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0]->caption, QStringLiteral("0x2A"));
    EXPECT_EQ(made[0]->kind, 350);
    EXPECT_EQ(made[0]->recordOffset, 0x1000 + 0x2A);

    // "SRME" and an unnamed kind: "Item " n at base + 2 × value.
    auto mesh = category("KYME", "NXSZ", "NXST", {{1, 0, 4}, {2, 0, 5}});
    made = nodes("SRME", *mesh);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[1]->caption, QStringLiteral("Item 1"));
    EXPECT_EQ(made[1]->kind, 370);
    EXPECT_EQ(made[1]->recordOffset, 0x1000 + 10);
    auto other = category("KYCH", "MARK", "NEXT", {{1, 0, 3}});
    made = nodes("SRXX", *other);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0]->kind, 340);
    EXPECT_EQ(made[0]->recordOffset, 0x1000 + 6);

    // A table without the kind's locating field gives no row nodes; no next-level frame, no "Next Level".
    record.NextLevel = TLN_Additional_Address();
    made = nodes("SRTN", *other);
    EXPECT_TRUE(made.empty());
}

} // namespace
