// Every setting a conversion run reads, taken as one value before the run starts: the job never reads a
// window. Validate() names the first setting a run cannot use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "converter/levels/AdjacentParcelRepair.h"
#include "kiwi/core/Failure.h"

// The code pages house numbers may be written in, in the order the settings page offers them: UTF-8,
// ISO 8859-1, ISO 8859-2, ISO 8859-5 and ANSI-1251.
inline constexpr int kHouseNumberCodePages[5] = {65001, 28591, 28592, 28595, 1251};

enum class ConversionTarget { AisinAw = 0, Denso = 1, Others = 2 };

// Bytes the data volume header gives the date and version stamps.
inline constexpr size_t kDateStampField = 64 - 13;
inline constexpr size_t kVersionStampField = 32;

struct ConversionOptions {
    std::string outputPath;
    ConversionTarget target = ConversionTarget::Others;
    AdjacentMode adjacentMode = AdjacentMode::Update;
    bool addExtraLevel = false;
    bool addOneWayArrows = false;
    bool buildings = false;
    uint8_t buildingsClass = 0;
    uint16_t buildingsTypeCode = 0;
    bool address = false;
    // Imported outlines: "Replace old data" instead of "Add to old data", "Follow Strict Rules", letters in
    // house numbers, the class that receives city areas (255 none) and arrows on the added level, and the
    // two building size filters in imported units (0 = off).
    bool replaceOldData = false;
    bool strictRules = false;
    bool includeLetters = false;
    uint8_t cityAreaClass = 255;
    uint8_t arrowNameClass = 0;
    int32_t buildingFilterSmallest = 0;
    int32_t buildingFilterDetailed = 0;
    uint8_t numberingClass = 0;
    uint16_t numberingTypeCode = 0;
    // Trimming: trimMode 0 to the imported data's box, 1 to the four edges (1/8 arc-second), 2 to the
    // selected area codes (sea parcels and neighbours of kept parcels optionally kept); levels up to
    // trimLevel keep everything.
    bool trim = false;
    int trimMode = 1;
    int trimLevel = 3;
    int32_t trimWest = 0, trimNorth = 0, trimEast = 0, trimSouth = 0;
    std::vector<int> selectedAreas;
    bool addSeaParcels = false;
    bool addAdjacentParcels = false;
    bool removeRds = false;
    bool createManagement21 = false;
    bool insertRegionData = false;
    bool insertVoiceData = false;
    bool systemIdChecked = false;
    std::string systemIdText;
    // Index of the data-volume header template, or -1 for a typed text (no template).
    int systemIdIndex = -1;
    bool dateStamp = false;
    std::string dateStampText;
    bool versionStamp = false;
    std::string versionStampText;
    bool utfToAnsi = false;
    bool translate = false;
    // Name translation: word by word (else whole names and tab-separated parts), freeway names left
    // alone, levels above translationLevel translated only in the dictionary's area.
    bool translateByWords = false;
    bool excludeFreeways = false;
    int translationLevel = 3;
    // The dictionary a run without one of its own loads: a "key=value" text or a ".lndict" file; its area
    // code (-1 keeps a ".lndict" file's) and its folds.
    std::string dictionaryPath;
    int dictionaryAreaCode = -1;
    bool foldYo = false;
    bool foldUkrainian = false;
    bool logDetails = false;
    bool logDictErrors = false;
    bool densoWestFix = false;
    int codePage = 1251;

    // The first problem found, in the user's words, or nothing when the run may start.
    Failure Validate() const;
    // Reads the settings from a JSON object (keys as the field names); unknown keys are refused, missing
    // keys keep their defaults. Returns the problem, or nothing.
    std::optional<std::string> LoadJson(const std::string& jsonText);
};
