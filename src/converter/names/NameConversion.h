// The name conversion of one run: the dictionary (the caller's, or loaded from the settings), the log
// lines that announce it, the names parcel writer, and the list of names the dictionary missed, saved
// as "LogDictErrors.txt" when the run ends.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "converter/job/ConversionProgress.h"
#include "converter/levels/ParcelWriter.h"
#include "converter/names/DictionaryMissList.h"
#include "converter/names/LatRusDictionary.h"
#include "converter/source/ConversionOptions.h"
#include "kiwi/map/KiwiMap.h"

class NameParcelWriter;

class NameConversion {
public:
    NameConversion(const ConversionOptions& options, std::shared_ptr<LatRusDictionary> dictionary);
    ~NameConversion();
    NameConversion(const NameConversion&) = delete;
    NameConversion& operator=(const NameConversion&) = delete;

    // Loads the dictionary the settings name when none was given and logs what is in use; the problem
    // (a dictionary that cannot be read) or nothing.
    Failure Prepare(ConversionProgress& progress);
    // The names writer, or null when neither translation nor the UTF-8 conversion is on.
    std::unique_ptr<ParcelWriter> MakeWriter(TLN_KiwiMap& map, ConversionProgress& progress);
    // Saves "LogDictErrors.txt" in folder when misses are collected (also after a stop or a failure).
    void Finish(const std::string& folder, ConversionProgress& progress);
    // Parcels whose names the writer had to leave unchanged (each logged as a WARNING).
    int Warnings() const;

private:
    const ConversionOptions& options_;
    std::shared_ptr<LatRusDictionary> dictionary_;
    std::unique_ptr<DictionaryMissList> misses_;
    const NameParcelWriter* writer_ = nullptr;
};
