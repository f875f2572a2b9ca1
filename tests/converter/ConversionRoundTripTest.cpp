// The new map read back by our own readers: every kept parcel's frames equal the source's (but for the
// references the run re-points), shared frames stay shared, two runs give the same bytes, the source is
// never touched.
#include <gtest/gtest.h>

#include <set>

#include "converter/MapComparison.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/CmpFixture.h"
#include "support/fixtures/FixtureWriter.h"

TEST(ConversionRoundTrip, SmallMapReadsBackEqual) {
    const auto f = convtest::makeSource("small", fixture::smallAllDataPlan());
    const auto before = convtest::snapshot(f.source);
    const ConversionResult result = convtest::convert(f.allData, f.output);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    const ComparedCounts counts = compareMaps(f.allData, f.output + "/ALLDATA.KWI");
    EXPECT_GT(counts.parcels, 20);
    EXPECT_GT(counts.guidance, 0);
    EXPECT_EQ(convtest::snapshot(f.source), before) << "the source folder changed";
    const auto out = convtest::snapshot(f.output);
    EXPECT_EQ(out.size(), 2u) << "only ALLDATA.KWI and Log.txt";
    EXPECT_TRUE(out.count("Log.txt"));
    EXPECT_EQ(out.at("ALLDATA.KWI").size() % 32, 0u);
}

TEST(ConversionRoundTrip, FramesMapsOfBothSystemNumberWidths) {
    for (bool wide : {false, true}) {
        const auto f = convtest::makeSource(wide ? "frames8" : "frames2", fixture::framesAllDataPlan(wide));
        const ConversionResult result = convtest::convert(f.allData, f.output);
        ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
        EXPECT_GT(compareMaps(f.allData, f.output + "/ALLDATA.KWI").parcels, 20) << wide;
    }
}

TEST(ConversionRoundTrip, TwoRunsGiveIdenticalBytes) {
    const auto f = convtest::makeSource("twice", fixture::smallAllDataPlan());
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    const auto first = convtest::readFile(f.output + "/ALLDATA.KWI");
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    EXPECT_EQ(convtest::readFile(f.output + "/ALLDATA.KWI"), first);
}

TEST(ConversionRoundTrip, HeaderAndLevelTable) {
    const auto f = convtest::makeSource("header", fixture::smallAllDataPlan());
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    const auto in = convtest::readFile(f.allData);
    const auto out = convtest::readFile(f.output + "/ALLDATA.KWI");
    // The data volume record outside the level lists and the header table is the source's.
    EXPECT_TRUE(std::equal(in.begin(), in.begin() + 492, out.begin()));
    EXPECT_TRUE(std::equal(in.begin() + 750, in.begin() + 2048, out.begin() + 750));
    // Header 0: the management data at 8192, its stored size kept; File Name Designation cleared.
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 2048, out.begin() + 2052),
              (std::vector<uint8_t>{0, 0, 4, 0}));
    EXPECT_EQ(out[2052], in[2052]);
    EXPECT_EQ(out[2053], in[2053]);
    EXPECT_EQ(out[8196], 0);
    EXPECT_EQ(out[8197], 0);
    EXPECT_EQ(out[8217], 3);
    // Data type 1 with both levels, then the fixed data types 2 and 3.
    EXPECT_EQ(out[493], 3);
    EXPECT_EQ(out[494], 1);
    EXPECT_EQ(out[495], 2);
}

