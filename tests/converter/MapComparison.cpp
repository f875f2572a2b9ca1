// The new map read back level by level beside its source.
#include "converter/MapComparison.h"

#include <gtest/gtest.h>

#include <map>

#include "kiwi/map/KiwiMap.h"

namespace {

std::vector<uint8_t> frameBytes(const TLN_MM_Parcel_Managenent_Record& record) {
    std::vector<uint8_t> bytes(record.Size);
    record.Stream->ReadExactAt(record.Address, bytes.data(), int64_t(bytes.size()));
    return bytes;
}

// The frame without its route guidance reference, and only its header prefix when it carries adjacent
// parcel information (those entries are re-pointed).
std::vector<uint8_t> comparable(std::vector<uint8_t> bytes) {
    if (bytes.size() >= 34) std::fill(bytes.begin() + 28, bytes.begin() + 34, 0);
    if (bytes.size() >= 14 && (bytes[12] & 0x20)) bytes.resize(14);
    return bytes;
}

} // namespace

ComparedCounts compareMaps(const std::string& sourcePath, const std::string& outputPath,
                           uint32_t addedLevels) {
    TLN_KiwiMap source(sourcePath);
    TLN_KiwiMap output(outputPath);
    ComparedCounts counts;
    EXPECT_EQ(source.LevelCount() + addedLevels, output.LevelCount());
    std::map<std::pair<std::string, int64_t>, int64_t> sharedFrames;
    for (uint8_t level = 0; level < source.LevelCount(); ++level) {
        const auto& record = *source.Level(level);
        for (uint32_t s = 0; s < uint32_t(record.BlockSetCount()); ++s)
            for (uint32_t b = 0; b < uint32_t(record.BlockCount()); ++b) {
                TLN_Block_Management_Record oldBlock, newBlock;
                const bool had = source.ReadBlock(level, s, b, oldBlock);
                TLN_Parcel_Management_Info oldInfo, newInfo;
                if (!had || !source.ReadParcelManagement(oldBlock.Stream, level, oldInfo, oldBlock.Address))
                    continue;
                EXPECT_TRUE(output.ReadBlock(level, s, b, newBlock)) << int(level) << "/" << s << "/" << b;
                if (!output.ReadParcelManagement(newBlock.Stream, level, newInfo, newBlock.Address)) continue;
                EXPECT_EQ(newBlock.Address % 32, 0);
                EXPECT_EQ(newInfo.ListType, 0);
                EXPECT_EQ(newInfo.DivisionType, oldInfo.DivisionType);
                for (uint32_t i = 0; i < oldInfo.StoredRecordCount; ++i) {
                    TLN_MM_Parcel_Managenent_Record oldParcel, newParcel;
                    const bool found =
                        source.ReadParcel(oldBlock.Stream, level, i, oldParcel, false, oldBlock.Address);
                    const bool written =
                        output.ReadParcel(newBlock.Stream, level, i, newParcel, false, newBlock.Address);
                    if (!found || (!oldParcel.IsDivided() &&
                                   oldParcel.Address + oldParcel.Size > oldParcel.Stream->Size())) {
                        EXPECT_FALSE(written && !newParcel.IsDivided())
                            << "a parcel the source lacks got a frame";
                        continue;
                    }
                    EXPECT_TRUE(written);
                    if (!written || oldParcel.IsDivided()) continue;
                    ++counts.parcels;
                    EXPECT_EQ(newParcel.Address % 32, 0);
                    EXPECT_EQ(newParcel.Size, oldParcel.Size);
                    EXPECT_EQ(comparable(frameBytes(newParcel)), comparable(frameBytes(oldParcel)));
                    const auto key = std::make_pair(oldParcel.Stream->FileName(), oldParcel.Address);
                    const auto [it, added] = sharedFrames.emplace(key, newParcel.Address);
                    EXPECT_EQ(it->second, newParcel.Address) << "a shared frame was written twice";
                    if (oldInfo.RouteGuidanceListPosition < 0) continue;
                    TLN_MM_Parcel_Managenent_Record oldGuide, newGuide;
                    const bool oldHas =
                        source.ReadParcel(oldBlock.Stream, level, i, oldGuide, true, oldBlock.Address);
                    const bool newHas =
                        output.ReadParcel(newBlock.Stream, level, i, newGuide, true, newBlock.Address);
                    EXPECT_EQ(newHas, oldHas && oldGuide.Size != 0);
                    if (newHas) {
                        ++counts.guidance;
                        EXPECT_EQ(frameBytes(newGuide), frameBytes(oldGuide));
                        TLN_MM_Distribution_Header header;
                        EXPECT_TRUE(output.ReadMainMapHeader(newParcel.Stream, level, header, false,
                                                             newParcel.Address));
                        EXPECT_EQ(header.RouteGuidancePosition, newGuide.Address);
                        EXPECT_EQ(header.RouteGuidanceSize, newGuide.Size);
                    }
                }
            }
    }
    return counts;
}
