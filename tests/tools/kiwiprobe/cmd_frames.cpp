// kiwiprobe frames: every record of every parcel data frame of an "ALLDATA.KWI", one per line, and the
// underlying stream reads the frames cost per parcel.
#include <algorithm>
#include <cstdio>
#include <iostream>

#include "ProbeCommand.h"
#include "kiwi/map/KiwiMap.h"
#include "support/walkers/CountingStream.h"
#include "support/walkers/FrameWalk.h"

namespace {

int framesCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "frames: give the path of ALLDATA.KWI")) return 2;
    FrameWalkOptions options;
    options.limit = args.has("--all") ? 0 : size_t(args.number("--limit", 1, 0));
    options.dump.pages.Text = args.codePage("--codepage", 65001);
    options.dump.pages.Ansi = args.codePage("--ansi", 0);
    options.dump.language = uint32_t(args.number("--language", 0, 0, UINT32_MAX));
    options.dump.mask = uint32_t(args.number("--mask", 48, 0, UINT32_MAX));
    if (!probe::mountImageOption(args, "frames")) return probe::kImageNotMounted;
    ReadCounter counter;
    const bool countReads = args.has("--reads");
    TLN_KiwiMap map(files[0], countReads ? counter.Opener() : TLN_KiwiMap::StreamOpener());
    uint64_t before = 0;
    uint64_t most = 0;
    uint64_t total = 0;
    if (countReads) {
        options.beforeFrames = [&] { before = counter.Reads(); };
        options.afterFrames = [&] {
            const uint64_t reads = counter.Reads() - before;
            most = std::max(most, reads);
            total += reads;
        };
    }
    std::ostream* out = args.has("--quiet") ? nullptr : &std::cout;
    const FrameWalkResult result = walkFrames(map, out, options);
    std::cout << "parcels " << result.parcels << " records " << result.records << "\n";
    if (countReads)
        std::cout << "frame reads max " << most << " total " << total << " parcels " << result.parcels
                  << "\n";
    return map.IsValid() ? 0 : 1;
}

probe::Register reg("frames",
                    "ALLDATA.KWI [--all | --limit N] [--codepage CP] [--ansi CP] [--language K] [--mask M] "
                    "[--image IMAGE] [--reads] [--quiet]",
                    "Every record of the first N parcels' data frames (--all: of every parcel).",
                    framesCommand);

} // namespace
