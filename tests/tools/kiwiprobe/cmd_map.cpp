// kiwiprobe map and locate: the main map of an "ALLDATA.KWI" as the readers see it.
#include <cstdio>
#include <iostream>

#include "ProbeCommand.h"
#include "kiwi/map/KiwiMap.h"
#include "support/walkers/CountingStream.h"
#include "support/walkers/MapWalk.h"

namespace {

int mapCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "map: give the path of ALLDATA.KWI")) return 2;
    MapWalkOptions options;
    options.limit = size_t(args.number("--limit", 0, 0));
    if (!probe::mountImageOption(args, "map")) return probe::kImageNotMounted;
    ReadCounter counter;
    const bool countReads = args.has("--reads");
    TLN_KiwiMap map(files[0], countReads ? counter.Opener() : TLN_KiwiMap::StreamOpener());
    printMapSummary(map, std::cout);
    MapWalkResult result;
    if (args.has("--walk")) {
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
    const auto& files = args.words();
    const std::string xy = args.value("--xy");
    const size_t comma = xy.find(',');
    if (files.size() != 1 || comma == std::string::npos || !args.has("--level")) {
        std::fprintf(stderr, "locate: give ALLDATA.KWI --level L --xy X,Y\n");
        return 2;
    }
    const long long level = args.number("--level", 0, 0, 255);
    long long x = 0, y = 0;
    try {
        x = probe::parseNumber(xy.substr(0, comma));
        y = probe::parseNumber(xy.substr(comma + 1));
    } catch (const probe::UsageError&) {
        throw probe::UsageError("--xy " + xy + ": not X,Y");
    }
    if (!probe::mountImageOption(args, "locate")) return probe::kImageNotMounted;
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

probe::Register mapReg("map", "ALLDATA.KWI [--walk [--limit N]] [--reads] [--image IMAGE]",
                       "The main map's summary; --walk adds every parcel, --reads the stream reads.",
                       mapCommand);
probe::Register locateReg("locate", "ALLDATA.KWI --level L --xy X,Y [--image IMAGE]",
                          "The parcel of level L that holds the point X,Y (1/8 arc-second).", locateCommand);

} // namespace
