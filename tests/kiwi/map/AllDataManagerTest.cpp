// ALLDATA management: data volume, system number and variant, management headers.
#include <gtest/gtest.h>

#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/AllDataManager.h"
#include "support/fixtures/AllDataFixture.h"

namespace {

std::shared_ptr<TLN_Stream> streamOf(std::vector<uint8_t> bytes) {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes), "ALLDATA.KWI");
}

std::vector<uint8_t> smallAllData(const std::string& systemText = "AFEU:2.05") {
    return fixture::buildAllData(fixture::smallAllDataPlan(systemText)).allData;
}

} // namespace

TEST(AllDataManager, SystemNumbersAndVariants) {
    struct Case {
        std::string text;
        uint16_t number, subNumber;
        std::string code;
        uint8_t variant;
    };
    const Case cases[] = {
        {"AFEU:2.05", 2, 5, "AFEU:2", 0},
        {"AFJ:4", 4, 0, "AFJ:4", 1}, // the fifth character is the 4; there is no sixth
        {"AFEU", 0, 0, "AFEU", 4},   // no ":" at all
        {"AFE:2", 2, 0, "AFE:2", 0},
        {"AFUS:4.64", 4, 64, "AFUS:4", 1},
        {"AF:2.05", 0, 0, "AF:2.0", 4},   // ":" and "." before their first searched places
        {"AFEU:X.AB", 0, 0, "AFEU:X", 4}, // not digits
        {"AFEU:8.10", 8, 10, "AFEU:8", 2},
        {"BXXXX1", 0, 0, "BXXXX1", 3},
        {"BXXXX2", 0, 0, "BXXXX2", 4},
        {"\xC0"
         "FEU:2.05",
         2, 5,
         "\xC0"
         "FEU:2",
         0},                            // Cyrillic capital A in code page 1251
        {"AFEU:2.", 2, 0, "AFEU:2", 0}, // a dot without two characters after it
        {"", 0, 0, "", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TLN_AllDataManager::ParseSystemNumber(c.text), c.number);
        EXPECT_EQ(TLN_AllDataManager::ParseSystemSubNumber(c.text), c.subNumber);
        TLN_AllDataManager manager(streamOf(smallAllData(c.text)));
        EXPECT_TRUE(manager.IsValid());
        EXPECT_EQ(manager.SystemNumber(), c.number);
        EXPECT_EQ(manager.SystemSubNumber(), c.subNumber);
        EXPECT_EQ(manager.GetSystemCode(), c.code);
        EXPECT_EQ(manager.SystemVariant(), c.variant);
    }
}

TEST(AllDataManager, ReadsTheDataVolume) {
    TLN_AllDataManager manager(streamOf(smallAllData()));
    ASSERT_TRUE(manager.IsValid());
    const TLN_Data_Volume& volume = manager.DataVolume();
    EXPECT_EQ(volume.Maker.Name, "AFEU:2.05");
    EXPECT_EQ(volume.Maker.Y, 128000);
    EXPECT_EQ(volume.Maker.X, 503000);
    EXPECT_EQ(volume.Maker.ByteValue, 3);
    EXPECT_EQ(volume.Maker.WordValue, 0x0506);
    EXPECT_EQ(volume.DataAuthor.Name, "DATA AUTHOR");
    EXPECT_EQ(volume.System.Name, "HW MAKER");
    EXPECT_EQ(volume.FormatVersionNumber, "KIWI FORMAT 1.22");
    EXPECT_EQ(manager.GetDataVersionNumber(), "2005/06/30/01");
    EXPECT_EQ(volume.DiskTitle, "FIXTURE DISC");
    EXPECT_EQ(volume.DataContents, 3);
    EXPECT_EQ(volume.MediaVersionNumber, "MEDIA 1.0");
    EXPECT_EQ(volume.CoverageLowerLeft, (TLN_Point{-40000, 1400000}));
    EXPECT_EQ(volume.CoverageUpperRight, (TLN_Point{60000, 1500000}));
    EXPECT_EQ(volume.LogicalSectorSize, 32);
    EXPECT_EQ(volume.SectorSize, 2048);
    EXPECT_EQ(volume.DataTypeCount, 1);
    ASSERT_EQ(volume.LevelInformation.size(), 1u);
    ASSERT_EQ(volume.LevelInformation[0].Levels.size(), 2u);
    // The level list holds level codes: the second level record starts with 08, level code 2.
    EXPECT_EQ(volume.LevelInformation[0].Levels[1].LevelCode, 2);
    EXPECT_EQ(volume.LevelInformation[0].Levels[1].BlockRecordCount, 2);
}

