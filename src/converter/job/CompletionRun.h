// The finishing tasks after a successful conversion, in the new map's folder: the new "ALLDATA.KWI" split
// into volumes of 2 GiB, a new "REGION.KWI" of chosen regions, a new "STDVCE.KWI" of the source's voice data,
// a new "FILECON.MNG" naming the volumes, and "ReadMe.txt". Each produced file is written to a temporary file
// and renamed; the unsplit file is removed only once every volume is complete.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "converter/job/ConversionProgress.h"
#include "converter/job/ConversionRun.h"
#include "converter/output/ProducedFile.h"

struct CompletionOptions {
    // The new "ALLDATA.KWI"; the tasks write into its folder.
    std::string outputPath;
    // The source "ALLDATA.KWI": its folder holds the "FILECON.MNG" to rewrite, and is never written.
    std::string sourcePath;
    bool split = false;
    bool fileCon = false;
    bool region = false;
    // The level-1 regions the new REGION.KWI keeps (indices); empty keeps none.
    std::vector<int> regions;
    // The CMP list the conversion run wrote beside the new map ("" when none): REGION.KWI's entry in it is
    // cleared once a new REGION.KWI is written.
    std::string newCmpList;
    bool voice = false;
    // Where the source keeps its voice data inside "ALLDATA.KWI" and how long it is (0: none), as the
    // conversion run found it.
    int64_t voiceOffset = -1;
    int64_t voiceSize = 0;
    // Bytes per volume (2 GiB; smaller in tests).
    int64_t volumeBytes = int64_t(1) << 31;
};

// Volumes are named with one digit: at most nine.
inline constexpr int kMaxVolumes = 9;

class CompletionRun {
public:
    explicit CompletionRun(CompletionOptions options) : options_(std::move(options)) {}
    void SetOutputOpener(OutputOpener opener) { opener_ = std::move(opener); }
    ConversionResult Execute(ConversionProgress& progress, const std::atomic<bool>& stop);

private:
    // Number of volumes written (0 when the split was not asked for).
    int split(ConversionProgress& progress, const std::atomic<bool>& stop);
    void writeFileCon(ConversionProgress& progress, int volumes);
    void writeVoice(ConversionProgress& progress, const std::atomic<bool>& stop);
    void writeRegion(ConversionProgress& progress, const std::atomic<bool>& stop);
    void writeReadMe();
    // A task asked for and passed over: logged, and kept for the result's notes.
    void passOver(ConversionProgress& progress, const Failure& why);

    CompletionOptions options_;
    std::vector<Failure> notes_;
    OutputOpener opener_;
    SourceGuard guard_;
};

// "ALLDATA<n>.KWI".
std::string VolumeName(int number);
