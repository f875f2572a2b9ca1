// Produced maps pass the independent structural check, and the check finds the faults it is there for.
#include <gtest/gtest.h>

#include <filesystem>

#include "converter/levels/ExtraLevel.h"
#include "kiwi/map/KiwiMap.h"
#include "support/converter/ConversionTestSupport.h"
#include "support/converter/OutputValidator.h"

namespace {

std::string joined(const std::vector<std::string>& problems) {
    std::string text;
    for (const auto& p : problems)
        text += p + "\n";
    return text;
}

} // namespace

TEST(OutputValidator, ConvertedMapsAreStructurallySound) {
    struct Case {
        const char* name;
        fixture::AllDataPlan plan;
        bool extra;
        // The extra level asked for is made (else the map is as without it, and the run says why).
        bool extraMade;
    };
    const Case cases[] = {{"v-small", fixture::smallAllDataPlan(), false, false},
                          {"v-extra", convtest::detailedLast(fixture::smallAllDataPlan()), true, true},
                          {"v-extra-crowded", convtest::crowdedManagementPlan(), true, false},
                          {"v-frames8", fixture::framesAllDataPlan(true), false, false},
                          {"v-large", fixture::largeAllDataPlan(2), false, false}};
    for (const Case& c : cases) {
        const auto f = convtest::makeSource(c.name, c.plan);
        ConversionOptions options;
        options.addExtraLevel = c.extra;
        const ConversionResult result = convtest::convert(f.allData, f.output, options);
        ASSERT_EQ(result.status, ConversionStatus::Done) << c.name;
        const auto out = convtest::readFile(f.output + "/ALLDATA.KWI");
        const auto v = convtest::validateOutput(out);
        EXPECT_TRUE(v.problems.empty()) << c.name << "\n" << joined(v.problems);
        EXPECT_GT(v.frames, 10) << c.name;
        EXPECT_GT(v.blocks, 2) << c.name;
        EXPECT_EQ(TLN_KiwiMap(f.output + "/ALLDATA.KWI").LevelCount(),
                  TLN_KiwiMap(f.allData).LevelCount() + (c.extraMade ? 1u : 0u))
            << c.name << ", management data of " << TLN_KiwiMap(f.allData).GetManagementHeader(0).Size;
        // Known before the run, for the wizard to say.
        TLN_KiwiMap source(f.allData);
        EXPECT_EQ(!ExtraLevelRoomShortage(source).why, !c.extra || c.extraMade) << c.name;
        if (!c.extra || c.extraMade) {
            EXPECT_TRUE(result.notes.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(result.notes.size(), 1u) << c.name;
        EXPECT_EQ(result.notes[0].why.Code(), FailureCode::ExtraLevelNotCreatedNoRoom) << result.notes[0].why;
        // Byte for byte the map made without the option.
        options.addExtraLevel = false;
        const std::string plain = f.output + "-plain";
        std::filesystem::create_directories(plain);
        ASSERT_EQ(convtest::convert(f.allData, plain, options).status, ConversionStatus::Done);
        EXPECT_TRUE(out == convtest::readFile(plain + "/ALLDATA.KWI")) << c.name;
    }
}

TEST(OutputValidator, FindsZeroGuidanceRecordsAndStrayReferences) {
    const auto f = convtest::makeSource("v-faults", fixture::smallAllDataPlan());
    ASSERT_EQ(convtest::convert(f.allData, f.output).status, ConversionStatus::Done);
    const auto good = convtest::readFile(f.output + "/ALLDATA.KWI");
    const auto v = convtest::validateOutput(good);
    ASSERT_TRUE(v.problems.empty()) << joined(v.problems);
    ASSERT_GT(v.guidanceFrames, 0);
    TLN_KiwiMap map(f.output + "/ALLDATA.KWI");
    TLN_Block_Management_Record block;
    TLN_Parcel_Management_Info info;
    TLN_MM_Parcel_Managenent_Record parcel;
    ASSERT_TRUE(map.ReadBlock(0, 0, 0, block));
    ASSERT_TRUE(map.ReadParcelManagement(block.Stream, 0, info, block.Address));
    ASSERT_TRUE(map.ReadParcel(block.Stream, 0, 0, parcel, false, block.Address));
    // The guidance record of the parcel without a frame left as zeros, as the literal reading wrote it.
    auto zeroed = good;
    std::fill_n(zeroed.begin() + std::ptrdiff_t(info.RouteGuidanceListPosition + 18), 6, uint8_t(0));
    EXPECT_FALSE(convtest::validateOutput(zeroed).problems.empty());
    // A main frame's guidance reference left pointing where the frame was in the source.
    auto stray = good;
    const auto source = convtest::readFile(f.allData);
    TLN_KiwiMap old(f.allData);
    TLN_Block_Management_Record oldBlock;
    TLN_MM_Parcel_Managenent_Record oldParcel;
    ASSERT_TRUE(old.ReadBlock(0, 0, 0, oldBlock));
    ASSERT_TRUE(old.ReadParcel(oldBlock.Stream, 0, 0, oldParcel, false, oldBlock.Address));
    std::copy_n(source.begin() + oldParcel.Address + 28, 6, stray.begin() + parcel.Address + 28);
    EXPECT_FALSE(convtest::validateOutput(stray).problems.empty());
}
