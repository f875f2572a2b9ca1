// Index data builders: volume, POI and expansion records under the header, their offsets, and stored
// counts a hostile header cannot blow up.
#include <gtest/gtest.h>

#include <algorithm>

#include "KindHarness.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/IndexFixture.h"

using harness::Captions;
using harness::Kinds;

namespace {

constexpr int64_t kBase = 64;

std::shared_ptr<TLN_IndexManager> openIndex(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_IndexManager>(std::make_shared<TLN_MemoryStream>(std::move(bytes)), kBase);
}

} // namespace

TEST(IndexKinds, VolumePoiAndExpansionRecords) {
    namespace layout = fixture::index_layout;
    harness::KindHarness h;
    h.data.index = openIndex(fixture::buildIndexFixture(kBase).index);
    ASSERT_TRUE(h.data.index->IsValid());

    for (int rootKind : {1020, 102}) {
        // The INDEXDAT root holds the window's reader; the ALLDATA part finds it through the open data.
        auto root = harness::Root(rootKind, QStringLiteral("Index"),
                                  rootKind == 1020 ? HeldReader(h.data.index) : HeldReader());
        const auto items = h.Expand(*root);
        // The records that name SRCH0001.KWI, which is not beside this index, say so.
        EXPECT_EQ(Captions(*root), (std::vector<QString>{"VOL1  (Error)", "VOL2", "POI1 (POI 1)  (Error)",
                                                         "Expansion 1  (Error)", "Expansion 2"}));
        EXPECT_EQ(Kinds(*root), (std::vector<int>{300, 300, 301, 302, 302}));
        ASSERT_EQ(items.size(), 5u);
        EXPECT_EQ(items[1]->recordOffset, kBase + layout::kVolumeRecords + layout::kManagementRecordSize);
        EXPECT_EQ(items[2]->recordOffset, kBase + layout::kPOIRecords);
        EXPECT_EQ(items[4]->recordOffset, kBase + layout::kExpansionRecord1);
        EXPECT_EQ(items[4]->index, 1);
        EXPECT_EQ(items[0]->held.As<TLN_IndexManager>(), h.data.index.get());
        // Their views add the items below them when first shown.
        for (const RecordNode* item : items) {
            EXPECT_FALSE(item->hasChildren);
            EXPECT_EQ(item->indexDepth, 0);
        }
    }
}

TEST(IndexKinds, StoredCountsAreBoundedByTheIndex) {
    harness::KindHarness h;
    std::vector<uint8_t> bytes = fixture::buildIndexFixture(kBase).index;
    // Number of Volume Management Records (after the declarations, the copyright and two field pointers).
    const size_t countAt = size_t(kBase) + 68;
    bytes[countAt] = 0x7F;
    bytes[countAt + 1] = bytes[countAt + 2] = bytes[countAt + 3] = 0xFF;
    const auto reader = openIndex(bytes);
    ASSERT_EQ(reader->Header().VolumeRecordCount, 0x7FFFFFFFu);
    auto root = harness::Root(1020, QStringLiteral("INDEXDAT"), reader);
    h.Expand(*root);
    const std::vector<int> kinds = Kinds(*root);
    const int64_t volumes = std::count(kinds.begin(), kinds.end(), 300);
    EXPECT_EQ(volumes, int64_t(reader->VolumeCount()));
    EXPECT_LT(volumes, int64_t(bytes.size()) / 56 + 1);
    EXPECT_TRUE(h.Expand(*harness::Root(102, QStringLiteral("Index Data"), HeldReader())).empty());
}
