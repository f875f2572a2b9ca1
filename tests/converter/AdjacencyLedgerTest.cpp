// The adjacency repair as a level is written: a frame is repaired as soon as its neighbours are written
// (before they are, it waits), neighbours never written are emptied when the level ends, and over a whole
// conversion every entry names its neighbour's new frame.
#include <gtest/gtest.h>

#include <map>

#include "converter/levels/AdjacencyLedger.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"

namespace {

constexpr int64_t kFrame = 8192;
constexpr uint32_t kFrameSize = 256;
// No region entry, 3 basic and 3 extended references: the eight neighbours start here.
constexpr int64_t kEntries = 36 + 6 * 6;
// Two neighbour frames (36-byte headers without the flag) written before or after the frame.
constexpr int64_t kFirst = 1024, kSecond = 2048;

std::vector<uint8_t> reference(int64_t offset, uint16_t size) {
    TLN_MemoryStream s;
    WriteAddressAndStoredSize(s, offset, size);
    return s.Bytes();
}

// A frame whose upper neighbour is old frame 0x100000, its right one divided (sub-parcels 0x200000 and
// 0x300000 listed at frame byte 160), the rest none.
TLN_MemoryStream image() {
    std::vector<uint8_t> b(size_t(kFrame + kFrameSize), 0);
    b[kFrame + 12] = 0x20;
    for (int d = 0; d < 8; ++d)
        std::fill_n(b.begin() + kFrame + kEntries + 6 * d, 4, uint8_t(0xFF));
    auto put = [&](int64_t at, const std::vector<uint8_t>& bytes) {
        std::copy(bytes.begin(), bytes.end(), b.begin() + at);
    };
    put(kFrame + kEntries, reference(0x100000, 2));
    put(kFrame + kEntries + 12, {0, 160 / 2, 0, 1, 0, 0});
    put(kFrame + 160, reference(0x200000, 3));
    put(kFrame + 166, reference(0x300000, 4));
    return TLN_MemoryStream(b);
}

std::vector<uint8_t> slice(TLN_MemoryStream& s, int64_t at) {
    const auto b = s.Bytes();
    return {b.begin() + at, b.begin() + at + 6};
}

const std::vector<uint8_t> kEmpty = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0};

} // namespace

TEST(AdjacencyLedger, AFrameWaitsForItsNeighboursAndIsRepairedWhenTheyAreWritten) {
    TLN_MemoryStream out = image();
    AdjacencyLedger ledger(AdjacentMode::Update);
    const AdjacentRepairLevel level{3, 3};
    ledger.Written(out, 0x100000, kFirst, 64, level);
    ledger.Written(out, 0x900000, kFrame, kFrameSize, level);
    // The upper neighbour came first, a sub-parcel is still to come: nothing is written yet.
    EXPECT_EQ(slice(out, kFrame + kEntries), reference(0x100000, 2));
    ledger.Written(out, 0x200000, kSecond, 96, level);
    EXPECT_EQ(slice(out, kFrame + kEntries), reference(0x100000, 2)) << "0x300000 is awaited too";
    std::vector<int64_t> notFixed;
    ASSERT_TRUE(ledger.Finish(out, nullptr, [&](int64_t at) { notFixed.push_back(at); }));
    EXPECT_TRUE(notFixed.empty());
    EXPECT_EQ(slice(out, kFrame + kEntries), reference(kFirst, 2));
    EXPECT_EQ(slice(out, kFrame + 160), reference(kSecond, 3));
    EXPECT_EQ(slice(out, kFrame + 166), kEmpty) << "a sub-parcel never written";
    EXPECT_EQ(slice(out, kFrame + kEntries + 6), kEmpty);
    EXPECT_EQ(ledger.Frames(), 3u);
}

