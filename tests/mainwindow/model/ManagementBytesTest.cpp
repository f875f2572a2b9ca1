// The "ALL DATA" children and their management header rows against the header table's bytes, decoded here
// from the layout: absent parts stored as address 0 and size 0 (left out) and as the all-ones address and
// size 0 (listed), next to parts inside ALLDATA.KWI, past its end and in files of their own; and the rows
// of the level records, the block lists, the blocks and the parcels against the main map part's bytes.
#include <gtest/gtest.h>

#include "MapViewsHarness.h"
#include "kiwi/core/FileNames.h"

namespace {

using mapviews::MapViews;

struct StoredHeader {
    uint32_t address = 0;
    uint16_t sectors = 0;
    std::string name;
};

StoredHeader storedHeader(const std::vector<uint8_t>& bytes, int index) {
    const size_t at = 2048 + 18 * size_t(index);
    StoredHeader h;
    h.address = uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 |
                bytes[at + 3];
    h.sectors = uint16_t(bytes[at + 4] << 8 | bytes[at + 5]);
    for (size_t i = 0; i < 12 && bytes[at + 6 + i] != 0; ++i)
        h.name += char(bytes[at + 6 + i]);
    while (!h.name.empty() && h.name.back() == ' ')
        h.name.pop_back();
    return h;
}

// "0 x " and the four low bytes (the fixture's positions stay below 2^32).
std::string fourBytes(uint32_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "0 x %02X %02X %02X %02X", v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF,
                  v & 0xFF);
    return text;
}

std::string expectedRows(int index, const StoredHeader& h, uint64_t fileSize) {
    static const char* const parts[7] = {"Map",     "Region", "Index", "Parameters", "Infrastructure",
                                         "Graphic", "Voice"};
    const bool none = h.address == 0xFFFFFFFFu;
    const int64_t position = none ? -1 : int64_t(h.address >> 8) * 2048 + int64_t(h.address & 63) * 32;
    const uint32_t size = uint32_t(h.sectors) * 32; // the data volume's logical sector size
    std::string rows = "1|         < Management Header Record " + std::to_string(index + 1) + " >|" +
                       (index < 7 ? std::string(parts[index]) + " Data Management" : "") + "|\n2|||Help\n";
    rows += "0|Address of the Management Header|" + fourBytes(uint32_t(position)) + "|(" +
            std::to_string(position) + ")\n";
    rows += "0|Size of the Management Header|" + fourBytes(size) + "|(" + std::to_string(size) + ") \n";
    rows += "0|Management File Name|" + h.name + "|\n";
    if (h.name.empty() && position >= int64_t(fileSize))
        rows += "5|         Management Address exceeds the file size !!!||\n";
    return rows;
}

TEST(ManagementBytes, EveryListedHeaderShowsTheRowsItsStoredRecordGives) {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    for (int i = 3; i < 64; ++i)
        if (i != 5) plan.headers[i] = {i % 2 ? -1 : 0, 0, ""};
    plan.headers[4] = {4096, 1, ""};
    plan.headers[30] = {-1, 1, "PCT2MNG.KWI"};
    plan.headers[40] = {int64_t(1) << 24, 1, ""};
    plan.headers[47] = {0, 2, ""};
    const fixture::AllDataImage image = fixture::buildAllData(plan);
    MapViews v;
    ASSERT_TRUE(v.Open(image, "bytes")->IsValid());
    v.Expand(*v.root);
    size_t child = 0;
    int listed = 0;
    for (int index = 0; index < 64; ++index) {
        const StoredHeader h = storedHeader(image.allData, index);
        if (h.address == 0 && h.sectors == 0) continue;
        ++listed;
        ASSERT_LT(child, v.root->children.size());
        RecordNode& node = *v.root->children[child++];
        ASSERT_EQ(node.index, index);
        // The views that follow the header rows with a part's own rows are checked elsewhere.
        const std::string shown = v.Show(node);
        const std::string expected = expectedRows(index, h, image.allData.size());
        EXPECT_EQ(shown.substr(0, expected.size()), expected) << node.caption.toStdString();
    }
    EXPECT_EQ(child, v.root->children.size());
    // Map, Region, Index, Graphic and the four of the plan, and the 29 all-ones headers of 3..63.
    EXPECT_EQ(listed, 8 + 29);
}

uint32_t be(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | b[at + size_t(i)];
    return v;
}

// "0 x " and the significant bytes of a value (the low byte always).
std::string significantBytes(uint32_t v) {
    std::string text = "0 x";
    bool shown = false;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const uint32_t byte = (v >> shift) & 0xFF;
        if (!shown && byte == 0 && shift > 0) continue;
        shown = true;
        char pair[4];
        std::snprintf(pair, sizeof pair, " %02X", byte);
        text += pair;
    }
    return text;
}