TEST(ConversionRoundTrip, GuidanceRecordsWithoutAFrameAreEmptyReferences) {
    const auto f = convtest::makeSource("guide-empty", fixture::smallAllDataPlan());
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    TLN_KiwiMap output(f.output + "/ALLDATA.KWI");
    TLN_Block_Management_Record block;
    ASSERT_TRUE(output.ReadBlock(0, 0, 0, block));
    TLN_Parcel_Management_Info info;
    ASSERT_TRUE(output.ReadParcelManagement(block.Stream, 0, info, block.Address));
    ASSERT_GE(info.RouteGuidanceListPosition, 0);
    // Parcel 3 of the block has no frame at all: its guidance record is FF FF FF FF 00 00, not zeros.
    uint8_t record[6] = {};
    block.Stream->ReadExactAt(info.RouteGuidanceListPosition + 6 * 3, record, 6);
    EXPECT_EQ(std::vector<uint8_t>(record, record + 6), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    for (uint32_t i = 0; i < info.StoredRecordCount; ++i) {
        block.Stream->ReadExactAt(info.RouteGuidanceListPosition + 6 * i, record, 6);
        EXPECT_NE(std::vector<uint8_t>(record, record + 6), std::vector<uint8_t>(6, 0)) << i;
    }
}

TEST(ConversionRoundTrip, CompressedSourceConvertsLikeItsPlainCopy) {
    const auto plain = convtest::makeSource("plain", fixture::smallAllDataPlan());
    ASSERT_EQ(convtest::convert(plain.allData, plain.output).status, ConversionStatus::Done);
    const auto expected = convtest::readFile(plain.output + "/ALLDATA.KWI");

    const auto packed = convtest::makeSource("packed", fixture::smallAllDataPlan());
    fixture::CmpListEntryPlan entry;
    entry.name = "ALLDATA.KWI";
    entry.type = 2;
    const auto content = convtest::readFile(packed.allData);
    fixture::writeFile(packed.allData, fixture::buildCmpDataFile(content, entry));
    fixture::writeFile(packed.source + "/05.CMP", fixture::buildCmpList({entry}));
    const auto before = convtest::snapshot(packed.source);
    const ConversionResult result = convtest::convert(packed.allData, packed.output);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_EQ(convtest::readFile(packed.output + "/ALLDATA.KWI"), expected);
    EXPECT_EQ(convtest::snapshot(packed.source), before);
    // The new list differs from the source's only in the entry's six bytes, which no longer name a
    // compressed file: the new map reads plainly through it.
    const auto oldList = convtest::readFile(packed.source + "/05.CMP");
    const auto newList = convtest::readFile(packed.output + "/05.CMP");
    ASSERT_EQ(newList.size(), oldList.size());
    std::vector<size_t> changed;
    for (size_t i = 0; i < oldList.size(); ++i)
        if (oldList[i] != newList[i]) changed.push_back(i);
    ASSERT_FALSE(changed.empty());
    EXPECT_LE(changed.back() - changed.front(), 5u);
    for (size_t i = changed.front(); i <= changed.back(); ++i)
        EXPECT_EQ(newList[i], 0);
    EXPECT_FALSE(TLN_DecompFileStream::Create(packed.output + "/ALLDATA.KWI")->Listed());
    EXPECT_EQ(compareMaps(packed.allData, packed.output + "/ALLDATA.KWI").parcels,
              compareMaps(plain.allData, plain.output + "/ALLDATA.KWI").parcels);
}

TEST(ConversionRoundTrip, ExtraLevelAddsADetailedLevelAndMovesEveryTable) {
    const auto f = convtest::makeSource("extra", convtest::detailedLast(fixture::smallAllDataPlan()));
    ConversionOptions options;
    options.addExtraLevel = true;
    const ConversionResult result = convtest::convert(f.allData, f.output, options);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_GT(compareMaps(f.allData, f.output + "/ALLDATA.KWI", 1).parcels, 20);

    TLN_KiwiMap source(f.allData);
    TLN_KiwiMap output(f.output + "/ALLDATA.KWI");
    ASSERT_EQ(output.LevelCount(), 3u);
    const auto out = convtest::readFile(f.output + "/ALLDATA.KWI");
    const int64_t R = source.LevelRecordSize();
    const size_t newRecord = size_t(8192 + 30 + 2 * R);
    const std::vector<uint8_t> fixed = {0xF8, 0x20, 0x33, 0x00, 0x00, 0x00, 0x09, 0xC4};
    EXPECT_TRUE(std::equal(fixed.begin(), fixed.end(), out.begin() + std::ptrdiff_t(newRecord)));
    // Block sets as the last level's, four times its blocks per block set on each axis, its parcels.
    const auto& last = *source.Level(1);
    const auto& extra = *output.Level(2);
    EXPECT_EQ(extra.BlockSets, last.BlockSets);
    EXPECT_EQ(extra.Blocks.X, 4 * last.Blocks.X);
    EXPECT_EQ(extra.Blocks.Y, 4 * last.Blocks.Y);
    EXPECT_EQ(extra.Parcels, last.Parcels);
    EXPECT_EQ(extra.Scales[0], 2500u);
    EXPECT_EQ(output.Level(1)->Scales[3], 2500u);
    EXPECT_EQ(out[size_t(8192 + 30 + R + 1)], 0x22);
    // Its block set records are empty but the one the imported arrow lies in, whose block table follows the
    // old ones; the old levels' block sets and blocks read as before.
    const uint32_t newSets = uint32_t(last.BlockSetCount());
    EXPECT_EQ(output.BlockSetRecordCount(), source.BlockSetRecordCount() + newSets);
    const size_t firstNew =
        size_t(8192 + 30 + 3 * R + source.BlockSetRecordCount() * source.BlockSetRecordSize());
    int filled = 0;
    for (uint32_t i = 0; i < newSets; ++i) {
        TLN_BlockSet_Management_Record set;
        if (output.ReadBlockSet(2, i, set) && ++filled) continue;
        const std::vector<uint8_t> expected = {0xF8, uint8_t(i), 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
        EXPECT_TRUE(
            std::equal(expected.begin(), expected.end(), out.begin() + std::ptrdiff_t(firstNew + 10 * i)));
    }
    EXPECT_EQ(filled, 1);
    // The level table ends with the extra level (code byte FE, the arrow's block).
    EXPECT_EQ(out[495], 3);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 496 + 8, out.begin() + 496 + 12),
              (std::vector<uint8_t>{0xFE, 0, 0, 1}));
    // Header 0 and the word at 8192 follow the grown management data.
    const uint32_t grown =
        uint32_t(source.GetManagementHeader(0).Size + R + newSets * 10 + 6 * extra.Blocks.X * extra.Blocks.Y);
    EXPECT_EQ(output.GetManagementHeader(0).Size, AlignUp32(grown));
}