TEST(AdjacencyLedger, AFrameWhoseNeighboursAreWrittenIsRepairedAtOnce) {
    TLN_MemoryStream out = image();
    AdjacencyLedger ledger(AdjacentMode::Update);
    const AdjacentRepairLevel level{3, 3};
    ledger.Written(out, 0x200000, kSecond, 96, level);
    ledger.Written(out, 0x900000, kFrame, kFrameSize, level);
    ledger.Written(out, 0x300000, 4096, 64, level);
    EXPECT_EQ(slice(out, kFrame + 166), reference(0x300000, 4)) << "still waiting for 0x100000";
    ledger.Written(out, 0x100000, kFirst, 64, level);
    // Every neighbour is written: repaired before the level ends.
    EXPECT_EQ(slice(out, kFrame + kEntries), reference(kFirst, 2));
    EXPECT_EQ(slice(out, kFrame + 160), reference(kSecond, 3));
    EXPECT_EQ(slice(out, kFrame + 166), reference(4096, 4));
    // Clearing waits for nothing but the sub-parcels; removing for nothing at all.
    TLN_MemoryStream cleared = image(), removed = image();
    AdjacencyLedger clear(AdjacentMode::Clear), remove(AdjacentMode::Remove);
    clear.Written(cleared, 0x900000, kFrame, kFrameSize, level);
    remove.Written(removed, 0x900000, kFrame, kFrameSize, level);
    EXPECT_EQ(removed.Bytes()[kFrame + 12], 0);
    clear.Written(cleared, 0x200000, kSecond, 96, level);
    clear.Written(cleared, 0x300000, 4096, 64, level);
    EXPECT_EQ(slice(cleared, kFrame + kEntries), kEmpty);
    EXPECT_EQ(slice(cleared, kFrame + 166), reference(4096, 4));
}

// Every adjacent entry of the new map names the new frame of the parcel the source's entry named (or
// none), with neighbours written before and after each parcel.
TEST(AdjacencyLedger, EveryEntryOfAConvertedMapNamesItsNeighboursNewFrame) {
    fixture::AllDataPlan plan = fixture::largeAllDataPlan(2);
    plan.realNeighbours = true;
    fixture::LevelPlan& level = plan.levels.front();
    fixture::BlockPlan block;
    for (int p = 0; p < level.parcels.x * level.parcels.y; ++p)
        block.parcels[p].adjacent = true;
    fixture::BlockSetPlan set;
    set.blocks.assign(size_t(level.blocks.x * level.blocks.y), block);
    level.sets.assign(4, set);
    const auto f = convtest::makeSource("adjacency-ledger", plan);
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    const auto in = convtest::readFile(f.allData);
    const auto out = convtest::readFile(f.output + "/ALLDATA.KWI");
    TLN_KiwiMap source(f.allData), output(f.output + "/ALLDATA.KWI");
    std::map<int64_t, int64_t> moved;
    std::vector<std::pair<int64_t, int64_t>> frames;
    const auto& record = *source.Level(0);
    for (uint32_t s = 0; s < uint32_t(record.BlockSetCount()); ++s)
        for (uint32_t b = 0; b < uint32_t(record.BlockCount()); ++b) {
            TLN_Block_Management_Record oldBlock, newBlock;
            ASSERT_TRUE(source.ReadBlock(0, s, b, oldBlock) && output.ReadBlock(0, s, b, newBlock));
            for (uint32_t i = 0; i < 16; ++i) {
                TLN_MM_Parcel_Managenent_Record was, now;
                ASSERT_TRUE(source.ReadParcel(oldBlock.Stream, 0, i, was, false, oldBlock.Address));
                ASSERT_TRUE(output.ReadParcel(newBlock.Stream, 0, i, now, false, newBlock.Address));
                moved[was.Address] = now.Address;
                frames.push_back({was.Address, now.Address});
            }
        }
    const int64_t entries = 36 + 6 * (level.basic + level.extended);
    int named = 0;
    for (const auto& [was, now] : frames) {
        const int64_t regions = (in[size_t(was + 34)] << 8) | in[size_t(was + 35)];
        for (int d = 0; d < 8; ++d) {
            const size_t at = size_t(4 * regions + entries + 6 * d);
            const uint32_t address = (uint32_t(in[was + at]) << 24) | (uint32_t(in[was + at + 1]) << 16) |
                                     (uint32_t(in[was + at + 2]) << 8) | in[was + at + 3];
            const uint16_t size = uint16_t((in[was + at + 4] << 8) | in[was + at + 5]);
            if (address == 0xFFFFFFFFu || size == 0) continue;
            const std::vector<uint8_t> expected = reference(moved.at(KiwiAddressToOffset(address)), size);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin() + now + std::ptrdiff_t(at)))
                << "frame " << was << " direction " << d;
            ++named;
        }
    }
    EXPECT_GT(named, 4 * 16 * 16 * 3) << "most parcels have neighbours";
}
