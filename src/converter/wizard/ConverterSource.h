// What the converter wizard knows of the map open in the main window, taken once when it opens, and the
// calls it makes back into the main window. The runs open their own readers on allDataPath; nothing here
// is read from a worker thread.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "kiwi/core/Failure.h"

struct ConverterArea {
    int code = 0;
    // The three-letter code ("RUS").
    QString tag;
    QString name;
};

struct ConverterSource {
    bool mapOpen = false;
    // Why the map or its region data could not be read (none when they could).
    Failure error;
    std::string allDataPath;
    // Read through a CMP list (its "ALLDATA.KWI" is compressed).
    bool compressed = false;
    std::string systemIdText;
    int systemNumber = 0;
    // Addresses of the headers of Management 21 and Management 32; -1 when absent.
    int64_t management21Address = -1;
    int64_t management32Address = -1;
    // The file names the region data's and the voice data's management headers give ("" for none).
    std::string regionHeaderName;
    std::string voiceHeaderName;
    bool hasRegionData = false;
    // Bytes of voice data the main window would play: those of the file the voice header names (VOICEDAT.KWI
    // or STDVCE.KWI beside the map), or the header's own size when the data lies in ALLDATA.KWI; 0 for none.
    int64_t voiceSize = 0;
    bool fileConPresent = false;
    int levelCount = 0;
    // Why the main map management data has no room for the extra level's block tables, in Russian ("" when
    // it has, or when the map cannot take the level at all).
    QString extraLevelNoRoom;
    // The top level (last level record): its level code and display-class code lists.
    int topLevelCode = 0;
    std::vector<uint16_t> backgroundCodes;
    std::vector<uint16_t> nameCodes;
    // The map's box in map units.
    int32_t north = 0, south = 0, west = 0, east = 0;
    // Level-1 regions of REGION.KWI as the Region Network page lists them.
    int regionCount = 0;
    std::vector<ConverterArea> areas;

    // Calls into the main window; any may be empty.
    std::function<int()> mapCodePage;
    std::function<void(int codePage, bool apply)> setMapCodePage;
    // "West Europe", "Greek" or "Russian".
    std::function<void(const QString& font)> chooseMapFont;
};

// Reads what the wizard needs from the map at allDataPath with readers of its own; a map that cannot be
// read gives a source with mapOpen false.
ConverterSource ReadConverterSource(const std::string& allDataPath);
