// kiwiprobe gen-voice / gen-loading: write the test fixtures to a folder for shell tests.
#include <cstdio>

#include "ProbeCommand.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LoadingFixtures.h"
#include "support/fixtures/VoiceFixtures.h"

namespace {
int genVoiceCommand(const probe::Args& args) {
    const probe::Args folders = probe::positional(args);
    if (!probe::oneArgument(folders, "gen-voice: give a folder")) return 2;
    const std::string& dir = folders[0];
    fixture::writeFile(dir + "/VOICEDAT.KWI", fixture::buildVoiceDat().bytes);
    fixture::writeFile(dir + "/VOICE001.ME", fixture::buildVoiceMe().bytes);
    // The same data as a part at a base inside a bigger file.
    fixture::writeFile(dir + "/ALLDATA.KWI", fixture::buildVoiceDat(4096).bytes);
    return 0;
}

int genLoadingCommand(const probe::Args& args) {
    const probe::Args folders = probe::positional(args);
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

probe::Register genVoiceReg("gen-voice", "DIR", genVoiceCommand);
probe::Register genLoadingReg("gen-loading", "DIR", genLoadingCommand);
} // namespace
