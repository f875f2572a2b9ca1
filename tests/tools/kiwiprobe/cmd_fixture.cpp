// kiwiprobe make-fixture: writes the test builder's files so that shell tests can use them.
#include <cstdio>
#include <iostream>

#include "ProbeCommand.h"
#include "support/AllDataFixture.h"

namespace {

int makeFixtureCommand(const probe::Args& args) {
    const probe::Args rest = probe::positional(args, {"--system", "--large", "--volumes"});
    if (rest.size() != 2 || rest[0] != "alldata") {
        std::fprintf(stderr, "make-fixture: give alldata DIR\n");
        return 2;
    }
    const std::string folder = rest[1];
    fixture::AllDataSpec spec = probe::hasFlag(args, "--large")
                                    ? fixture::largeAllDataSpec(int(probe::parseNumber(probe::option(args, "--large"))))
                                    : fixture::smallAllDataSpec();
    if (probe::hasFlag(args, "--frames")) {
        const bool large = probe::hasFlag(args, "--large");
        if (!large) spec = fixture::framesAllDataSpec(probe::hasFlag(args, "--wide"));
        if (large) spec.frames = fixture::AllDataSpec::Frames::Full;
    }
    if (probe::hasFlag(args, "--system")) spec.systemText = probe::option(args, "--system");
    const fixture::AllDataImage image = fixture::buildAllData(spec);
    const std::string path =
        probe::hasFlag(args, "--volumes")
            ? fixture::writeAllDataVolumes(image, folder, size_t(probe::parseNumber(probe::option(args, "--volumes"))))
            : fixture::writeAllData(image, folder);
    std::cout << "wrote " << path << " bytes " << image.allData.size() << "\n";
    for (const auto& [name, bytes] : image.files) std::cout << "wrote " << name << " bytes " << bytes.size() << "\n";
    if (probe::hasFlag(args, "--manifest"))
        for (const fixture::ParcelEntry& e : image.parcels)
            std::cout << "manifest " << e.level << "/" << e.blockSet << "/" << e.block << "/" << e.parcel
                      << (e.sub >= 0 ? "/" + std::to_string(e.sub) : std::string()) << " file " << e.file
                      << " frame " << e.frame << " size " << e.frameSize << " id " << int(e.identifier) << " route "
                      << e.routeGuidanceFrame << " regions " << e.regions << "\n";
    return 0;
}

probe::Register reg("make-fixture", "alldata DIR [--system TEXT] [--large N] [--frames [--wide]] [--volumes BYTES] [--manifest]",
                    makeFixtureCommand);

} // namespace
