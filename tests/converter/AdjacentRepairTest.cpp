// Tests of the adjacent parcel information repair over hand-laid frames.
#include <gtest/gtest.h>

#include "converter/levels/AdjacentParcelRepair.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/MemoryStream.h"

namespace {

constexpr int64_t kFrame = 8192;
constexpr uint32_t kFrameSize = 256;
// One region entry, 3 basic and 3 extended references: the eight neighbours start here.
constexpr int64_t kEntries = 36 + 4 + 6 * 6;

void putWord(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
void putDWord(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    putWord(b, at, uint16_t(v >> 16));
    putWord(b, at + 2, uint16_t(v));
}

// A frame with the adjacency flag, neighbour 0 ordinary, 1 divided (2 sub-entries at frame byte 160),
// 2 empty, the rest ordinary neighbours that were never written.
std::vector<uint8_t> frameImage() {
    std::vector<uint8_t> b(size_t(kFrame + kFrameSize), 0);
    putWord(b, kFrame + 12, 1u << 13);
    putWord(b, kFrame + 34, 1);
    for (int d = 0; d < 8; ++d) {
        const size_t at = size_t(kFrame + kEntries + 6 * d);
        putDWord(b, at, OffsetToKiwiAddress(0x100000 + 0x1000 * d));
        putWord(b, at + 4, 2);
    }
    putDWord(b, size_t(kFrame + kEntries + 6), (160u / 2) << 16 | 1u);
    putWord(b, size_t(kFrame + kEntries + 6 + 4), 0);
    putDWord(b, size_t(kFrame + kEntries + 12), 0xFFFFFFFFu);
    putDWord(b, kFrame + 160, OffsetToKiwiAddress(0x200000));
    putWord(b, kFrame + 164, 3);
    putDWord(b, kFrame + 166, OffsetToKiwiAddress(0x300000));
    putWord(b, kFrame + 170, 4);
    return b;
}

std::vector<uint8_t> slice(const std::vector<uint8_t>& b, int64_t at, int n) {
    return {b.begin() + at, b.begin() + at + n};
}

std::vector<uint8_t> reference(int64_t offset, uint16_t size) {
    TLN_MemoryStream s;
    WriteAddressAndStoredSize(s, offset, size);
    return s.Bytes();
}

const std::vector<uint8_t> kEmpty = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};

} // namespace

TEST(AdjacentRepair, UpdateRepointsKnownNeighboursAndEmptiesTheOthers) {
    TLN_MemoryStream out(frameImage());
    ParcelAddressMap map;
    map.Register(0x100000, 0x40000, 64);
    map.Register(0x200000, 0x50000, 96);
    EXPECT_TRUE(UpdateAdjacentParcelInfo(out, kFrame, kFrameSize, {3, 3}, AdjacentMode::Update, map));
    const auto b = out.Bytes();
    EXPECT_EQ(slice(b, kFrame + kEntries, 6), reference(0x40000, 2));
    EXPECT_EQ(slice(b, kFrame + 160, 6), reference(0x50000, 3));
    EXPECT_EQ(slice(b, kFrame + 166, 6), kEmpty);
    // An all-ones neighbour is left exactly as it was.
    EXPECT_EQ(slice(b, kFrame + kEntries + 12, 6), slice(frameImage(), kFrame + kEntries + 12, 6));
    for (int d = 3; d < 8; ++d)
        EXPECT_EQ(slice(b, kFrame + kEntries + 6 * d, 6), kEmpty) << d;
    // The divided neighbour's own entry keeps pointing at its list.
    EXPECT_EQ(slice(b, kFrame + kEntries + 6, 6), slice(frameImage(), kFrame + kEntries + 6, 6));
}

TEST(AdjacentRepair, ClearEmptiesOrdinaryNeighboursButLooksUpSubParcels) {
    TLN_MemoryStream out(frameImage());
    ParcelAddressMap map;
    map.Register(0x100000, 0x40000, 64);
    map.Register(0x200000, 0x50000, 96);
    UpdateAdjacentParcelInfo(out, kFrame, kFrameSize, {3, 3}, AdjacentMode::Clear, map);
    const auto b = out.Bytes();
    EXPECT_EQ(slice(b, kFrame + kEntries, 6), kEmpty);
    EXPECT_EQ(slice(b, kFrame + 160, 6), reference(0x50000, 3));
}

TEST(AdjacentRepair, RemoveOnlyClearsTheFlag) {
    TLN_MemoryStream out(frameImage());
    UpdateAdjacentParcelInfo(out, kFrame, kFrameSize, {3, 3}, AdjacentMode::Remove, ParcelAddressMap{});
    auto expected = frameImage();
    expected[kFrame + 12] = 0;
    EXPECT_EQ(out.Bytes(), expected);
}

TEST(AdjacentRepair, WithoutTheFlagNothingChanges) {
    auto image = frameImage();
    image[kFrame + 12] = 0;
    TLN_MemoryStream out(image);
    UpdateAdjacentParcelInfo(out, kFrame, kFrameSize, {3, 3}, AdjacentMode::Update, ParcelAddressMap{});
    EXPECT_EQ(out.Bytes(), image);
}

TEST(AdjacentRepair, InformationPastTheFrameIsLeftAlone) {
    auto image = frameImage();
    putWord(image, kFrame + 34, 60); // 60 region entries push the neighbours past the frame
    TLN_MemoryStream out(image);
    EXPECT_FALSE(
        UpdateAdjacentParcelInfo(out, kFrame, kFrameSize, {3, 3}, AdjacentMode::Update, ParcelAddressMap{}));
    EXPECT_EQ(out.Bytes(), image);
    // A divided neighbour whose list runs past the frame is skipped, the others still repaired.
    auto listPast = frameImage();
    putDWord(listPast, size_t(kFrame + kEntries + 6), (250u / 2) << 16 | 3u);
    TLN_MemoryStream out2(listPast);
    EXPECT_FALSE(
        UpdateAdjacentParcelInfo(out2, kFrame, kFrameSize, {3, 3}, AdjacentMode::Update, ParcelAddressMap{}));
    EXPECT_EQ(slice(out2.Bytes(), kFrame + kEntries, 6), kEmpty);
}
