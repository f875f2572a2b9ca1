// The rows the data-part families add to the node kind table: every kind with its view name and, where it
// has children, its builder, and its record view; a kind another family registered first keeps that family's
// row.
#include <gtest/gtest.h>

#include <cstring>

#include "KindHarness.h"
#include "mainwindow/model/kinds/KindFamilies.h"

namespace {

struct Row {
    int kind;
    const char* view;
    bool builder;
};

// clang-format off
const Row kRows[] = {
    {1400, "ShowRegionHeader", true}, {101, "ShowRegionHeader", true}, {1410, "ShowRegionLevel", true},
    {1420, "ShowRegionRecord", true}, {1421, "NextRegionPage", true}, {1430, "ShowRouteNodeRecord", true},
    {1440, "ShowRouteLinkRecord", false},
    {103, "ShowAllDataParametersHeader", true}, {1320, "ShowParametersHeader", true},
    {190, "ShowParameterManagement", true}, {191, "ShowColorPaletteTable", true}, {192, "ShowColor", false},
    {193, "ShowNotImplemented", false}, {194, "ShowLandmarkDataFrame", true},
    {196, "ShowLandmarkDataFrame", true}, {198, "ShowLandmarkDataFrame", true},
    {195, "ShowLandmarkPatternTable", false}, {197, "ShowLandmarkPatternTable2", false},
    {199, "ShowLandmarkPatternTable3", false},
    {1300, "ShowPictureAssignedManagements", true}, {130, "ShowPictureAssignedManagements", true},
    {99, "ShowMissingFile", false}, {13, "ShowNotImplemented", false},
    {1310, "ShowImageManagementHeader", true}, {105, "ShowImageManagementHeader", true},
    {1315, "ShowExtendedPictureHeader", false}, {126, "ShowExtendedPictureHeader", false},
    {1200, "ShowPaletteSets", false}, {1210, "ShowPaletteSet", false}, {1201, "ShowPaletteSets", false},
    {1220, "ShowColorTable", false}, {1202, "ShowImageDataCount", true}, {1230, "ShowImageDataRecord", false},
    {1231, "NextImageDataPage", true},
    {1060, "ShowVoiceDistributionHeader", true}, {106, "ShowVoiceDistributionHeader", true},
    {1100, "ShowVoiceDistributionHeader", true}, {133, "ShowVoiceDistributionHeader", true},
    {200, "ShowVoiceOffsetManagementTable", true}, {201, "ShowVoiceOffsetManagementRecord", true},
    {202, "ShowVoiceOffsetTable", false}, {1110, "ShowVoiceInfo", true}, {1120, "ShowVoiceOffsetRecord", false},
    {1250, "ShowVoiceDictionaryHeader", true}, {125, "ShowVoiceDictionaryHeader", true},
    {1251, "ShowDictionaryLanguageRecord", true}, {1255, "ShowDictionaryInfoRecord", true},
    {1260, "ShowDictionaryGroupData", false},
    {1020, "ShowDataManagementFrameHeader", true}, {102, "ShowIndexDataHeader", true},
    {300, "ShowVolumeManagementRecord", false}, {301, "ShowPOIManagementRecord", false},
    {302, "ShowExpansionFieldRecord", false}, {303, "ShowCharacterInfoRecord", false},
    {305, "ShowDetailedPOIRecord", false}, {310, "ShowDetailedSearchRecord", false},
    {320, "ShowSearchFrame", false}, {330, "ShowNextLevel", false}, {340, "ShowNextLevel", false},
    {345, "ShowNextLevel", false}, {350, "ShowNextLevel", false}, {360, "ShowNextLevel", false},
    {370, "ShowNextLevel", false}, {380, "ShowNextLevel", false},
    {127, "ShowRdsTmcManagement", true}, {2100, "ShowTmcRegion", true}, {2110, "ShowTmcGroup", true},
    {2111, "NextTmcGroupPage", true}, {2120, "ShowTmcLocation", false}, {2121, "NextTmcLocationPage", true}, {2130, "ShowNotImplemented", false},
    {2140, "ShowNotImplemented", true}, {2150, "ShowNotImplemented", true}, {2160, "ShowNotImplemented", true},
    {2170, "ShowNotImplemented", false},
    {2180, "ShowTmcMessage", false}, {2190, "ShowTmcMessage", false}, {2200, "ShowTmcMessage", false},
    {129, "ShowLocalizationFrame", true}, {1600, "ShowAreaRecord", false},
    {131, "ShowManagementHeader", true}, {180, "ShowManagementHeader32", false},
    {120, "ShowManagementHeader32_5", false},
};
// clang-format on

// Kinds whose view another family builds (the missing-file view, the management header) or that show
// "not implemented" as the node kind table says; every other kind here has its record view.
bool viewBuiltHere(const Row& row) {
    for (const char* elsewhere : {"ShowNotImplemented", "ShowManagementHeader", "ShowMissingFile"})
        if (std::strcmp(row.view, elsewhere) == 0) return false;
    return true;
}

} // namespace

TEST(DataPartKindTable, EveryKindHasItsViewNameAndBuilder) {
    harness::KindHarness h;
    for (const Row& row : kRows) {
        ASSERT_TRUE(h.table.Has(row.kind)) << row.kind;
        const KindInfo& info = h.table.Resolve(row.kind);
        EXPECT_STREQ(info.viewName, row.view) << row.kind;
        EXPECT_EQ(bool(info.builder), row.builder) << row.kind;
        EXPECT_EQ(bool(info.view), viewBuiltHere(row)) << row.kind;
    }
    EXPECT_EQ(h.table.Rows().size(), std::size(kRows));
}

TEST(DataPartKindTable, AKindRegisteredBeforeKeepsItsRow) {
    NodeKinds table;
    int shown = 0;
    table.Register(KindInfo{99, "ShowMissingFile", [&](KindContext&, RecordNode&) { ++shown; }, {}});
    table.Register(KindInfo{106, "ShowNotImplemented", {}, {}});
    RegisterPictureKinds(table);
    RegisterVoiceKinds(table);
    EXPECT_TRUE(table.Resolve(99).view);
    EXPECT_STREQ(table.Resolve(99).viewName, "ShowMissingFile");
    // A row with only the default view name gets this family's name and builder.
    EXPECT_STREQ(table.Resolve(106).viewName, "ShowVoiceDistributionHeader");
    EXPECT_TRUE(table.Resolve(106).builder);
}
