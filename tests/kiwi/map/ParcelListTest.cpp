// Parcel lists and indices: out-of-range indices are "not found", never a neighbour's record; list types;
// count bytes of 255; divided parcels.
#include <gtest/gtest.h>

#include "MapTestSupport.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/map/ParcelList.h"
#include "kiwi/map/ParcelListType.h"

using maptest::numberOf;
using maptest::openMap;

TEST(ParcelList, OneTableOfListTypes) {
    struct Case {
        uint8_t type;
        uint8_t recordSize;
        bool extension;
        ParcelListLayout::FrameSource source;
    };
    using Source = ParcelListLayout::FrameSource;
    const Case cases[] = {{0, 6, false, Source::ListStream},       {1, 8, false, Source::ListStream},
                          {2, 8, false, Source::ListStream},       {100, 18, false, Source::RecordFile},
                          {202, 8, true, Source::InformationFile}, {204, 6, true, Source::InformationFile},
                          {206, 8, true, Source::InformationFile}, {3, 6, false, Source::None},
                          {203, 6, false, Source::None},           {255, 6, false, Source::None}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        const ParcelListLayout& layout = ParcelListLayoutOf(c.type);
        EXPECT_EQ(layout.RecordSize, c.recordSize);
        EXPECT_EQ(layout.HasExtension, c.extension);
        EXPECT_EQ(layout.Source, c.source);
        // The extension is 14 exactly when the word at +4 is 1 (a name follows), else 2.
        EXPECT_EQ(layout.Extension(1), c.extension ? 14 : 0);
        EXPECT_EQ(layout.Extension(2), c.extension ? 2 : 0);
        EXPECT_EQ(layout.Extension(0), c.extension ? 2 : 0);
    }
}

TEST(ParcelList, IndicesPastTheirCountsAreNotFound) {
    const auto plan = fixture::smallAllDataPlan();
    const auto map = openMap(fixture::buildAllData(plan));
    TLN_BlockSet_Management_Record set;
    // Level 0 has 2 block sets; the next record in the file is level 1's first block set.
    EXPECT_TRUE(map->ReadBlockSet(0, 1, set));
    EXPECT_FALSE(map->ReadBlockSet(0, 2, set));
    EXPECT_EQ(set.Position, -1);
    EXPECT_FALSE(map->ReadBlockSet(1, 1, set));
    EXPECT_FALSE(map->ReadBlockSet(2, 0, set));
    // Level 0 block sets have 4 blocks; block set 0's table is followed by block set 1's.
    TLN_Block_Management_Record block;
    EXPECT_TRUE(map->ReadBlock(0, 0, 3, block));
    EXPECT_FALSE(map->ReadBlock(0, 0, 4, block));
    EXPECT_EQ(block.Address, -1);
    EXPECT_FALSE(map->ReadBlock(0, 0, 0xFFFFFFFFu, block));
    // A list of 4 records is followed by a divided parcel's sub-list.
    ASSERT_TRUE(map->ReadBlock(0, 0, 0, block));
    TLN_MM_Parcel_Managenent_Record parcel;
    EXPECT_TRUE(map->ReadParcel(block.Stream, 0, 2, parcel, false, block.Address));
    EXPECT_FALSE(map->ReadParcel(block.Stream, 0, 4, parcel, false, block.Address));
    EXPECT_FALSE(map->ReadParcel(block.Stream, 0, 0xFFFFFFFFu, parcel, false, block.Address));
    // Parcel numbers whose indices pass a count would alias another parcel of the row-major tables.
    TLN_ParcelNumber number;
    number.ParcelX = 2; // parcel counts are 2 x 2: (2, 0) would be read as (0, 1)
    EXPECT_FALSE(map->FindParcel(number, false, parcel));
    number = {};
    number.BlockX = 2;
    EXPECT_FALSE(map->FindParcel(number, false, parcel));
    number = {};
    number.BlockSetY = 1; // one block set row
    EXPECT_FALSE(map->FindParcel(number, false, parcel));
    number = {};
    number.Level = 2;
    EXPECT_FALSE(map->FindParcel(number, false, parcel));
    // No route guidance list: no route guidance record.
    ASSERT_TRUE(map->ReadBlock(0, 0, 1, block));
    EXPECT_TRUE(map->ReadParcel(block.Stream, 0, 0, parcel, false, block.Address));
    EXPECT_FALSE(map->ReadParcel(block.Stream, 0, 0, parcel, true, block.Address));
    // Positions that cannot be an information.
    EXPECT_FALSE(map->ReadParcel(block.Stream, 0, 0, parcel, false, 0));
    EXPECT_FALSE(map->ReadParcel(block.Stream, 0, 0, parcel, false, -1));
    EXPECT_FALSE(map->ReadParcel(block.Stream, 0, 0, parcel, false, block.Stream->Size()));
    EXPECT_FALSE(map->ReadParcel(nullptr, 0, 0, parcel, false, block.Address));
    // A route guidance list (offset at +2 of the information, in words) moved to the file's last 4 bytes: the
    // file cuts it short, so neither reader gives a record of it.
    fixture::AllDataImage cut = fixture::buildAllData(plan);
    ASSERT_TRUE(map->ReadBlock(0, 0, 0, block));
    const int64_t words = (int64_t(cut.allData.size()) - 4 - block.Address) / 2;
    cut.allData[size_t(block.Address + 2)] = uint8_t(words >> 8);
    cut.allData[size_t(block.Address + 3)] = uint8_t(words);
    const auto cutMap = openMap(cut);
    ASSERT_TRUE(cutMap->ReadBlock(0, 0, 0, block));
    TLN_ParcelList list;
    TLN_ParcelList::Record record;
    ASSERT_TRUE(list.Open(*cutMap, block.Stream, 0, block.Address));
    EXPECT_FALSE(list.Read(0, true, record));
    EXPECT_FALSE(cutMap->ReadParcel(block.Stream, 0, 0, parcel, true, block.Address));
}