TEST(ConversionRoundTrip, ExtraLevelIsRefusedWhenItsBlockCountsWouldWrap) {
    fixture::AllDataPlan plan = fixture::largeAllDataPlan(1);
    plan.levels[0].blocks = {65, 1};
    plan.levels[0].parcels = {1, 1};
    plan.levels[0].divisions[0] = {1, 1};
    const auto f = convtest::makeSource("extra-wrap", plan);
    ConversionOptions options;
    options.addExtraLevel = true;
    const ConversionResult result = convtest::convert(f.allData, f.output, options);
    EXPECT_EQ(result.status, ConversionStatus::Refused);
    EXPECT_NE(result.message.find("64 blocks"), std::string::npos) << result.message;
    EXPECT_TRUE(convtest::snapshot(f.output).empty());
}

TEST(ConversionRoundTrip, ConvertingTheNewMapAgainChangesNothing) {
    const auto f = convtest::makeSource("again", fixture::smallAllDataPlan());
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    const std::string second = f.output + "/../again2";
    fixture::writeFile(second + "/.keep", {});
    std::remove((second + "/.keep").c_str());
    ASSERT_EQ(convtest::convert(f.output + "/ALLDATA.KWI", second).status, ConversionStatus::Done);
    EXPECT_EQ(convtest::readFile(second + "/ALLDATA.KWI"), convtest::readFile(f.output + "/ALLDATA.KWI"));
}

// Sources read through each other kind of list: byte-pair and segmented blocks in "05.CMP", a type-1 entry
// of "06.CMP" (gzip blocks), and "13.CMP" with zlib and stored blocks. Every one converts to the bytes of
// the plain source's conversion; the new list keeps the source list's name and differs from it only in
// the entry's six bytes, and a "13.CMP" (whose entries cannot say "not compressed") gets no new list.
class CompressedSource : public testing::TestWithParam<fixture::CmpLayout> {};

// The small map with frames large enough that "ALLDATA.KWI" spans several 64 KiB blocks (and segments).
fixture::AllDataPlan severalBlocksPlan() {
    fixture::AllDataPlan plan = fixture::smallAllDataPlan();
    plan.frameBodyBytes = 16384;
    return plan;
}

