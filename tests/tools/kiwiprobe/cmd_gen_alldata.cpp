// kiwiprobe gen-alldata: writes the test builder's "ALLDATA.KWI" and its data files for shell tests.
#include <cstdio>
#include <iostream>

#include "ProbeCommand.h"
#include "support/fixtures/AllDataFixture.h"

namespace {

int makeFixtureCommand(const probe::Args& args) {
    const probe::Args rest = probe::positional(args, {"--system", "--large", "--volumes", "--hostile"});
    if (!probe::oneArgument(rest, "gen-alldata: give a folder")) return 2;
    const std::string folder = rest[0];
    fixture::AllDataPlan plan =
        probe::hasFlag(args, "--large")
            ? fixture::largeAllDataPlan(int(probe::parseNumber(probe::option(args, "--large"))))
            : fixture::smallAllDataPlan();
    if (probe::hasFlag(args, "--frames")) {
        if (probe::hasFlag(args, "--large"))
            plan.frames = fixture::AllDataPlan::Frames::Full;
        else
            plan = fixture::framesAllDataPlan(probe::hasFlag(args, "--wide"));
    }
    if (probe::hasFlag(args, "--system")) plan.systemText = probe::option(args, "--system");
    if (probe::hasFlag(args, "--spare-headers")) {
        // Management headers without readers of their own: two inside the file, one past its end.
        plan.headers[4] = {4096, 1, ""};
        plan.headers[18] = {4096, 1, ""};
        plan.headers[40] = {int64_t(1) << 24, 1, ""};
    }
    fixture::AllDataImage image;
    if (probe::hasFlag(args, "--hostile")) {
        // The damaged shapes whose declared counts must not cost the walks minutes.
        const std::string shape = probe::option(args, "--hostile");
        if (shape != "crowded" && shape != "overlapping") {
            std::cerr << "gen-alldata: --hostile takes crowded or overlapping\n";
            return 2;
        }
        image =
            fixture::buildHostileAllData(shape == "crowded" ? fixture::HostileMapShape::CrowdedBlockSets
                                                            : fixture::HostileMapShape::OverlappingLevels);
    } else {
        image = fixture::buildAllData(plan);
    }
    const std::string path =
        probe::hasFlag(args, "--volumes")
            ? fixture::writeAllDataVolumes(image, folder,
                                           size_t(probe::parseNumber(probe::option(args, "--volumes"))))
            : fixture::writeAllData(image, folder);
    std::cout << "wrote " << path << " bytes " << image.allData.size() << "\n";
    for (const auto& [name, bytes] : image.files)
        std::cout << "wrote " << name << " bytes " << bytes.size() << "\n";
    if (probe::hasFlag(args, "--manifest"))
        for (const fixture::ParcelEntry& e : image.parcels)
            std::cout << "manifest " << e.level << "/" << e.blockSet << "/" << e.block << "/" << e.parcel
                      << (e.sub >= 0 ? "/" + std::to_string(e.sub) : std::string()) << " file " << e.file
                      << " frame " << e.frame << " size " << e.frameSize << " id " << int(e.identifier)
                      << " route " << e.routeGuidanceFrame << " regions " << e.regions << "\n";
    return 0;
}

probe::Register reg(
    "gen-alldata",
    "DIR [--system TEXT] [--large N] [--frames [--wide]] [--spare-headers] [--volumes BYTES] [--manifest] "
    "[--hostile crowded|overlapping]",
    makeFixtureCommand);

} // namespace