TEST(ManagementBytes, LevelBlockAndParcelRowsFollowThePartsBytes) {
    const fixture::AllDataImage image = fixture::buildAllData(fixture::smallAllDataPlan());
    const std::vector<uint8_t>& b = image.allData;
    MapViews v;
    ASSERT_TRUE(v.Open(image, "level-bytes")->IsValid());
    const uint32_t header0 = be(b, 2048, 4);
    const size_t base = size_t(header0 >> 8) * 2048 + size_t(header0 & 63) * 32;
    const bool names = be(b, base + 4, 2) & 1;
    const size_t levelSize = be(b, base + 20, 2) * 2, setSize = be(b, base + 22, 2) * 2;
    const size_t blockSize = be(b, base + 24, 2) * 2, levels = be(b, base + 26, 2);
    ASSERT_GT(levels, 0u);
    int checkedBlocks = 0, checkedParcels = 0;
    for (size_t l = 0; l < levels; ++l) {
        const size_t at = base + 30 + l * levelSize;
        RecordNode* level = v.At({"Map Data", "Level " + std::to_string(l)});
        ASSERT_NE(level, nullptr) << l;
        v.Show(*level);
        char code[32];
        const auto levelCode = uint8_t(int8_t(b[at]) / 4);
        std::snprintf(code, sizeof code, "0 x %02X|(%d) ", levelCode, levelCode);
        EXPECT_EQ(v.Row("Level Code"), code);
        const int integrated = 1 << (b[at + 1] >> 4), divided = 1 << (b[at + 1] & 15);
        EXPECT_EQ(v.Row("Number of Regular Parcels Integrated on the Next-higher Level"),
                  std::to_string(integrated) + " x " + std::to_string(integrated) + "|");
        EXPECT_EQ(v.Row("Number of Regular Parcels Divided on the Next-lower Level"),
                  "1/" + std::to_string(divided) + " x 1/" + std::to_string(divided) + "|");
        for (int i = 0; i < 5; ++i) {
            const uint32_t scale = be(b, at + 4 + 4 * size_t(i), 4);
            EXPECT_EQ(v.Row("Display Scale Flag " + std::to_string(i + 1)),
                      (scale == 0xFFFFFFFFu ? std::string("0xFFFFFFFF") : std::to_string(scale)) +
                          "|Scale in cm");
        }
        const char* pairs[6] = {"Block Sets",
                                "Blocks",
                                "Parcels",
                                "Divided Parcels (Parcel Division Type 1)",
                                "Divided Parcels (Parcel Division Type 2)",
                                "Divided Parcels (Parcel Division Type 3)"};
        for (size_t p = 0; p < 6; ++p) {
            const int y = b[at + 24 + 2 * p] + 1, x = b[at + 25 + 2 * p] + 1;
            EXPECT_EQ(v.Row(std::string("Number of Latitudinal ") + pairs[p]),
                      std::to_string(y) + "|Total Number = " + std::to_string(x * y));
            EXPECT_EQ(v.Row(std::string("Number of Longitudinal ") + pairs[p]), std::to_string(x) + "|");
        }
        const size_t table = base + 2 * size_t(be(b, at + 36, 2));
        EXPECT_EQ(v.Row("Offset to the Top of the Block Set Management Records of the Level"),
                  fourBytes(uint32_t(table)) + "|(" + std::to_string(table) + ")");
        const uint32_t node = be(b, at + 38, 2) * 2;
        EXPECT_EQ(v.Row("Node Record Size"), fourBytes(node) + "|(" + std::to_string(node) + ") ");

        // Each block set: its record, then one provider row per block of the level's block division.
        const size_t sets = size_t(b[at + 24] + 1) * size_t(b[at + 25] + 1);
        const size_t blocks = size_t(b[at + 26] + 1) * size_t(b[at + 27] + 1);
        for (size_t s = 0; s < sets; ++s) {
            const size_t record = table + s * setSize;
            RecordNode* set =
                v.At({"Map Data", "Level " + std::to_string(l), "BlockSet " + std::to_string(s)});
            ASSERT_NE(set, nullptr) << l << "/" << s;
            v.Show(*set);
            EXPECT_EQ(v.Row("Block Set Number"), std::to_string(b[record + 1]) + "|");
            const uint32_t words = be(b, record + 2, 4);
            if (words == 0xFFFFFFFFu) continue;
            const size_t blockTable = base + 2 * size_t(words);
            EXPECT_EQ(v.Row("Offset to Block Management Table"),
                      fourBytes(uint32_t(blockTable)) + "|(" + std::to_string(blockTable) + ")");
            ASSERT_EQ(v.model.VirtualRowCount(), int(blocks));
            for (size_t k = 0; k < blocks; ++k) {
                const size_t entry = blockTable + k * blockSize;
                const uint32_t address = be(b, entry, 4);
                const int row = v.model.FirstVirtualRow() + int(k);
                if (address == 0xFFFFFFFFu) {
                    EXPECT_EQ(v.model.CellText(row, 0).toStdString(), "Block " + std::to_string(k));
                    continue;
                }
                std::string name;
                for (size_t i = 0; names && i < 12 && b[entry + 6 + i] != 0; ++i)
                    name += char(b[entry + 6 + i]);
                const size_t position = size_t(address >> 8) * 2048 + size_t(address & 63) * 32;
                EXPECT_EQ(v.model.CellText(row, 0).toStdString(),
                          "Block " + std::to_string(k) + "   (Address of Parcel Management Information)" +
                              (name.empty() ? "" : "   (" + name + ")"));
                EXPECT_EQ(v.model.CellText(row, 1).toStdString(), fourBytes(uint32_t(position)));
                EXPECT_EQ(v.model.CellText(row, 2).toStdString(),
                          "Size = " + significantBytes(be(b, entry + 4, 2) * 32u));
            }
            // Each block's record, and its parcel management information when it lies in ALLDATA.KWI.
            for (size_t k = 0; k < blocks; ++k) {
                const size_t entry = blockTable + k * blockSize;
                const uint32_t address = be(b, entry, 4);
                RecordNode* block = v.At({"Map Data", "Level " + std::to_string(l),
                                          "BlockSet " + std::to_string(s), "Block " + std::to_string(k)});
                if (address == 0xFFFFFFFFu || !block) continue;
                v.Show(*block);
                const size_t position = size_t(address >> 8) * 2048 + size_t(address & 63) * 32;
                const uint32_t size = be(b, entry + 4, 2) * 32u;
                EXPECT_EQ(v.Row("Address of Parcel Management Information"),
                          fourBytes(uint32_t(position)) + "|(" + std::to_string(position) + ")");
                EXPECT_EQ(v.Row("Size of Parcel Management Information"),
                          fourBytes(size) + "|(" + std::to_string(size) + ") ");
                if (names && b[entry + 6] != 0) continue;
                char row[32];
                std::snprintf(row, sizeof row, "0 x %02X|(%d) ", b[position] & 3, b[position] & 3);
                EXPECT_EQ(v.Row("Division Type Number"), row);
                std::snprintf(row, sizeof row, "0 x %02X|(%d) ", b[position + 1], b[position + 1]);
                EXPECT_EQ(v.Row("List Type Number"), row);
                ++checkedBlocks;
                // Its parcels kept in ALLDATA.KWI: their main map distribution headers.
                if (!block->built) v.Expand(*block);
                for (const auto& parcel : block->children) {
                    if (parcel->kind != 14 || !parcel->stream ||
                        fileNamePart(parcel->stream->FileName()) != "ALLDATA.KWI")
                        continue;
                    const size_t h = size_t(parcel->recordOffset);
                    v.Show(*parcel);
                    const uint32_t headerSize = be(b, h, 2) * 2, word = be(b, h + 14, 4);
                    const int kind = int(be(b, h + 12, 2) >> 14);
                    static const char* const kinds[4] = {"", "Divided Parcel", "Integrated Parcel",
                                                         "Regular Parcel"};
                    EXPECT_EQ(v.Row("Header Size"),
                              fourBytes(headerSize) + "|(" + std::to_string(headerSize) + ") ");
                    EXPECT_EQ(v.Row("Lower Left Reference Parcel Location Code Y-axis"),
                              std::to_string(b[h + 10]) + "|");
                    EXPECT_EQ(v.Row("Lower Left Reference Parcel Location Code X-axis"),
                              std::to_string(b[h + 11]) + "|");
                    std::snprintf(row, sizeof row, "0 x %02X|(%d) ", kind, kind);
                    EXPECT_EQ(v.Row("Divided/Integrated Identifier"), row + std::string(kinds[kind]));
                    EXPECT_EQ(v.Row("Adjacent Parcel Address Information Flag"),
                              std::string((be(b, h + 12, 2) >> 13) & 1 ? "YES" : "NO") + "|");
                    EXPECT_EQ(v.Row("Practical Management Code"),
                              fourBytes(word) + "|(" + std::to_string(word) +
                                  ") Area Code = " + std::to_string(word >> 24));
                    ++checkedParcels;
                }
            }
        }
    }
    EXPECT_GT(checkedBlocks, 2);
    EXPECT_GT(checkedParcels, 4);
}

} // namespace
