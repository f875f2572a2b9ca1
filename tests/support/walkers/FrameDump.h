// Every record of a parcel's data frames read through the frame readers and printed one record per line
// (the text of kiwiprobe's "frames"), or only read when no output is given (benchmarks, damaged data).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>

#include "kiwi/frames/MapString.h"

class TLN_KiwiMap;
struct TLN_Parcel_Frames;

struct FrameDumpOptions {
    // Display scale mask of name and background records (48 or more: all).
    uint32_t mask = 48;
    uint32_t language = 0;
    TLN_TextPages pages;
    bool keepRaw = true;
};

// Reads (and prints to out, when given) every record of the frames; returns the number of records read.
size_t dumpParcelFrames(const TLN_KiwiMap& map, const TLN_Parcel_Frames& frames, std::ostream* out,
                        const FrameDumpOptions& options);