TEST_P(CompressedSource, ConvertsLikeThePlainCopy) {
    static const std::vector<uint8_t> expected = [] {
        const auto plain = convtest::makeSource("plain-kinds", severalBlocksPlan());
        EXPECT_EQ(convtest::convert(plain.allData, plain.output).status, ConversionStatus::Done);
        return convtest::readFile(plain.output + "/ALLDATA.KWI");
    }();
    const std::string name = fixture::cmpLayoutName(GetParam());
    const auto packed = convtest::makeSource("packed-" + name, severalBlocksPlan());
    ASSERT_GT(convtest::readFile(packed.allData).size(), 4u * 65536);
    const auto files =
        fixture::writeCmpLayout(packed.source, GetParam(), "ALLDATA.KWI", convtest::readFile(packed.allData));
    ASSERT_TRUE(TLN_DecompFileStream::Create(packed.allData)->Listed()) << name;
    const auto before = convtest::snapshot(packed.source);
    const ConversionResult result = convtest::convert(packed.allData, packed.output);
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    EXPECT_EQ(convtest::readFile(packed.output + "/ALLDATA.KWI"), expected) << name;
    EXPECT_EQ(convtest::snapshot(packed.source), before);

    const std::string listName = files.listPath.substr(files.listPath.find_last_of('/') + 1);
    const auto out = convtest::snapshot(packed.output);
    if (listName == "13.CMP") {
        EXPECT_EQ(result.newCmpList, "");
        for (const auto& [file, bytes] : out)
            EXPECT_EQ(file.find(".CMP"), std::string::npos) << file;
        const auto log = out.at("Log.txt");
        EXPECT_NE(std::string(log.begin(), log.end()).find("WARNING: 13.CMP"), std::string::npos);
        return;
    }
    ASSERT_TRUE(out.count(listName)) << listName;
    EXPECT_EQ(result.newCmpList, packed.output + "/" + listName);
    const auto oldList = convtest::readFile(files.listPath);
    const auto& newList = out.at(listName);
    ASSERT_EQ(newList.size(), oldList.size());
    std::vector<size_t> changed;
    for (size_t i = 0; i < oldList.size(); ++i)
        if (oldList[i] != newList[i]) changed.push_back(i);
    ASSERT_FALSE(changed.empty());
    EXPECT_LE(changed.back() - changed.front(), 5u);
    for (size_t i : changed)
        EXPECT_EQ(newList[i], 0);
    EXPECT_FALSE(TLN_DecompFileStream::Create(packed.output + "/ALLDATA.KWI")->Listed());
}

INSTANTIATE_TEST_SUITE_P(ConversionRoundTrip, CompressedSource,
                         testing::Values(fixture::CmpLayout::Bpe05, fixture::CmpLayout::Segmented258,
                                         fixture::CmpLayout::Type1In06, fixture::CmpLayout::Zlib13,
                                         fixture::CmpLayout::Zlib13Stored),
                         [](const testing::TestParamInfo<fixture::CmpLayout>& instance) {
                             return std::string(fixture::cmpLayoutName(instance.param));
                         });

TEST(ConversionRoundTrip, ListAboveTheSourceIsWrittenUnderANameThatSaysSo) {
    const std::string root = fixture::scratchDir("convert-upper-list");
    const auto image = fixture::buildAllData(fixture::smallAllDataPlan());
    fixture::writeAllData(image, root + "/maps/SRC");
    fixture::CmpListEntryPlan entry;
    entry.name = "SRC/ALLDATA.KWI";
    entry.type = 2;
    fixture::writeFile(root + "/maps/SRC/ALLDATA.KWI", fixture::buildCmpDataFile(image.allData, entry));
    fixture::writeFile(root + "/maps/05.CMP", fixture::buildCmpList({entry}));
    fixture::writeFile(root + "/out/.keep", {});
    std::remove((root + "/out/.keep").c_str());
    const ConversionResult result = convtest::convert(root + "/maps/SRC/ALLDATA.KWI", root + "/out");
    ASSERT_EQ(result.status, ConversionStatus::Done) << result.message;
    const auto out = convtest::snapshot(root + "/out");
    EXPECT_TRUE(out.count("(Rename and place this file in upper folder)05.CMP"));
    EXPECT_FALSE(out.count("05.CMP"));
    // The list is announced where it is made: after the management data, before the summary.
    const auto& bytes = out.at("Log.txt");
    const std::string log(bytes.begin(), bytes.end());
    const std::string said = "\r\n\r\nNew file 05.CMP has been created:\r\n" + root +
                             "/out/(Rename and place this file in upper folder)05.CMP\r\n";
    const size_t at = log.find(said);
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_LT(at, log.find("Target platform: "));
    // The folder that holds the list is guarded like the source's own.
    EXPECT_EQ(convtest::convert(root + "/maps/SRC/ALLDATA.KWI", root + "/maps").status,
              ConversionStatus::Refused);
}

TEST(ConversionRoundTrip, PlainSourceLeavesNoListInTheOutputFolder) {
    const auto f = convtest::makeSource("stale-list", fixture::smallAllDataPlan());
    fixture::writeFile(f.output + "/05.cmp", {0, 0, 0, 1});
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    EXPECT_FALSE(convtest::snapshot(f.output).count("05.cmp"));
}
