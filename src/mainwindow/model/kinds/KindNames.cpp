// Every kind code of the record tree with the name of its record view: the table starts from this list so
// that a kind whose view is not built yet still resolves to its own name (and shows "not implemented").
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/kinds/KindFamilies.h"

namespace {

struct KindName {
    int kind;
    const char* viewName;
};

constexpr const char* kNotImplemented = "ShowNotImplemented";
constexpr const char* kManagementHeader = "ShowManagementHeader";

constexpr KindName kKindNames[] = {
    // Roots.
    {1, "ShowLoadingFrame"},
    {4, "ShowCompressionFrame"},
    {7, "ShowDataVolume"},
    {1020, "ShowDataManagementFrameHeader"},
    {1060, "ShowVoiceDistributionHeader"},
    {1100, "ShowVoiceDistributionHeader"},
    {1250, "ShowVoiceDictionaryHeader"},
    {1300, "ShowPictureAssignedManagements"},
    {1400, "ShowRegionHeader"},
    {1500, "ShowCoverageInfo"},
    // LOADING.KWI, CMP lists, COVERAGE.BIN.
    {2, "ShowSystemInfo"},
    {3, "ShowModuleInfo"},
    {2000, "ShowUnitInfo"},
    {5, "ShowCompressionInfo"},
    {1510, "ShowCoverageItem"},
    // ALLDATA management header records with views of their own (the others of 100..163 are named by
    // RegisterAllDataKinds).
    {100, "ShowMainMapDataManagement"},
    {101, "ShowRegionHeader"},
    {102, "ShowIndexDataHeader"},
    {103, "ShowAllDataParametersHeader"},
    {104, kManagementHeader},
    {105, "ShowImageManagementHeader"},
    {106, "ShowVoiceDistributionHeader"},
    {118, kManagementHeader},
    {120, "ShowManagementHeader32_5"},
    {125, "ShowVoiceDictionaryHeader"},
    {126, "ShowExtendedPictureHeader"},
    {127, "ShowRdsTmcManagement"},
    {129, "ShowLocalizationFrame"},
    {130, "ShowPictureAssignedManagements"},
    {131, kManagementHeader},
    {133, "ShowVoiceDistributionHeader"},
    // Main map.
    {9, "ShowLevelRecord"},
    {10, "ShowBlockSetRecord"},
    {11, "ShowBlockRecord"},
    {12, "ShowParcelManagement"},
    {14, "ShowMainMapHeader"},
    {15, "ShowRoadFrame"},
    {16, "ShowBackgroundFrame"},
    {17, "ShowNameFrame"},
    {18, kNotImplemented},
    {19, kNotImplemented},
    {13, kNotImplemented},
    {kKindUnknownFrame, kNotImplemented},
    {2300, "ShowInfraLinkFrame"},
    {40, "ShowRouteGuidanceHeader"},
    {23, "ShowRoadDisplayClass"},
    {25, "ShowMultiLink"},
    {26, "ShowLinkNodeConnection"},
    {27, "ShowElementManagement"},
    {28, "ShowBackgroundTypeUnit"},
    {29, "ShowMinimumGraphics"},
    {30, "ShowNameManagement"},
    {31, "ShowNameRecord"},
    {41, "ShowGuidanceFrame"},
    {42, "ShowStringFrame"},
    {43, kNotImplemented},
    {44, kNotImplemented},
    {45, kNotImplemented},
    {431, kNotImplemented},
    {432, kNotImplemented},
    {433, "ShowTowardName"},
    {434, kNotImplemented},
    {435, "ShowDirectionIndicator"},
    {436, "ShowRoadStructure"},
    {437, kNotImplemented},
    {438, kNotImplemented},
    {46, "ShowStringRecord"},
    {2310, "ShowInfraLinkReference"},
    {2320, "ShowMeshInformation"},
    {2330, "ShowInfraLinkCount"},
    {2340, "ShowInfraLinkRecord"},
    {2350, "ShowRoadLinkCorresponding"},
    // Route planning.
    {1410, "ShowRegionLevel"},
    {1420, "ShowRegionRecord"},
    {1421, "NextRegionPage"},
    {1430, "ShowRouteNodeRecord"},
    {1440, "ShowRouteLinkRecord"},
    // Parameters.
    {190, "ShowParameterManagement"},
    {191, "ShowColorPaletteTable"},
    {192, "ShowColor"},
    {193, kNotImplemented},
    {194, "ShowLandmarkDataFrame"},
    {196, "ShowLandmarkDataFrame"},
    {198, "ShowLandmarkDataFrame"},
    {195, "ShowLandmarkPatternTable"},
    {197, "ShowLandmarkPatternTable2"},
    {199, "ShowLandmarkPatternTable3"},
    {1320, "ShowParametersHeader"},
    // Pictures.
    {99, "ShowMissingFile"},
    {1310, "ShowImageManagementHeader"},
    {1315, "ShowExtendedPictureHeader"},
    {1200, "ShowPaletteSets"},
    {1210, "ShowPaletteSet"},
    {1201, "ShowPaletteSets"},
    {1220, "ShowColorTable"},
    {1202, "ShowImageDataCount"},
    {1230, "ShowImageDataRecord"},
    {1231, "NextImageDataPage"},
    // Voice.
    {200, "ShowVoiceOffsetManagementTable"},
    {201, "ShowVoiceOffsetManagementRecord"},
    {202, "ShowVoiceOffsetTable"},
    {1110, "ShowVoiceInfo"},
    {1120, "ShowVoiceOffsetRecord"},
    {1251, "ShowDictionaryLanguageRecord"},
    {1255, "ShowDictionaryInfoRecord"},
    {1260, "ShowDictionaryGroupData"},
    // Index data.
    {300, "ShowVolumeManagementRecord"},
    {301, "ShowPOIManagementRecord"},
    {302, "ShowExpansionFieldRecord"},
    {303, "ShowCharacterInfoRecord"},
    {305, "ShowDetailedPOIRecord"},
    {310, "ShowDetailedSearchRecord"},
    {320, "ShowSearchFrame"},
    {330, "ShowNextLevel"},
    {340, "ShowNextLevel"},
    {345, "ShowNextLevel"},
    {350, "ShowNextLevel"},
    {360, "ShowNextLevel"},
    {370, "ShowNextLevel"},
    {380, "ShowNextLevel"},
    // RDS-TMC.
    {2130, kNotImplemented},
    {2140, kNotImplemented},
    {2150, kNotImplemented},
    {2160, kNotImplemented},
    {2170, kNotImplemented},
    {2100, "ShowTmcRegion"},
    {2110, "ShowTmcGroup"},
    {2111, "NextTmcGroupPage"},
    {2120, "ShowTmcLocation"},
    {2121, "NextTmcLocationPage"},
    {2180, "ShowTmcMessage"},
    {2190, "ShowTmcMessage"},
    {2200, "ShowTmcMessage"},
    // Localisation and management 32.
    {1600, "ShowAreaRecord"},
    {180, "ShowManagementHeader32"},
};

} // namespace

void RegisterKindNames(NodeKinds& table) {
    // Every management header record has a row: those without a view of their own show the header.
    for (int kind = 100; kind <= 163; ++kind)
        table.Name(kind, kManagementHeader);
    for (const KindName& entry : kKindNames)
        table.Name(entry.kind, entry.viewName);
}
