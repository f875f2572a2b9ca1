// The node kind table against the kind tables of the record tree's design: every kind present with its
// view's name, the fallbacks for kinds without a row, and the builders this family provides.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "TreeTestSupport.h"
#include "mainwindow/model/NodeKinds.h"

namespace {

// Kind → view name, table by table.
const std::map<int, std::string>& expectedNames() {
    static const std::map<int, std::string> names = [] {
        std::map<int, std::string> n;
        const std::string ni = "ShowNotImplemented";
        // Roots.
        n[1] = "ShowLoadingFrame";
        n[4] = "ShowCompressionFrame";
        n[7] = "ShowDataVolume";
        n[1020] = "ShowDataManagementFrameHeader";
        n[1060] = n[1100] = "ShowVoiceDistributionHeader";
        n[1250] = "ShowVoiceDictionaryHeader";
        n[1300] = "ShowPictureAssignedManagements";
        n[1400] = "ShowRegionHeader";
        n[1500] = "ShowCoverageInfo";
        // LOADING.KWI, CMP and COVERAGE.BIN subtrees.
        n[2] = "ShowSystemInfo";
        n[3] = "ShowModuleInfo";
        n[2000] = "ShowUnitInfo";
        n[5] = "ShowCompressionInfo";
        n[1510] = "ShowCoverageItem";
        // ALLDATA management header records: every index has a row.
        for (int kind = 100; kind <= 163; ++kind)
            n[kind] = "ShowManagementHeader";
        n[100] = "ShowMainMapDataManagement";
        n[101] = "ShowRegionHeader";
        n[102] = "ShowIndexDataHeader";
        n[103] = "ShowAllDataParametersHeader";
        n[105] = "ShowImageManagementHeader";
        n[106] = "ShowVoiceDistributionHeader";
        n[120] = "ShowManagementHeader32_5";
        n[125] = "ShowVoiceDictionaryHeader";
        n[126] = "ShowExtendedPictureHeader";
        n[127] = "ShowRdsTmcManagement";
        n[129] = "ShowLocalizationFrame";
        n[130] = "ShowPictureAssignedManagements";
        n[133] = "ShowVoiceDistributionHeader";
        // Main map subtree.
        n[9] = "ShowLevelRecord";
        n[10] = "ShowBlockSetRecord";
        n[11] = "ShowBlockRecord";
        n[12] = "ShowParcelManagement";
        n[14] = "ShowMainMapHeader";
        n[15] = "ShowRoadFrame";
        n[16] = "ShowBackgroundFrame";
        n[17] = "ShowNameFrame";
        n[18] = n[19] = n[13] = ni;
        n[9000] = ni; // "Unknown" basic frames
        n[2300] = "ShowInfraLinkFrame";
        n[40] = "ShowRouteGuidanceHeader";
        n[23] = "ShowRoadDisplayClass";
        n[25] = "ShowMultiLink";
        n[26] = "ShowLinkNodeConnection";
        n[27] = "ShowElementManagement";
        n[28] = "ShowBackgroundTypeUnit";
        n[29] = "ShowMinimumGraphics";
        n[30] = "ShowNameManagement";
        n[31] = "ShowNameRecord";
        n[41] = "ShowGuidanceFrame";
        n[42] = "ShowStringFrame";
        n[43] = n[44] = n[45] = ni;
        n[431] = n[432] = n[434] = n[437] = n[438] = ni;
        n[433] = "ShowTowardName";
        n[435] = "ShowDirectionIndicator";
        n[436] = "ShowRoadStructure";
        n[46] = "ShowStringRecord";
        n[2310] = "ShowInfraLinkReference";
        n[2320] = "ShowMeshInformation";
        n[2330] = "ShowInfraLinkCount";
        n[2340] = "ShowInfraLinkRecord";
        n[2350] = "ShowRoadLinkCorresponding";
        // Route planning.
        n[1410] = "ShowRegionLevel";
        n[1420] = "ShowRegionRecord";
        n[1421] = "NextRegionPage";
        n[1430] = "ShowRouteNodeRecord";
        n[1440] = "ShowRouteLinkRecord";
        // Parameters.
        n[190] = "ShowParameterManagement";
        n[191] = "ShowColorPaletteTable";
        n[192] = "ShowColor";
        n[193] = ni;
        n[194] = n[196] = n[198] = "ShowLandmarkDataFrame";
        n[195] = "ShowLandmarkPatternTable";
        n[197] = "ShowLandmarkPatternTable2";
        n[199] = "ShowLandmarkPatternTable3";
        n[1320] = "ShowParametersHeader";
        // Pictures.
        n[99] = "ShowMissingFile";
        n[1310] = "ShowImageManagementHeader";
        n[1315] = "ShowExtendedPictureHeader";
        n[1200] = n[1201] = "ShowPaletteSets";
        n[1210] = "ShowPaletteSet";
        n[1220] = "ShowColorTable";
        n[1202] = "ShowImageDataCount";
        n[1230] = "ShowImageDataRecord";
        n[1231] = "NextImageDataPage";
        // Voice.
        n[200] = "ShowVoiceOffsetManagementTable";
        n[201] = "ShowVoiceOffsetManagementRecord";
        n[202] = "ShowVoiceOffsetTable";
        n[1110] = "ShowVoiceInfo";
        n[1120] = "ShowVoiceOffsetRecord";
        n[1251] = "ShowDictionaryLanguageRecord";
        n[1255] = "ShowDictionaryInfoRecord";
        n[1260] = "ShowDictionaryGroupData";
        // Index data.
        n[300] = "ShowVolumeManagementRecord";
        n[301] = "ShowPOIManagementRecord";
        n[302] = "ShowExpansionFieldRecord";
        n[303] = "ShowCharacterInfoRecord";
        n[305] = "ShowDetailedPOIRecord";
        n[310] = "ShowDetailedSearchRecord";
        n[320] = "ShowSearchFrame";
        for (int kind : {330, 340, 345, 350, 360, 370, 380})
            n[kind] = "ShowNextLevel";
        // RDS-TMC.
        n[2130] = n[2140] = n[2150] = n[2160] = n[2170] = ni;
        n[2100] = "ShowTmcRegion";
        n[2110] = "ShowTmcGroup";
        n[2120] = "ShowTmcLocation";
        n[2180] = n[2190] = n[2200] = "ShowTmcMessage";
        // Localisation and management 32.
        n[1600] = "ShowAreaRecord";
        n[180] = "ShowManagementHeader32";
        return n;
    }();
    return names;
}

TEST(NodeKinds, EveryKindHasItsRowWithTheViewNameOfTheKindTables) {
    const NodeKinds& table = NodeKinds::Table();
    for (const auto& [kind, name] : expectedNames()) {
        ASSERT_TRUE(table.Has(kind)) << "kind " << kind;
        EXPECT_EQ(table.Resolve(kind).viewName, name) << "kind " << kind;
        EXPECT_EQ(table.Resolve(kind).kind, kind);
    }
    // And no row the tables do not name.
    for (const auto& [kind, info] : table.Rows())
        EXPECT_EQ(expectedNames().count(kind), 1u) << "unexpected kind " << kind;
}

TEST(NodeKinds, KindsWithoutARowFallBack) {
    const NodeKinds& table = NodeKinds::Table();
    EXPECT_EQ(std::string(table.Resolve(kKindInvalid).viewName), "ShowInvalidData");
    for (int kind : {164, 170})
        EXPECT_EQ(std::string(table.Resolve(kind).viewName), "ShowManagementHeader") << kind;
    for (int kind : {0, 8, 171, 999, 5000})
        EXPECT_EQ(std::string(table.Resolve(kind).viewName), "ShowNotImplemented") << kind;
    // The unknown basic frame kind lies outside the real kinds and has no children.
    EXPECT_TRUE(table.Has(kKindUnknownFrame));
    EXPECT_FALSE(table.Resolve(kKindUnknownFrame).builder);
}

TEST(NodeKinds, TheBuildersOfTheHeaderAllDataAndMainMapFamiliesAreRegistered) {
    const NodeKinds& table = NodeKinds::Table();
    for (int kind : {1,  2,  3,  4,  1500, 7,  100, 9,  10, 11, 12,   14,   15,
                     23, 25, 16, 27, 28,   17, 30,  40, 41, 42, 2300, 2320, 2340})
        EXPECT_TRUE(table.Resolve(kind).builder) << "kind " << kind;
    for (int kind : {18, 19, 13, 26, 29, 31, 46, 2000, 5, 1510, 2350})
        EXPECT_FALSE(table.Resolve(kind).builder) << "kind " << kind;
}

TEST(NodeKinds, ShowClearsTheGridAndAnUnbuiltViewIsNotImplemented) {
    const NodeKinds& table = NodeKinds::Table();
    treetest::Workbench bench;
    bench.grid.AddTextRow(QStringLiteral("left over"), QStringLiteral("x"));
    bench.grid.SetVirtualRows(10, [](int, int, QString&) { return false; });
    // Kind 18 has a row whose view is not built.
    auto node = RecordNode::MakeChild(nullptr, 18, QStringLiteral("Additional A"));
    table.Show(bench.context, *node);
    EXPECT_EQ(bench.gridModel.FirstVirtualRow(), FieldGridModel::kNoVirtualRows);
    ASSERT_EQ(bench.gridModel.StoredRowCount(), 1);
    EXPECT_EQ(bench.cell(0, 0), "Sorry. Not Implimented");
    EXPECT_EQ(bench.cell(0, 1), "Additional A");
    // Kind 164 falls back on the management header view.
    auto spare = RecordNode::MakeChild(nullptr, 164, QStringLiteral("Management 65"), 64);
    table.Show(bench.context, *spare);
    EXPECT_EQ(bench.cell(0, 0), "         < Management Header Record 65 >");

    // Register keeps a kind's name when given none, and replaces it when given one.
    NodeKinds own;
    own.Name(1400, "ShowRegionHeader");
    own.Register({1400, nullptr, {}, {}});
    EXPECT_EQ(std::string(own.Resolve(1400).viewName), "ShowRegionHeader");
    own.Register({1400, "ShowOther", {}, {}});
    EXPECT_EQ(std::string(own.Resolve(1400).viewName), "ShowOther");
}

} // namespace
