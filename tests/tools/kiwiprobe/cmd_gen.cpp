// kiwiprobe gen-voice / gen-loading / gen-source: write the test fixtures to a folder for shell tests and
// for trying the program by hand.
#include <cstdio>

#include "ProbeCommand.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LoadingFixtures.h"
#include "support/fixtures/RegionFixture.h"
#include "support/fixtures/SourceFolderFixture.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {
int genVoiceCommand(const probe::Args& args) {
    const auto& folders = args.words();
    if (!probe::oneArgument(folders, "gen-voice: give a folder")) return 2;
    const std::string& dir = folders[0];
    fixture::writeFile(dir + "/VOICEDAT.KWI", fixture::buildVoiceDat().bytes);
    fixture::writeFile(dir + "/VOICE001.ME", fixture::buildVoiceMe().bytes);
    // The same data as a part at a base inside a bigger file.
    fixture::writeFile(dir + "/ALLDATA.KWI", fixture::buildVoiceDat(4096).bytes);
    return 0;
}

int genLoadingCommand(const probe::Args& args) {
    const auto& folders = args.words();
    if (!probe::oneArgument(folders, "gen-loading: give a folder")) return 2;
    const std::string& dir = folders[0];
    fixture::writeFile(dir + "/LOADING.KWI", fixture::buildLoading().bytes);
    fixture::writeFile(
        dir + "/disc/COVERAGE.BIN",
        fixture::buildCoverage({{0x0101, "AREA1.BMP"}, {0x0202, "../secret.bmp"}, {0x0303, "none.bmp"}}));
    fixture::writeFile(dir + "/disc/area1.bmp", fixture::buildBmp(5, 3, fixture::coveragePictureColour));
    fixture::writeFile(dir + "/secret.bmp", fixture::buildBmp(2, 2, fixture::coveragePictureColour));
    return 0;
}

// A disc folder as the program opens it; --regions N gives its REGION.KWI N regions on level 1 (a list
// the tree pages), --lower writes every name in lower case, --parts adds every data part (files named by
// their management headers and parts inside ALLDATA.KWI).
int genSourceCommand(const probe::Args& args) {
    const auto& folders = args.words();
    if (!probe::oneArgument(folders, "gen-source: give a folder")) return 2;
    // REGION.KWI counts its regions in 16 bits.
    const long long regions = args.number("--regions", 0, 0, UINT16_MAX);
    fixture::SourceFolderPlan plan;
    plan.lowerCase = args.has("--lower");
    plan.dataParts = args.has("--parts");
    fixture::writeSourceFolder(folders[0], plan);
    if (regions > 0) {
        fixture::writeRegionData(fixture::buildRegionData(fixture::manyRegionsPlan(int(regions))), folders[0],
                                 plan.lowerCase ? "region.kwi" : "REGION.KWI");
    }
    return 0;
}

probe::Register genVoiceReg("gen-voice", "DIR", "Writes the voice test files into DIR.", genVoiceCommand);
probe::Register genLoadingReg("gen-loading", "DIR", "Writes the loading test files into DIR.",
                              genLoadingCommand);
probe::Register genSourceReg("gen-source", "DIR [--regions N] [--lower] [--parts]",
                             "Writes a source map for the converter into DIR, with N regions.",
                             genSourceCommand);
} // namespace
