// Reading the wizard's view of a map with readers of its own.
#include "converter/wizard/ConverterSource.h"

#include <exception>
#include <memory>

#include "converter/levels/ExtraLevel.h"
#include "converter/output/NewCmpList.h"
#include "converter/source/SourceFiles.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/ManagementParts.h"
#include "kiwi/region/RegionManager.h"

namespace {

bool named(const std::string& name, const char* file) {
    return QString::fromStdString(name).compare(QLatin1String(file), Qt::CaseInsensitive) == 0;
}

// The voice data as the main window opens it: a header with a size, naming VOICEDAT.KWI or STDVCE.KWI found
// beside the map (that file's size), or naming no file (the data inside ALLDATA.KWI).
int64_t voiceDataSize(const std::string& allDataPath, const TLN_Management_Header& header, Failure& error) {
    if (header.Size == 0) return 0;
    if (header.Name.empty()) return header.Size;
    if (!named(header.Name, "VOICEDAT.KWI") && !named(header.Name, "STDVCE.KWI")) return 0;
    try {
        const std::shared_ptr<TLN_Stream> file = OpenBesideSource(allDataPath, header.Name);
        return file ? file->Size() : 0;
    } catch (const std::exception& raised) {
        error = FailureOf(raised, header.Name);
        return 0;
    }
}

} // namespace

ConverterSource ReadConverterSource(const std::string& allDataPath) {
    ConverterSource source;
    source.allDataPath = allDataPath;
    std::unique_ptr<TLN_KiwiMap> map;
    try {
        map = std::make_unique<TLN_KiwiMap>(allDataPath);
    } catch (const std::exception& error) {
        source.error = FailureOf(error, allDataPath);
        return source;
    }
    if (!map->IsValid() || !map->LevelsLoaded() || map->LevelCount() == 0) return source;
    source.mapOpen = true;
    source.compressed = FindSourceCmpList(allDataPath).has_value();
    // The maker's identification text is the system text ("AFEU:4.05"); the record at 128 names the
    // hardware maker.
    source.systemIdText = map->AllDataManager().DataVolume().Maker.Name;
    source.systemNumber = int(map->SystemNumber());
    const auto header = [&map](ManagementPart part) {
        return map->GetManagementHeader(ManagementHeaderIndex(part));
    };
    source.management21Address = header(ManagementPart::Management21).Address;
    source.management32Address = header(ManagementPart::Management32).Address;
    source.regionHeaderName = header(ManagementPart::RegionData).Name;
    const TLN_Management_Header voice = header(ManagementPart::VoiceData);
    source.voiceHeaderName = voice.Name;
    source.voiceSize = voiceDataSize(allDataPath, voice, source.error);
    source.fileConPresent = !FindBesideSource(allDataPath, "FILECON.MNG").empty();
    source.levelCount = int(map->LevelCount());
    source.extraLevelNoRoom = RussianText(ExtraLevelRoomShortage(*map).why);
    const TLN_Level_Management_Record top = map->GetLevel(uint8_t(map->LevelCount() - 1));
    source.topLevelCode = top.LevelCode;
    source.backgroundCodes = top.BackgroundClassCodes;
    source.nameCodes = top.NameClassCodes;
    source.north = map->CoverageNorth();
    source.south = map->CoverageSouth();
    source.west = map->CoverageWest();
    source.east = map->CoverageEast();
    const std::string region = FindBesideSource(allDataPath, "REGION.KWI");
    if (!region.empty()) {
        try {
            TLN_RegionManager regions(region);
            TLN_Region_Level_Record level;
            source.hasRegionData = regions.IsValid();
            // The list ends at the first region whose foremost lower-level region is 65535.
            if (regions.IsValid() && regions.GetLevelRecord(1, level)) {
                TLN_Region_Manag_Record record;
                while (source.regionCount < level.RegionCount &&
                       regions.ReadRegionRecord(1, source.regionCount, record) &&
                       record.LowerRegionFirst != 65535)
                    ++source.regionCount;
            }
        } catch (const std::exception& error) {
            source.error = FailureOf(error, region);
            source.hasRegionData = false;
        }
    }
    return source;
}
