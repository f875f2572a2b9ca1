// The "ALL DATA" children and their management header rows against the header table's bytes, decoded here
// from the layout: absent parts stored as address 0 and size 0 (left out) and as the all-ones address and
// size 0 (listed), next to parts inside ALLDATA.KWI, past its end and in files of their own.
#include <gtest/gtest.h>

#include "MapViewsHarness.h"

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

} // namespace
