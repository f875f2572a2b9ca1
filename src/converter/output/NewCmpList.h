// The CMP list beside the new map when the source was read through one: a copy of the source's list, of
// the same name and format, in which the "ALLDATA.KWI" entry no longer names a compressed file.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "converter/job/ConversionProgress.h"
#include "converter/output/ProducedFile.h"

struct SourceCmpList {
    // The list's path and the position of the source's entry in it.
    std::string path;
    int64_t entryPosition = -1;
    bool kind13 = false;
    // The list lies in the source's own folder (not above it).
    bool besideSource = true;
};

// The list through which sourcePath is read, or nothing when it is read plainly.
std::optional<SourceCmpList> FindSourceCmpList(const std::string& sourcePath);

// Removes a "05.CMP" left in the output folder by an earlier run: it could name the new, uncompressed map
// as compressed.
void RemoveStaleCmpList(const std::string& outputFolder, const SourceGuard& guard,
                        ConversionProgress& progress);

// Writes the new list into outputFolder as a produced file, not yet committed; null when there is none
// to write (a "13.CMP" list cannot drop its entry: a warning says so).
std::unique_ptr<ProducedFile> PrepareNewCmpList(const SourceCmpList& list, const std::string& outputFolder,
                                                ConversionProgress& progress, const OutputOpener& opener);
