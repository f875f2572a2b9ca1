// The data volume's level list of the new map holds level codes (a level record's first byte / 4), the
// extra level as FE, and keeps them when the new map is converted again.
#include <gtest/gtest.h>

#include "support/converter/ConversionTestSupport.h"
#include "support/fixtures/FixtureWriter.h"

namespace {

// Three levels whose records start with 08, 04 and 00: level codes 2, 1 and 0, the most detailed last.
fixture::AllDataPlan threeLevelPlan() {
    fixture::AllDataPlan plan = fixture::largeAllDataPlan(1);
    plan.levels[0].blocks = {2, 2};
    plan.levels[0].parcels = {2, 2};
    plan.levels[0].divisions[0] = {2, 2};
    fixture::LevelPlan level = plan.levels[0];
    plan.levels = {level, level, level};
    for (size_t i = 0; i < 3; ++i)
        plan.levels[i].codeByte = uint8_t(8 - 4 * i);
    return plan;
}

// The level codes of data type 1 in the data volume record (bytes 494 on).
std::vector<int> levelCodes(const std::vector<uint8_t>& file) {
    EXPECT_EQ(file[494], 1) << "data type 1 comes first";
    std::vector<int> codes;
    for (int i = 0; i < file[495]; ++i)
        codes.push_back(file[size_t(496 + 4 * i)]);
    return codes;
}

} // namespace

TEST(LevelTable, HoldsLevelCodesAndTheExtraLevelAsFE) {
    const auto f = convtest::makeSource("level-codes", threeLevelPlan());
    EXPECT_EQ(levelCodes(convtest::readFile(f.allData)), (std::vector<int>{2, 1, 0})) << "the source's own";
    ConversionOptions options;
    options.addExtraLevel = true;
    ASSERT_EQ(convtest::convert(f.allData, f.output, options).status, ConversionStatus::Done);
    const auto first = convtest::readFile(f.output + "/ALLDATA.KWI");
    EXPECT_EQ(levelCodes(first), (std::vector<int>{2, 1, 0, 0xFE}));
    // The extra level's record byte is F8 (code -2); converted again it stays FE, not F8.
    ASSERT_EQ(first[size_t(8192 + 30 + 3 * 52)], 0xF8);
    const std::string again = f.output + "/../again";
    fixture::writeFile(again + "/.keep", {});
    std::remove((again + "/.keep").c_str());
    ASSERT_EQ(convtest::convert(f.output + "/ALLDATA.KWI", again).status, ConversionStatus::Done);
    EXPECT_EQ(levelCodes(convtest::readFile(again + "/ALLDATA.KWI")), (std::vector<int>{2, 1, 0, 0xFE}));
}
