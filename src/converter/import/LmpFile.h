// Compiled building data files (*.lmp): checked as a whole before anything is loaded, loaded in place of
// the buffer or appended to it, and saved through a temporary file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "converter/import/BuildingData.h"
#include "converter/output/ProducedFile.h"
#include "kiwi/core/Failure.h"

namespace building_data {

// Which of the two record layouts a file has: labels padded to whole words (written here) or labels
// stored as their bytes alone (written by older tools).
enum class LmpLayout { Padded, Unpadded };

struct LmpCheck {
    std::optional<LmpLayout> layout; // nothing: the file is not compiled building data
    Failure reason;                  // why not
    size_t records = 0;
};

// Walks the records both ways; a layout is accepted only when its walk ends exactly at the end and every
// record is sound (point count, kind, label length, coordinates). Both fitting means padded.
LmpCheck CheckLmp(std::span<const uint8_t> bytes);

// The file's bytes in the padded layout; nothing (and error set) when the file cannot be read or fails
// the check.
std::optional<std::vector<uint8_t>> ReadLmp(const std::string& path, Failure& error);

enum class LmpLoadMode { Replace, Append };

struct LmpLoadResult {
    bool ok = false;
    Failure error;
    size_t fileSize = 0;
    size_t recordsAdded = 0;
    Box box; // the buffer's box afterwards
};

// Loads a file into data. Replace: data becomes the file. Append: the file's records follow data's and
// data's box becomes the union of both boxes, so earlier outlines stay inside it. A file that cannot be
// read or fails the check leaves data unchanged.
LmpLoadResult LoadLmp(std::vector<uint8_t>& data, const std::string& path, LmpLoadMode mode);

// Writes data (box and records) to path through "<path>.part", synced and renamed. Raises EWriteError
// or EFCreateError; the temporary file is gone then.
void SaveLmp(const std::string& path, std::span<const uint8_t> data, const OutputOpener& opener = {});

// The name "Save as..." proposes: the first file last opened with its extension changed to ".lmp".
std::string ProposedLmpName(const std::string& openedPath);

} // namespace building_data