TEST(ParcelList, ListTypes) {
    const auto plan = fixture::smallAllDataPlan();
    const auto map = openMap(fixture::buildAllData(plan));
    TLN_Block_Management_Record block;
    TLN_Parcel_Management_Info info;
    TLN_MM_Parcel_Managenent_Record parcel;
    // List type 1: the word after each record.
    ASSERT_TRUE(map->ReadBlock(0, 0, 1, block));
    ASSERT_TRUE(map->ReadParcel(block.Stream, 0, 3, parcel, false, block.Address));
    EXPECT_EQ(parcel.ExtraWord, 0x1003);
    EXPECT_EQ(parcel.ListType, 1);
    // List type 100: each record names its frame's file.
    ASSERT_TRUE(map->ReadBlock(0, 0, 2, block));
    ASSERT_TRUE(map->ReadParcel(block.Stream, 0, 1, parcel, false, block.Address));
    EXPECT_EQ(parcel.FileName, "MAP100.DAT");
    EXPECT_EQ(parcel.Stream->FileName(), "MAP100.DAT");
    EXPECT_EQ(parcel.Position, block.Address + 4 + 18);
    // List type 202 with a name: the list starts 14 bytes after +4, frames in the named file.
    ASSERT_TRUE(map->ReadBlock(0, 0, 3, block));
    ASSERT_TRUE(map->ReadParcelManagement(block.Stream, 0, info, block.Address));
    EXPECT_EQ(info.FileNameFlag, 1);
    EXPECT_EQ(info.FileName, "MAP202.DAT");
    EXPECT_EQ(info.ListPosition, block.Address + 4 + 14);
    ASSERT_TRUE(map->ReadParcel(block.Stream, 0, 0, parcel, false, block.Address));
    EXPECT_EQ(parcel.Position, block.Address + 18);
    EXPECT_EQ(parcel.Stream->FileName(), "MAP202.DAT");
    // List type 202 whose word at +4 is 2: no name, the list 2 bytes after +4, frames in the list's stream.
    ASSERT_TRUE(map->ReadBlock(0, 1, 2, block));
    ASSERT_TRUE(map->ReadParcelManagement(block.Stream, 0, info, block.Address));
    EXPECT_EQ(info.FileNameFlag, 2);
    EXPECT_EQ(info.FileName, "");
    EXPECT_EQ(info.ListPosition, block.Address + 6);
    ASSERT_TRUE(map->ReadParcel(block.Stream, 0, 0, parcel, false, block.Address));
    EXPECT_EQ(parcel.Stream, block.Stream);
    // The record tree's reader uses the node's file for such a list, 202 included.
    ASSERT_TRUE(map->ReadParcelInFile(block.Stream, 0, "MAP202.DAT", parcel, false, 0, block.Address));
    EXPECT_EQ(parcel.FileName, "MAP202.DAT");
    EXPECT_EQ(parcel.Stream->FileName(), "MAP202.DAT");
    EXPECT_EQ(parcel.Position, block.Address + 6);
}

TEST(ParcelList, EveryListTypeFindsItsFrames) {
    for (const int listType : {2, 204, 206}) {
        SCOPED_TRACE(listType);
        auto plan = fixture::smallAllDataPlan();
        // Block 0/0/3 (a named data file) and block 0/1/2 (no name) take the list type.
        plan.levels[0].sets[0].blocks[3].listType = listType;
        plan.levels[0].sets[1].blocks[2].listType = listType;
        const auto image = fixture::buildAllData(plan);
        const auto map = openMap(image);
        int checked = 0;
        for (const fixture::ParcelEntry& entry : image.parcels) {
            if (entry.level != 0 ||
                !((entry.blockSet == 0 && entry.block == 3) || (entry.blockSet == 1 && entry.block == 2)))
                continue;
            TLN_MM_Parcel_Managenent_Record record;
            ASSERT_TRUE(map->FindParcel(numberOf(plan, entry), false, record));
            EXPECT_EQ(record.Address, entry.frame);
            EXPECT_EQ(record.ListType, listType);
            EXPECT_EQ(fileNamePart(record.Stream->FileName()), entry.file);
            TLN_MM_Distribution_Header header;
            EXPECT_TRUE(map->ReadMainMapHeader(record.Stream, 0, header, true, record.Address));
            ++checked;
        }
        EXPECT_EQ(checked, 8);
    }
}

