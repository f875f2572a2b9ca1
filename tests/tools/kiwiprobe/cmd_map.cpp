// kiwiprobe map and locate: the main map of an "ALLDATA.KWI" as the readers see it.
#include <cstdio>
#include <iostream>

#include "ProbeCommand.h"
#include "kiwi/map/KiwiMap.h"
#include "support/walkers/CountingStream.h"
#include "support/walkers/MapWalk.h"

namespace {

int mapCommand(const probe::Args& args) {
    const probe::Args files = probe::positional(args, {"--limit", "--image"});
    if (!probe::oneArgument(files, "map: give the path of ALLDATA.KWI")) return 2;
    if (!probe::mountImageOption(args, "map")) return 1;
    ReadCounter counter;
    const bool countReads = probe::hasFlag(args, "--reads");
    TLN_KiwiMap map(files[0], countReads ? counter.Opener() : TLN_KiwiMap::StreamOpener());
    printMapSummary(map, std::cout);
    MapWalkResult result;
    if (probe::hasFlag(args, "--walk")) {
        MapWalkOptions options;
        options.limit = size_t(probe::parseNumber(probe::option(args, "--limit", "0")));
        counter.Reset();
        result = walkMap(map, std::cout, options);
    }
    if (countReads)
        std::cout << "reads " << counter.Reads() << " bytes " << counter.Bytes() << " parcels "
                  << result.parcels << "\n";
    return map.IsValid() ? 0 : 1;
}

void printNumber(const char* label, const TLN_ParcelNumber& number) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&number);
    std::cout << label;
    for (size_t i = 0; i < sizeof number; ++i)
        std::cout << " " << int(bytes[i]);
    std::cout << "\n";
}

int locateCommand(const probe::Args& args) {
    const probe::Args files = probe::positional(args, {"--level", "--xy", "--image"});
    const std::string xy = probe::option(args, "--xy");
    const size_t comma = xy.find(',');
    if (files.size() != 1 || comma == std::string::npos || !probe::hasFlag(args, "--level")) {
        std::fprintf(stderr, "locate: give ALLDATA.KWI --level L --xy X,Y\n");
        return 2;
    }
    if (!probe::mountImageOption(args, "locate")) return 1;
    const long long level = probe::parseNumber(probe::option(args, "--level"));
    const long long x = probe::parseNumber(xy.substr(0, comma));
    const long long y = probe::parseNumber(xy.substr(comma + 1));
    TLN_KiwiMap map(files[0]);
    TLN_ParcelNumber number;
    const bool inside = map.PointToParcelNumber(uint8_t(level), x, number, y);
    std::cout << "point level " << level << " x " << x << " y " << y << " inside " << inside << "\n";
    printNumber("number", number);
    const bool located = map.LocateParcel(number);
    std::cout << "located " << located << "\n";
    if (located) printNumber("parcel", number);
    return 0;
}

probe::Register mapReg("map", "ALLDATA.KWI [--walk] [--limit N] [--reads] [--image IMAGE]", mapCommand);
probe::Register locateReg("locate", "ALLDATA.KWI --level L --xy X,Y [--image IMAGE]", locateCommand);

} // namespace
