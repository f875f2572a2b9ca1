// The added level's parcel frames and the writers of its management information.
#include <gtest/gtest.h>

#include "converter/levels/ExtraLevelParcels.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/MemoryStream.h"

namespace {

using building_data::Point;
using namespace rewrite;
namespace bd = building_data;

std::vector<uint8_t> slice(const std::vector<uint8_t>& b, size_t at, size_t n) {
    return {b.begin() + ptrdiff_t(at), b.begin() + ptrdiff_t(at + n)};
}

std::shared_ptr<ImportedOutlines> outlines(bool arrows, bool numbers) {
    auto data = std::make_shared<std::vector<uint8_t>>();
    bd::WriteBox(*data, bd::Box{});
    if (numbers) {
        const Point at[1] = {{1600 + 100, 3200 + 100}};
        const uint8_t label[2] = {'1', '2'};
        bd::AppendRecord(*data, bd::kHouseNumber, at, label);
    }
    auto result = std::make_shared<ImportedOutlines>(data);
    if (arrows) {
        result->AddArrow({1600 + 50, 3200 + 50}, 90);
        result->AddArrow({1600 + 1500, 3200 + 50}, 270);
    }
    result->SelectRecordsForBlock({0, 100000, 100000, 0}, true, {});
    return result;
}

const ParcelRect kRect{1600, 3200 + 1024, 1600 + 1024, 3200};

TEST(ExtraLevelParcels, AFrameWithOnlyHouseNumbersHasTheirEntryAtWord33) {
    auto o = outlines(false, true);
    const ExtraParcel p = WriteExtraLevelParcel(*o, kRect, 5, 4, {2, 7, {450, false, 1251}});
    ASSERT_EQ(p.numbers, 1u);
    const std::vector<uint8_t>& f = p.frame;
    ASSERT_EQ(f.size(), 224u) << "186 + 18 bytes, aligned to 32";
    EXPECT_EQ(slice(f, 0, 14), (std::vector<uint8_t>{0x00, 0x3C, 0x00, 0x00, 0xC8, 0x00, 0x00, 0x00, 0x64,
                                                     0x00, 0x01, 0x01, 0xC0, 0x00}));
    EXPECT_EQ(slice(f, 18, 2), (std::vector<uint8_t>{0x00, 0xFA}));
    EXPECT_EQ(slice(f, 28, 6), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(slice(f, 48, 6), (std::vector<uint8_t>{0, 0, 0, 60, 0, 42}));
    EXPECT_EQ(slice(f, 120, 2), (std::vector<uint8_t>{0x00, 0x21}));
    EXPECT_EQ(slice(f, 122 + 4 * 7, 4), (std::vector<uint8_t>{0, 33, 0, 1}));
    EXPECT_EQ(slice(f, 122 + 4 * 2, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(o->Kind(0), bd::kHouseNumber) << "numbers on the added level are not used up";
}

TEST(ExtraLevelParcels, ArrowsComeFirstAndNumbersFollowThem) {
    auto o = outlines(true, true);
    const ExtraParcel p = WriteExtraLevelParcel(*o, kRect, 0, 4, {2, 7, {450, false, 1251}});
    EXPECT_EQ(p.arrows, 1u) << "the second arrow lies outside";
    EXPECT_EQ(slice(p.frame, 122 + 4 * 2, 4), (std::vector<uint8_t>{0, 33, 0, 1}));
    EXPECT_EQ(slice(p.frame, 122 + 4 * 7, 4), (std::vector<uint8_t>{0, 41, 0, 1}));
    EXPECT_EQ(slice(p.frame, 186, 4), (std::vector<uint8_t>{0x00, 0x08, 0x85, 0x20}));
    EXPECT_EQ(slice(p.frame, 198, 2), (std::vector<uint8_t>{0x16, 90}));
    // One class for both.
    auto shared = outlines(true, true);
    const ExtraParcel q = WriteExtraLevelParcel(*shared, kRect, 0, 4, {7, 7, {450, false, 1251}});
    EXPECT_EQ(slice(q.frame, 122 + 4 * 7, 4), (std::vector<uint8_t>{0, 33, 0, 2}));
    // Used-up arrows are not written again; nothing to write gives no frame.
    EXPECT_TRUE(WriteExtraLevelParcel(*o, {0, 100, 100, 0}, 0, 4, {2, 7, {}}).frame.empty());
}

TEST(ExtraLevelParcels, ManagementInformationWriters) {
    TLN_MemoryStream s;
    EXPECT_EQ(WriteEmptyRecords(s, 2, 18, 0), 36);
    std::vector<uint8_t> b = s.Bytes();
    EXPECT_EQ(slice(b, 0, 8), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(slice(b, 18, 6), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));

    TLN_MemoryStream info;
    EXPECT_EQ(ReserveParcelManagementInfo(info, 3), 0);
    EXPECT_EQ(ReserveParcelManagementInfo(info, 3), 32);
    b = info.Bytes();
    ASSERT_EQ(b.size(), 64u);
    EXPECT_EQ(slice(b, 0, 10), (std::vector<uint8_t>{0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    // Parcels 0 and 1 in the first block, 2 in the second; sizes 1, 2 and 1 sectors.
    const uint8_t first[6] = {0, 0, 0, 0, 0, 1}, second[6] = {0, 0, 0, 1, 0, 2},
                  third[6] = {0, 0, 0, 2, 0, 1};
    info.WriteAt(4, first, 6);
    info.WriteAt(16, second, 6);
    info.WriteAt(36 + 6, third, 6);
    AssignExtraParcelAddresses(info, 2, 3, 4096, 0);
    b = info.Bytes();
    EXPECT_EQ(slice(b, 4, 4), (std::vector<uint8_t>{0, 0, 2, 0}));
    EXPECT_EQ(slice(b, 16, 4), (std::vector<uint8_t>{0, 0, 2, 1}));
    EXPECT_EQ(slice(b, 42, 4), (std::vector<uint8_t>{0, 0, 2, 3}));
    EXPECT_EQ(slice(b, 10, 6), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));

    info.Seek(4);
    RelocateKiwiAddresses(info, 2048, 3, 6);
    b = info.Bytes();
    EXPECT_EQ(slice(b, 4, 4), (std::vector<uint8_t>{0, 0, 3, 0}));
    EXPECT_EQ(slice(b, 10, 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF})) << "all ones stays";
    EXPECT_EQ(slice(b, 16, 4), (std::vector<uint8_t>{0, 0, 3, 1}));
}

} // namespace
