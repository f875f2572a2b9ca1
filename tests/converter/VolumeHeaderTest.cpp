// Tests of the data volume record of the new map: target records, stamps, the coverage edge, the level
// table.
#include <gtest/gtest.h>

#include "converter/output/VolumeHeader.h"
#include "converter/source/VolumeTemplates.h"
#include "kiwi/io/MemoryStream.h"

namespace {

std::vector<uint8_t> headerWith(const ConversionOptions& options) {
    TLN_MemoryStream out(std::vector<uint8_t>(1024, 0xEE));
    ConversionProgress progress;
    WriteVolumeHeader(out, options, progress);
    return out.Bytes();
}

} // namespace

TEST(VolumeHeader, OthersWithoutSystemIdLeavesTheRecordAlone) {
    const auto bytes = headerWith({});
    EXPECT_EQ(bytes, std::vector<uint8_t>(1024, 0xEE));
}

TEST(VolumeHeader, AisinAwRecordsAndSystemText) {
    ConversionOptions options;
    options.target = ConversionTarget::AisinAw;
    options.systemIdChecked = true;
    options.systemIdText = "AFEU:2.45";
    const auto bytes = headerWith(options);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12),
              (std::vector<uint8_t>{0x0F, 0x67, 0x88, 0x00, 0x3C, 0x47, 0x22, 0x00, 0x03, 0x00, 0x07, 0x22}));
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 21), "AFEU:2.45");
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 21, bytes.begin() + 64), std::vector<uint8_t>(43, 0));
    for (int at : {64, 128}) {
        EXPECT_EQ(bytes[size_t(at)], 0x0F);
        EXPECT_EQ(bytes[size_t(at + 11)], 0x66);
        EXPECT_EQ(std::string(bytes.begin() + at + 12, bytes.begin() + at + 20), "aisin-aw");
        EXPECT_EQ(bytes[size_t(at + 31)], 0);
    }
    EXPECT_EQ(bytes[160], 0xEE);
}

TEST(VolumeHeader, DateStampOfTenCharactersWritesTwentyThreeBytes) {
    ConversionOptions options;
    options.dateStamp = true;
    options.dateStampText = "26/12/07/00";
    options.dateStampText.resize(10);
    options.versionStamp = true;
    options.versionStampText = "V 26.01.05";
    const auto bytes = headerWith(options);
    EXPECT_EQ(std::string(bytes.begin() + 224, bytes.begin() + 247), "DATA VERSION 26/12/07/0");
    EXPECT_EQ(bytes[247], 0xEE);
    EXPECT_EQ(std::string(bytes.begin() + 424, bytes.begin() + 434), "V 26.01.05");
    EXPECT_EQ(bytes[434], 0xEE);
}

TEST(VolumeHeader, CoverageEdgeForEachTarget) {
    ConversionProgress progress;
    TLN_MemoryStream aisin(std::vector<uint8_t>(8220, 0));
    WriteCoverageEdge(aisin, ConversionTarget::AisinAw, 5000000, -5000000, progress);
    const int32_t wrapped = -5000000 + 10368000;
    const auto aisinBytes = aisin.Bytes();
    EXPECT_EQ(std::vector<uint8_t>(aisinBytes.begin() + 8209, aisinBytes.begin() + 8212),
              (std::vector<uint8_t>{uint8_t(wrapped >> 16), uint8_t(wrapped >> 8), uint8_t(wrapped)}));
    TLN_MemoryStream denso(std::vector<uint8_t>(8220, 0));
    WriteCoverageEdge(denso, ConversionTarget::Denso, 0, 6000000, progress);
    const int32_t magnitude = 10368000 - 6000000;
    const auto densoBytes = denso.Bytes();
    EXPECT_EQ(std::vector<uint8_t>(densoBytes.begin() + 8209, densoBytes.begin() + 8212),
              (std::vector<uint8_t>{uint8_t(0x80 | (magnitude >> 16)), uint8_t(magnitude >> 8),
                                    uint8_t(magnitude)}));
    TLN_MemoryStream others(std::vector<uint8_t>(8220, 0));
    WriteCoverageEdge(others, ConversionTarget::Others, 5000000, -5000000, progress);
    EXPECT_EQ(others.Bytes(), std::vector<uint8_t>(8220, 0));
    // An east edge the target cannot hold is left as it was, with a warning.
    TLN_MemoryStream wide(std::vector<uint8_t>(8220, 0));
    WriteCoverageEdge(wide, ConversionTarget::AisinAw, 5000000, -1000000, progress);
    EXPECT_EQ(wide.Bytes(), std::vector<uint8_t>(8220, 0));
}

