// One conversion run: reads the source map through its own readers and writes a complete new
// "ALLDATA.KWI" (the main map copied level by level into a fresh layout, the other parts' management data
// appended, the data volume record completed), then "Log.txt" beside it. Nothing is written in the
// source's folders; the output appears only when every stage succeeded.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "converter/job/ConversionProgress.h"
#include "converter/job/PassedOverNote.h"
#include "converter/levels/ParcelWriter.h"
#include "converter/names/LatRusDictionary.h"
#include "converter/output/ProducedFile.h"
#include "converter/source/ConversionOptions.h"
#include "kiwi/core/Failure.h"

class TLN_KiwiMap;

enum class ConversionStatus { Done, Stopped, Failed, Refused };

struct ConversionResult {
    ConversionStatus status = ConversionStatus::Failed;
    // Why the run did not finish (none when it did), and its English text as the log keeps it.
    Failure failure;
    std::string message;
    // What a finished run left undone that the user asked for, each with why.
    PassedOverNotes notes;
    int warnings = 0;
    int64_t outputSize = 0;
    // The run's time as its log says it, whole seconds.
    int64_t elapsedSeconds = 0;
    // The source's voice data inside "ALLDATA.KWI" (management 7), for the finishing "STDVCE.KWI".
    int64_t voiceOffset = -1;
    int64_t voiceSize = 0;
    // The CMP list written beside the new map, or "".
    std::string newCmpList;

    void SetFailure(ConversionStatus ended, const Failure& why) {
        status = ended;
        failure = why;
        message = why.English();
    }
};

// Free bytes an ordinary user may still write in a folder, or -1 when the system cannot say.
using SourceFileOpener = std::function<std::shared_ptr<TLN_Stream>(const std::string& path)>;
using FreeSpaceQuery = std::function<int64_t(const std::string& folder)>;
int64_t FreeBytesIn(const std::string& folder);
// The warning logged before the run starts when a folder has less room than the run is expected to write
// there, or "" when it has enough or its room is unknown: the output folder against about the source's
// size, and the temporary folder (often another disk) against the added level's frames. The run goes on:
// the estimate is rough, and a disk that does fill fails the run cleanly.
std::string FreeSpaceWarning(int64_t freeBytes, int64_t expectedBytes,
                             const std::string& folder = "the output folder",
                             const std::string& expected = "the new map's");

class ConversionRun {
public:
    ConversionRun(std::string sourcePath, ConversionOptions options);

    // Opens the temporary output (tests inject streams that fail after some bytes).
    void SetOutputOpener(OutputOpener opener) { opener_ = std::move(opener); }
    // Opens the source map's files (tests count the reads that reach them).
    void SetSourceOpener(SourceFileOpener opener) { sourceOpener_ = std::move(opener); }
    // Replaces the free-space query of the pre-flight check (tests).
    void SetFreeSpaceQuery(FreeSpaceQuery query) { freeSpace_ = std::move(query); }
    // Replaces the copy writer of parcel frames.
    void SetParcelWriter(std::unique_ptr<ParcelWriter> writer) { writer_ = std::move(writer); }
    // The dictionary that name translation borrows (else the one the options name is loaded).
    void SetDictionary(std::shared_ptr<LatRusDictionary> dictionary) { dictionary_ = std::move(dictionary); }

    // The compiled building data the run brings into the new map (the buffer is only read).
    void SetBuildingData(std::shared_ptr<const std::vector<uint8_t>> data) {
        buildingData_ = std::move(data);
    }

    ConversionResult Execute(ConversionProgress& progress, const std::atomic<bool>& stop);

private:
    std::string sourcePath_;
    ConversionOptions options_;
    OutputOpener opener_;
    SourceFileOpener sourceOpener_;
    FreeSpaceQuery freeSpace_;
    std::unique_ptr<ParcelWriter> writer_;
    std::shared_ptr<LatRusDictionary> dictionary_;
    std::shared_ptr<const std::vector<uint8_t>> buildingData_;
};

// A duration as the log shows it, "H:MM:SS".
std::string ElapsedText(int64_t seconds);

// The reason the options ask for something this run cannot do yet, or none (haveBuildings: building data
// was given).
Failure UnsupportedOption(const ConversionOptions& options, bool haveBuildings = false);
// The check every run makes before it writes anything, and the wizard's refusals with it: the above, and
// what the source map cannot take from the options: the extra level on a map whose last level is not of
// level code 0 or without building data to fill it, a buildings or numbering class beyond the classes of
// a level that receives them, a trim rectangle that covers nothing of the map. buildingData may be null.
Failure UnsupportedOption(const ConversionOptions& options, TLN_KiwiMap& map,
                          const std::vector<uint8_t>* buildingData);
