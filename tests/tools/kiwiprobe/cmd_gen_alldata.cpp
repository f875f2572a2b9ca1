// kiwiprobe gen-alldata: writes the test builder's "ALLDATA.KWI" and its data files for shell tests.
#include <cstdio>
#include <iostream>

#include "ProbeCommand.h"
#include "support/fixtures/AllDataFixture.h"
#include "support/fixtures/DiscShapes.h"

namespace {

int makeFixtureCommand(const probe::Args& args) {
    const auto& rest = args.words();
    if (!probe::oneArgument(rest, "gen-alldata: give a folder")) return 2;
    const std::string folder = rest[0];
    // The converter benchmarks' real-disc shape at about MIB of "ALLDATA.KWI", to time a conversion
    // against a copy by hand.
    fixture::AllDataPlan plan =
        args.has("--disc-shape") ? fixture::discScalePlan(double(args.number("--disc-shape", 0, 1, 65536)))
        : args.has("--large")    ? fixture::largeAllDataPlan(int(args.number("--large", 0, 1, INT_MAX)))
                                 : fixture::smallAllDataPlan();
    if (args.has("--frames")) {
        if (args.has("--large"))
            plan.frames = fixture::AllDataPlan::Frames::Full;
        else
            plan = fixture::framesAllDataPlan(args.has("--wide"));
    }
    if (args.has("--system")) plan.systemText = args.value("--system");
    if (args.has("--spare-headers")) {
        // Management headers without readers of their own: two inside the file, one past its end.
        plan.headers[4] = {4096, 1, ""};
        plan.headers[18] = {4096, 1, ""};
        plan.headers[40] = {int64_t(1) << 24, 1, ""};
    }
    fixture::AllDataImage image;
    if (args.has("--hostile")) {
        // The damaged shapes whose declared counts must not cost the walks minutes.
        const std::string shape = args.value("--hostile");
        if (shape != "crowded" && shape != "overlapping") {
            std::cerr << "gen-alldata: --hostile takes crowded or overlapping\n";
            return 2;
        }
        image =
            fixture::buildHostileAllData(shape == "crowded" ? fixture::HostileMapShape::CrowdedBlockSets
                                                            : fixture::HostileMapShape::OverlappingLevels);
    } else {
        try {
            image = fixture::buildAllData(plan);
        } catch (const std::length_error& error) {
            // A size the layout cannot store: the plan asked for is no map.
            throw probe::UsageError(
                std::string(args.has("--large") ? "--large " + args.value("--large") + ": " : std::string()) +
                error.what());
        }
    }
    const std::string path =
        args.has("--volumes")
            ? fixture::writeAllDataVolumes(image, folder, size_t(args.number("--volumes", 0, 1)))
            : fixture::writeAllData(image, folder);
    std::cout << "wrote " << path << " bytes " << image.allData.size() << "\n";
    for (const auto& [name, bytes] : image.files)
        std::cout << "wrote " << name << " bytes " << bytes.size() << "\n";
    if (args.has("--manifest"))
        for (const fixture::ParcelEntry& e : image.parcels)
            std::cout << "manifest " << e.level << "/" << e.blockSet << "/" << e.block << "/" << e.parcel
                      << (e.sub >= 0 ? "/" + std::to_string(e.sub) : std::string()) << " file " << e.file
                      << " frame " << e.frame << " size " << e.frameSize << " id " << int(e.identifier)
                      << " route " << e.routeGuidanceFrame << " regions " << e.regions << "\n";
    return 0;
}

probe::Register
    reg("gen-alldata",
        "DIR [--hostile crowded|overlapping | [--system TEXT] [--large N [--frames] | --disc-shape MIB | "
        "--frames [--wide]] [--spare-headers]] [--volumes BYTES] [--manifest]",
        "Writes the test builder's ALLDATA.KWI and its data files into DIR.", makeFixtureCommand);

} // namespace