TEST(VolumeHeader, LevelTableKeepsTheSourcesOtherDataTypes) {
    // Source: two data types, the main map's (type 1, one level) and type 6 with two levels.
    std::vector<uint8_t> source(1024, 0);
    const std::vector<uint8_t> old = {0, 2, 1, 1, 4, 0, 0, 9, 6, 2, 0x10, 0, 0, 1, 0x20, 0, 0, 2};
    std::copy(old.begin(), old.end(), source.begin() + 492);
    TLN_MemoryStream sourceStream(source);
    TLN_MemoryStream out(std::vector<uint8_t>(1024, 0));
    WriteLevelTable(out, sourceStream, {{4, 3}, {8, 1}, {0xFE, 0}});
    const auto bytes = out.Bytes();
    const std::vector<uint8_t> expected = {0, 2, 1, 3, 4, 0,    0, 3, 8, 0,    0, 1, 0xFE,
                                           0, 0, 0, 6, 2, 0x10, 0, 0, 1, 0x20, 0, 0, 2};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 492, bytes.begin() + 492 + 26), expected);
    // A source with one data type gets the fixed blocks of types 2 and 3.
    std::vector<uint8_t> single(1024, 0);
    single[493] = 1;
    TLN_MemoryStream singleStream(single);
    TLN_MemoryStream out2(std::vector<uint8_t>(1024, 0));
    WriteLevelTable(out2, singleStream, {{4, 3}});
    EXPECT_EQ(out2.Bytes()[493], 3);
    EXPECT_EQ(out2.Bytes()[500], 0x02);
    EXPECT_EQ(out2.Bytes()[523], 0x01);
}

TEST(VolumeHeader, TemplatesCarryTheirTextsAndNeverReachTheVolumeFields) {
    ASSERT_EQ(VolumeTemplateName(0), "AFEU23D");
    ASSERT_EQ(VolumeTemplateName(9), "AFJ21B");
    EXPECT_EQ(VolumeTemplate(9).size(), 1264u);
    EXPECT_EQ(VolumeTemplate(4).size(), 320u);
    EXPECT_TRUE(VolumeTemplate(16).empty());
    const auto eu = VolumeTemplate(4);
    EXPECT_EQ(std::string(eu.begin() + 12, eu.begin() + 32), "AFEU:4.04,AGEU:4.04\n");
    EXPECT_EQ(std::string(eu.begin() + 288, eu.begin() + 292), "RU \n");
    ConversionOptions options;
    options.systemIdChecked = true;
    options.systemIdIndex = 9;
    options.dateStamp = true;
    options.dateStampText = "26/12/07/01";
    TLN_MemoryStream out(std::vector<uint8_t>(1264, 0xEE));
    ConversionProgress progress;
    WriteVolumeHeader(out, options, progress);
    const auto bytes = out.Bytes();
    EXPECT_EQ(std::string(bytes.begin() + 160, bytes.begin() + 188), "FORMAT VERSION KIWI01-06-00\n");
    // The stamp comes after the template.
    EXPECT_EQ(std::string(bytes.begin() + 224, bytes.begin() + 248), "DATA VERSION 26/12/07/01");
    // The coverage, sector sizes and level lists past the first 320 bytes stay the new map's.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 320, bytes.end()), std::vector<uint8_t>(1264 - 320, 0xEE));
    EXPECT_EQ(progress.AllLines(), std::vector<std::string>{"Data Volume Header is written for AFJ21B"});
}