TEST(ParcelList, UnknownListTypeFindsNothing) {
    auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    auto map = openMap(image);
    TLN_Block_Management_Record block;
    ASSERT_TRUE(map->ReadBlock(0, 0, 1, block));
    image.allData[size_t(block.Address) + 1] = 7;
    map = openMap(image);
    ASSERT_TRUE(map->ReadBlock(0, 0, 1, block));
    TLN_Parcel_Management_Info info;
    EXPECT_TRUE(map->ReadParcelManagement(block.Stream, 0, info, block.Address));
    EXPECT_EQ(info.ListType, 7);
    TLN_MM_Parcel_Managenent_Record parcel;
    EXPECT_FALSE(map->ReadParcel(block.Stream, 0, 0, parcel, false, block.Address));
}

TEST(ParcelList, DividedParcels) {
    const auto plan = fixture::smallAllDataPlan();
    const auto map = openMap(fixture::buildAllData(plan));
    TLN_ParcelNumber number;
    number.ParcelX = 1; // level 0, block 0/0/0, parcel 1: divided with division type 1 (2 x 2)
    TLN_MM_Parcel_Managenent_Record parcel;
    ASSERT_TRUE(map->FindParcel(number, false, parcel));
    EXPECT_TRUE(parcel.IsDivided());
    EXPECT_EQ(parcel.DivisionType, 1);
    TLN_Parcel_Management_Info sub;
    ASSERT_TRUE(map->ReadParcelManagement(parcel.Stream, 0, sub, parcel.Address));
    EXPECT_EQ(sub.DivisionType, 1);
    EXPECT_EQ(sub.RecordCount, 4u);
    TLN_MM_Parcel_Managenent_Record subParcel;
    EXPECT_TRUE(map->ReadParcel(parcel.Stream, 0, 3, subParcel, false, parcel.Address));
    EXPECT_FALSE(map->ReadParcel(parcel.Stream, 0, 4, subParcel, false, parcel.Address));
    // Division type 2 (4 x 4) in a block whose information lies in its own file.
    number = {};
    number.BlockSetX = 1;
    ASSERT_TRUE(map->FindParcel(number, false, parcel));
    EXPECT_EQ(parcel.DivisionType, 2);
    EXPECT_EQ(fileNamePart(parcel.Stream->FileName()), "BLOCK10.PMI");
    ASSERT_TRUE(map->ReadParcelManagement(parcel.Stream, 0, sub, parcel.Address));
    EXPECT_EQ(sub.RecordCount, 16u);
}

namespace {
// One level of one block set and one block of 256 x 1 parcels (count bytes FF and 00), division type 1
// of 256 x 256.
fixture::AllDataPlan widePlan() {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    plan.frameBodyBytes = 32;
    fixture::LevelPlan level;
    level.parcels = {256, 1};
    level.divisions[0] = {256, 256};
    level.routeBasic = level.routeExtended = 0;
    plan.levels = {level};
    return plan;
}
} // namespace

TEST(ParcelList, CountByte255Means256) {
    const auto plan = widePlan();
    const auto image = fixture::buildAllData(plan);
    // The fixture stores the counts minus 1: the parcel count byte is FF.
    EXPECT_EQ(image.allData[size_t(image.levelRecords[0]) + 29], 0xFF);
    const auto map = openMap(image);
    const TLN_Level_Management_Record level = map->GetLevel(0);
    EXPECT_EQ(level.Parcels, (TLN_Division{256, 1}));
    EXPECT_EQ(level.Divisions[1], (TLN_Division{256, 256}));
    EXPECT_EQ(level.ParcelsAcrossX, 256);
    EXPECT_EQ(level.BlockWidth, 256 * 4096);
    EXPECT_EQ(level.ParcelWidth, 100000 / 256);
    ASSERT_EQ(image.parcels.size(), 256u);
    TLN_ParcelNumber number;
    ASSERT_TRUE(map->PointToParcelNumber(0, 255 * 4096 + 4095, number, 100));
    EXPECT_EQ(number.ParcelX, 255);
    EXPECT_EQ(number.PositionX, 255);
    TLN_MM_Parcel_Managenent_Record parcel;
    ASSERT_TRUE(map->FindParcel(number, false, parcel));
    EXPECT_EQ(parcel.Address, image.parcels[255].frame);
    EXPECT_EQ(TLN_KiwiMap::SubParcelIndex(level.Divisions[1], 255, 255), 256 * 256 - 1);
}