TEST(AllDataManager, LogicalSectorSizeOtherThan32IsInvalid) {
    auto plan = fixture::smallAllDataPlan();
    plan.logicalSectorSize = 64;
    TLN_AllDataManager manager(streamOf(fixture::buildAllData(plan).allData));
    EXPECT_FALSE(manager.IsValid());
    EXPECT_EQ(manager.LogicalSectorSize(), 64);
    TLN_AllDataManager empty(streamOf({}));
    EXPECT_FALSE(empty.IsValid());
}

TEST(AllDataManager, FiveDataTypesKeepTheCountButReadNoLevels) {
    std::vector<uint8_t> bytes = smallAllData();
    bytes[492] = 0;
    bytes[493] = 5;
    TLN_AllDataManager manager(streamOf(bytes));
    EXPECT_EQ(manager.DataVolume().DataTypeCount, 5);
    EXPECT_TRUE(manager.DataVolume().LevelInformation.empty());
}

TEST(AllDataManager, ManagementHeaders) {
    TLN_AllDataManager manager(streamOf(smallAllData()));
    const TLN_Management_Header mainMap = manager.GetManagementHeader(0);
    EXPECT_EQ(mainMap.Address, 8192);
    EXPECT_GT(mainMap.Size, 0u);
    EXPECT_EQ(mainMap.Size % 32, 0u);
    EXPECT_EQ(manager.GetManagementHeader(1), (TLN_Management_Header{0, 96, "REGION.KWI"}));
    // Stored size 3 is 96 bytes; an all-ones address is -1.
    EXPECT_EQ(manager.GetManagementHeader(5), (TLN_Management_Header{-1, 96, ""}));
    EXPECT_EQ(manager.GetManagementHeader(2), (TLN_Management_Header{4096, 96, ""}));
    EXPECT_EQ(manager.GetManagementHeader(64), TLN_Management_Header{});
    EXPECT_EQ(manager.GetManagementHeader(-1), TLN_Management_Header{});
    // Any table position and index 0..255; records past the end of the file are empty.
    EXPECT_EQ(manager.ReadManagementHeaderRecord(1, 2048), manager.GetManagementHeader(1));
    EXPECT_EQ(manager.ReadManagementHeaderRecord(256, 2048), TLN_Management_Header{});
    EXPECT_EQ(manager.ReadManagementHeaderRecord(0, 1 << 30), TLN_Management_Header{});
}

TEST(AllDataManager, ManagementHeaderNamesAreKeptAsStored) {
    std::vector<uint8_t> bytes = smallAllData();
    const std::string name = "../x";
    for (size_t i = 0; i < 12; ++i)
        bytes[2048 + 18 * 7 + 6 + i] = i < name.size() ? uint8_t(name[i]) : 0;
    bytes[2048 + 18 * 7 + 5] = 1;
    TLN_AllDataManager manager(streamOf(bytes));
    // The reader reports the name; whoever opens it checks it as a bare name first.
    EXPECT_EQ(manager.GetManagementHeader(7).Name, "../x");
}

TEST(AllDataManager, AbsentPartsStoredBothWaysAndNamedFilesAtAddressZero) {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    plan.zeroAbsentHeadersFrom = 48;
    // Files of their own at address 0: one without a size, one with.
    plan.headers[50] = {0, 0, "NAMED.MNG"};
    plan.headers[20] = {0, 4, "SIZED.MNG"};
    const std::vector<uint8_t> bytes = fixture::buildAllData(plan).allData;
    TLN_AllDataManager manager(streamOf(bytes));
    const std::vector<uint8_t> allOnes = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, zeros(6, 0);
    int absent[2] = {0, 0};
    for (int i = 0; i < kManagementHeaderCount; ++i) {
        SCOPED_TRACE(i);
        const TLN_Management_Header header = manager.GetManagementHeader(i);
        const auto record = bytes.begin() + 2048 + 18 * i;
        const bool unnamed = record[6] == 0;
        const bool ones = std::equal(allOnes.begin(), allOnes.end(), record);
        const bool zero = std::equal(zeros.begin(), zeros.end(), record);
        if (unnamed && (ones || zero)) {
            EXPECT_FALSE(header.Present());
            // Records 0-47 one way, 48 on the other.
            EXPECT_EQ(ones, i < 48);
            ++absent[zero];
        } else {
            EXPECT_TRUE(header.Present());
        }
    }
    EXPECT_EQ(absent[0], 48 - 5); // all but 0, 1, 2, 5 and 20 of the first 48
    EXPECT_EQ(absent[1], 16 - 1); // all but 50
    EXPECT_EQ(manager.GetManagementHeader(50), (TLN_Management_Header{0, 0, "NAMED.MNG"}));
    EXPECT_EQ(manager.GetManagementHeader(20), (TLN_Management_Header{0, 128, "SIZED.MNG"}));
}
