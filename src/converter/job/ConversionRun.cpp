// The conversion run.
#include "converter/job/ConversionRun.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include "converter/job/ConversionContext.h"
#include "converter/levels/ChainedParcelWriter.h"
#include "converter/levels/ExtraLevel.h"
#include "converter/levels/ExtraLevelImports.h"
#include "converter/levels/FrameBytes.h"
#include "converter/levels/LevelTransfer.h"
#include "converter/names/NameConversion.h"
#include "converter/output/ConversionLogFile.h"
#include "converter/output/ManagementTransfer.h"
#include "converter/output/NewCmpList.h"
#include "converter/output/OutputEncoding.h"
#include "converter/output/VolumeHeader.h"
#include "converter/rewrite/ImportParcelWriter.h"
#include "converter/rewrite/OneWayArrows.h"
#include "converter/rewrite/ParcelFilters.h"
#include "converter/source/ManagementTableCheck.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BigEndianIO.h"
#include "kiwi/io/TempFileStream.h"
#include "kiwi/map/MainMapLayout.h"

namespace {

constexpr int64_t kHeaderBytes = 8192;
// The output may grow to this multiple of the source (and building data), plus the slack: frames grow by
// imports and rebuilt names, information by 6-byte records; nothing real grows further.
constexpr int64_t kOutputBudgetFactor = 8;
constexpr int64_t kOutputBudgetSlack = 64 << 10;

std::string hex(int64_t value, int digits) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

// Copies count bytes; past the end of a shorter source (a small map can end before 8 KiB) zeros.
void copyRange(TLN_Stream& from, int64_t position, int64_t count, TLN_Stream& to, int64_t target) {
    std::vector<uint8_t> buffer(static_cast<size_t>(count), 0);
    from.ReadExactAt(position, buffer.data(), std::clamp<int64_t>(from.Size() - position, 0, count));
    to.WriteAt(target, buffer.data(), count);
}

// The block set table's end in management data that holds the added level.
int64_t extraSetsEnd(TLN_KiwiMap& map) {
    const int64_t n = map.LevelRecordCount(), sets = map.BlockSetRecordCount();
    const int64_t added = map.Level(uint8_t(map.LevelCount() - 1))->BlockSetCount();
    return main_map_layout::kHeaderBytes + (n + 1) * map.LevelRecordSize() +
           (sets + added) * map.BlockSetRecordSize();
}

// The extra level got no parcel: the management data and the parcel rewriting go on as without it, and the
// user hears why.
void dropExtraLevel(ConversionContext& c, const rewrite::ExtraLevelImports& extra, int64_t managementSize,
                    rewrite::ImportParcelWriter* imports) {
    c.levelGrowth = c.tableGrowth = 0;
    if (imports) imports->DropExtraLevel();
    if (extra.managementFull)
        c.passOver(ExtraLevelNoRoomNote(managementSize));
    else
        c.passOver(FailureCode::ExtraLevelNoImports);
}

// The main map stage: header, management data, parcel management information and frames of every level.
// outlines: the imported records, or null; imports: the writer that brings them into the parcels, or null.
void writeMainMap(ConversionContext& c, rewrite::ImportedOutlines* outlines,
                  rewrite::ImportParcelWriter* imports) {
    TLN_KiwiMap& map = c.map;
    TLN_Stream& source = *map.GetAllDataStream();
    const TLN_Management_Header part = map.GetManagementHeader(0);
    const int64_t managementSize = part.Size;

    // Parcel management information is reserved for every block before any frame is written.
    int64_t reserved = 0;
    for (uint8_t level = 0; level < map.LevelCount(); ++level) {
        c.checkStop();
        c.progress.SetProgressLabel("Calculating new size of Parcel Management List ...  Level " +
                                    std::to_string(level));
        // Only the block sets and blocks the tables hold: a damaged level may declare far more.
        const TLN_Level_Management_Record& record = *map.Level(level);
        for (uint32_t s = 0; s < record.AcceptedBlockSetCount; ++s) {
            TLN_BlockSet_Management_Record set;
            if (!map.ReadBlockSet(level, s, set)) continue;
            // Blocks of a table an earlier set named: their information is counted already.
            for (uint32_t b = c.BlocksWalkedBefore(set); b < set.BlockCount; ++b) {
                c.checkStop();
                TLN_Block_Management_Record block;
                if (!map.ReadBlock(level, set, b, block)) continue;
                const int64_t bytes = ReservedInformationBytes(c, level, block);
                // Information an earlier block named is not transferred again.
                if (bytes > 0 && !c.FirstUseOfInformation(block)) continue;
                reserved += bytes;
                if (block.Stream == map.GetAllDataStream() && block.Address > part.Address &&
                    (c.mainDataStart < 0 || block.Address < c.mainDataStart))
                    c.mainDataStart = block.Address;
            }
        }
    }
    c.informationSeen.Clear();
    c.blockTablesWalked.clear();
    c.checkOutputBudget(kHeaderBytes + AlignUp32(managementSize) + reserved);
    c.cursor = kHeaderBytes + AlignUp32(managementSize);
    c.dataCursor = c.cursor + reserved;
    c.progress.SetProgressLabel("Transferring Map Header");
    if (c.options.addOneWayArrows && outlines) rewrite::CollectOneWayArrows(c, *outlines);

    copyRange(source, 0, kHeaderBytes, c.out, 0);
    uint8_t sectors[2] = {0, 0};
    source.ReadAt(2048 + 4, sectors, 2);
    c.out.Seek(2048);
    WriteAddressAndStoredSize(c.out, kHeaderBytes, uint16_t((sectors[0] << 8) | sectors[1]));
    // The data now lies in "ALLDATA.KWI" itself: header 0 names no file of its own.
    const uint8_t noName[12] = {};
    c.out.Write(noName, sizeof noName);
    // Read from the part's own stream; a file that ends inside the data's last sector reads zeros there.
    std::vector<uint8_t> management(static_cast<size_t>(managementSize), 0);
    map.PartStream()->ReadAt(part.Address, management.data(), managementSize);
    rewrite::ExtraLevelImports extra;
    bool extraLevel = c.options.addExtraLevel;
    if (extraLevel) {
        std::vector<uint8_t> grown = BuildExtraLevelManagement(c, management);
        if (outlines) extra = rewrite::BuildExtraLevelParcels(c, grown, extraSetsEnd(map), *outlines);
        // A level without a single parcel would only be blank: the map is made as without it.
        extraLevel = extra.parcels > 0;
        if (extraLevel) {
            management = std::move(grown);
        } else {
            dropExtraLevel(c, extra, managementSize, imports);
        }
    }
    if (extraLevel) {
        const int64_t size = int64_t(management.size());
        WriteWordBE(c.out, uint16_t(AlignUp32(size) >> 5), 2048 + 4);
        PutWord(management, 0, uint16_t(size >> 1));
        const int64_t growth = AlignUp32(size) - AlignUp32(managementSize);
        c.cursor += growth;
        c.dataCursor += growth;
        c.progress.AddLog("One-Way Arrows added: " + std::to_string(extra.arrows));
        c.progress.SetProgressLabel("Creating Parcel Management Information for  Level " +
                                    std::to_string(map.LevelCount()));
    }
    // The added level's parcel management information follows that of the old levels.
    const int64_t extraInformation = c.dataCursor;
    if (!extra.information.empty()) {
        rewrite::PlaceExtraLevelInformation(management, extra, extraInformation);
        c.out.WriteAt(extraInformation, extra.information.data(), int64_t(extra.information.size()));
        c.dataCursor += int64_t(extra.information.size());
    }
    c.out.WriteAt(kHeaderBytes, management.data(), int64_t(management.size()));
    // No file names, and 6-byte block records: the transfer writes every block record so.
    WriteWordBE(c.out, 0, kHeaderBytes + main_map_layout::kFileNameDesignationField);
    WriteWordBE(c.out, uint16_t(main_map_layout::kBlockRecordBytes / 2),
                kHeaderBytes + main_map_layout::kBlockRecordSizeField);
    uint8_t headerWords[2] = {0, 0};
    c.out.ReadAt(kHeaderBytes, headerWords, 2);
    c.progress.AddLog("New Parcel Data Management Header (Size): 0x" +
                      hex(2 * ((headerWords[0] << 8) | headerWords[1]), 8));
    c.progress.AddLog("New offset of Parcel Management Info: 0x" + hex(c.cursor, 8));
    c.progress.AddLog("New offset of Main Map Data Frame : 0x" + hex(c.dataCursor, 8));
    if (c.options.buildings) {
        c.progress.AddLog("Buildings Display Class : " + std::to_string(c.options.buildingsClass));
        c.progress.AddLog("Buildings Type Code : 0x" + hex(c.options.buildingsTypeCode, 4));
    }
    if (c.options.address) {
        c.progress.AddLog("Numbering Display Class : " + std::to_string(c.options.numberingClass));
        c.progress.AddLog("Numbering Type Code : 0x" + hex(c.options.numberingTypeCode, 4));
    }
    if (extra.parcels > 0)
        c.progress.AddLog("New Parcels Count : " + std::to_string(extra.parcels) +
                          " New Data Size : " + std::to_string(extra.frameBytes));
    c.progress.AddLog("");
    WriteCoverageEdge(c.out, c.options.target, map.CoverageWest(), map.CoverageEast(), c.progress);

    const int64_t framesStart = c.dataCursor;
    for (uint8_t level = 0; level < map.LevelCount(); ++level) {
        c.progress.SetTaskBarProgress(level, map.LevelCount());
        TransferLevel(c, level);
    }
    // A map without a single parcel is no map: the source's records name no frame it holds (or the
    // filters kept none), and the warnings say which.
    if (c.dataCursor == framesStart)
        throw EConvertError(c.warnings > 0 ? Failure(FailureCode::NoParcelConvertedWarned,
                                                     {{"warnings", int64_t(c.warnings)}})
                                           : Failure(FailureCode::NoParcelConverted));
    c.dataCursor = AlignUp32(c.dataCursor);
    if (extraLevel) {
        rewrite::WriteExtraLevelFrames(c, extra, extraInformation);
        c.levelTable.push_back({kExtraLevelCodeByte, extra.blocksWithParcels});
    }
    WriteLevelTable(c.out, source, c.levelTable);
}

} // namespace

std::string ElapsedText(int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

Failure UnsupportedOption(const ConversionOptions& o, bool haveBuildings) {
    if ((o.buildings || o.address || o.addOneWayArrows) && !haveBuildings)
        return FailureCode::ImportsNeedBuildingData;
    if (o.trim && o.trimMode == 0 && !haveBuildings) return FailureCode::TrimNeedsBuildingData;
    return {};
}

Failure UnsupportedOption(const ConversionOptions& o, TLN_KiwiMap& map,
                          const std::vector<uint8_t>* buildingData) {
    if (Failure why = UnsupportedOption(o, buildingData != nullptr)) return why;
    if (o.addExtraLevel) {
        if (const Failure why = ExtraLevelRefusal(map)) return Failure(FailureCode::ExtraLevelRefused, why);
        // Its parcels come only from the imported records: without any, the level would stay empty and
        // block a real one later.
        if (!buildingData || buildingData->size() <= building_data::kBoxSize)
            return FailureCode::ExtraLevelNeedsBuildingData;
    }
    // The classes go into the parcels of level code 0 only, and only into a class the level has.
    for (uint8_t level = 0; level < map.LevelCount(); ++level) {
        const TLN_Level_Management_Record& record = *map.Level(level);
        if (record.LevelCode != 0) continue;
        const auto beyond = [&](FailureCode code, int value, int count) {
            return Failure(code, {{"class", value}, {"level", level}, {"count", count}});
        };
        if (o.buildings && o.buildingsClass >= record.BackgroundClassCount)
            return beyond(FailureCode::BuildingsClassBeyond, o.buildingsClass, record.BackgroundClassCount);
        if (o.address && o.numberingClass >= record.NameClassCount)
            return beyond(FailureCode::NumberingClassBeyond, o.numberingClass, record.NameClassCount);
    }
    const building_data::Box box =
        buildingData ? building_data::ReadBox(*buildingData) : building_data::Box{};
    return rewrite::ParcelFilters(map, o, box).TrimRefusal(o.addExtraLevel);
}

int64_t FreeBytesIn(const std::string& folder) {
    struct statvfs room {};
    if (::statvfs(folder.c_str(), &room) != 0) return -1;
    return int64_t(room.f_bavail) * int64_t(room.f_frsize);
}

std::string FreeSpaceWarning(int64_t freeBytes, int64_t expectedBytes, const std::string& folder,
                             const std::string& expected) {
    if (freeBytes < 0 || freeBytes >= expectedBytes) return {};
    return "WARNING: " + folder + " has " + std::to_string(freeBytes / 1024) + " kb free, less than " +
           expected + " expected " + std::to_string(expectedBytes / 1024) + " kb";
}

namespace {

// What a run holds of its source from the checks on: the map, and the files the output must not replace.
struct OpenedSource {
    std::unique_ptr<TLN_KiwiMap> map;
    SourceGuard guard;
    std::optional<SourceCmpList> cmpList;
};

// Checks the options, opens the source map and guards its files; the reason the run cannot start, or none.
Failure openSource(const std::string& sourcePath, const ConversionOptions& options,
                   const std::vector<uint8_t>* buildingData, const SourceFileOpener& opener,
                   OpenedSource& source) {
    if (Failure problem = options.Validate()) return problem;
    if (const Failure unsupported = UnsupportedOption(options, buildingData != nullptr))
        return Failure(FailureCode::Refused, unsupported);
    try {
        source.map = std::make_unique<TLN_KiwiMap>(sourcePath, opener);
    } catch (const std::exception& e) {
        return FailureOf(e, sourcePath);
    }
    TLN_KiwiMap& map = *source.map;
    if (!map.IsValid() || !map.LevelsLoaded() || map.LevelCount() == 0)
        return Failure(FailureCode::NoMainMap, NoMainMapReason(map), {{"file", sourcePath}});
    if (const Failure unsupported = UnsupportedOption(options, map, buildingData))
        return Failure(FailureCode::Refused, unsupported);
    if (const Failure damaged = ManagementTableRefusal(map))
        return Failure(FailureCode::Refused, Failure(FailureCode::SourceDamaged, damaged));

    source.guard.ProtectFile(sourcePath);
    source.guard.ProtectFile(map.GetAllDataStream()->FileName());
    source.guard.ProtectFile(map.PartStream()->FileName());
    source.cmpList = FindSourceCmpList(sourcePath);
    if (source.cmpList) source.guard.ProtectFile(source.cmpList->path);
    if (Failure why = source.guard.RefusalFor(options.outputPath)) return why;
    return source.guard.RefusalFor(FolderOf(options.outputPath) + "/Log.txt");
}

// The warnings logged when a folder the run writes to has little room (each "" when it has enough).
struct RoomWarnings {
    std::string output;
    std::string scratch;

    int Count() const { return (output.empty() ? 0 : 1) + (scratch.empty() ? 0 : 1); }
};

RoomWarnings warnAboutRoom(const FreeSpaceQuery& freeSpace, const ConversionOptions& options,
                           TLN_KiwiMap& map, const std::vector<uint8_t>* buildingData,
                           ConversionProgress& progress) {
    auto freeBytes = [&](const std::string& folder) {
        return freeSpace ? freeSpace(folder) : FreeBytesIn(folder);
    };
    RoomWarnings warnings;
    // The new map is about as large as the source; a folder with less room is likely to fill up.
    warnings.output =
        FreeSpaceWarning(freeBytes(FolderOf(options.outputPath)), map.GetAllDataStream()->Size());
    if (!warnings.output.empty()) progress.AddLog(warnings.output);
    // The added level's frames wait in the temporary folder; they hold the imported numbers and arrows, so
    // the building data's size bounds them.
    if (options.addExtraLevel && buildingData) {
        const std::string scratch = TemporaryFolder();
        warnings.scratch = FreeSpaceWarning(freeBytes(scratch), int64_t(buildingData->size()),
                                            "the temporary folder " + scratch, "the added level's");
        if (!warnings.scratch.empty()) progress.AddLog(warnings.scratch);
    }
    return warnings;
}

// The parcel writers of a run and the one the frames go through.
struct ParcelWriters {
    std::unique_ptr<ParcelWriter> names;
    CopyParcelWriter copy{CopyParcelWriter::Copying::PlannedLevels};
    std::shared_ptr<rewrite::ImportedOutlines> outlines;
    std::unique_ptr<rewrite::ImportParcelWriter> imports;
    std::unique_ptr<ChainedParcelWriter> chain;
    ParcelWriter* chosen = nullptr;
};

// Sets up the writers the options ask for; `given` (tests) replaces them all.
void chooseParcelWriters(ParcelWriters& w, ParcelWriter* given, NameConversion& names,
                         const ConversionOptions& options,
                         const std::shared_ptr<const std::vector<uint8_t>>& buildingData, TLN_KiwiMap& map,
                         ConversionProgress& progress) {
    if (!given) w.names = names.MakeWriter(map, progress);
    if (buildingData) {
        w.outlines = std::make_shared<rewrite::ImportedOutlines>(buildingData);
        w.outlines->TakeIntoCoverage(map.Coverage());
        w.outlines->CollectCityAreas();
    }
    if (!given && w.outlines && (options.buildings || options.address))
        w.imports =
            std::make_unique<rewrite::ImportParcelWriter>(w.outlines, rewrite::RewriteSettingsFrom(options));
    // Names first, from the source frame whose offsets the names writer reports and maps; the outlines
    // then go into that frame, whose roads, names and name references they move only as a whole.
    if (w.names && w.imports) w.chain = std::make_unique<ChainedParcelWriter>(*w.names, *w.imports);
    w.chosen = given       ? given
               : w.chain   ? static_cast<ParcelWriter*>(w.chain.get())
               : w.imports ? static_cast<ParcelWriter*>(w.imports.get())
               : w.names   ? w.names.get()
                           : &w.copy;
}

// Gives the context the filters, the key base and the output budget of the run.
void prepareContext(ConversionContext& context, const rewrite::ParcelFilters& filters, TLN_KiwiMap& map,
                    const std::vector<uint8_t>* buildingData) {
    context.partBase = map.PartBase();
    context.filters = &filters;
    context.keyBaseOf(*map.GetAllDataStream());
    // Every stage costs what the source holds: the new map is the source's frames, rebuilt information,
    // imports and the added level. Far more means records that name the same data many times.
    context.outputBudget = kOutputBudgetFactor * (map.GetAllDataStream()->Size() +
                                                  (buildingData ? int64_t(buildingData->size()) : 0)) +
                           kOutputBudgetSlack;
}

// The closing lines of the log, with what the user asked for and the run left undone.
void logSummary(ConversionContext& c, bool numberingBusy, int64_t seconds, int64_t size) {
    if (numberingBusy) {
        const std::string k = std::to_string(c.options.numberingClass);
        c.progress.AddLog("WARNING: Numbering Display Class " + k + " is already BUSY in old map !!!");
        c.passedOver.push_back(Failure(FailureCode::HouseNumbersLeftOut, {{"class", k}}));
    }
    c.progress.AddLog("");
    c.progress.AddLog(std::string("Target platform: ") + TargetName(c.options.target));
    c.progress.AddLog("Elapsed time: " + ElapsedText(seconds) + " sec.");
    c.progress.AddLog("Route Guidance Size = " + std::to_string(c.routeGuidanceTotal / 1024) + " kb");
    c.progress.AddLog("Output File Size = " + std::to_string(size / 1024) + " kb");
    for (const PassedOverNote& note : c.passedOver)
        c.progress.AddLog(std::string(note.failed ? "Failed: " : "Not done: ") + note.why.English());
}

// Commits the new map and the new CMP list beside it, or removes a list the source no longer has; returns
// the list's path, or "".
std::string commitOutputs(ProducedFile& output, ProducedFile* newList, const OpenedSource& source,
                          const std::string& outputFolder, ConversionProgress& progress) {
    // The list's bytes reach its file before the map is committed: a full disk shows before either.
    if (newList) newList->Flush();
    output.Commit();
    if (newList) {
        newList->Commit();
        return newList->FinalPath();
    }
    if (!source.cmpList) RemoveStaleCmpList(outputFolder, source.guard, progress);
    return {};
}

} // namespace

ConversionRun::ConversionRun(std::string sourcePath, ConversionOptions options)
    : sourcePath_(std::move(sourcePath)), options_(std::move(options)) {}

ConversionResult ConversionRun::Execute(ConversionProgress& progress, const std::atomic<bool>& stop) {
    ConversionResult result;
    auto refuse = [&](const Failure& why) {
        result.SetFailure(ConversionStatus::Refused, why);
        progress.AddLog("ERROR: " + result.message);
        return result;
    };
    OpenedSource source;
    if (const Failure why = openSource(sourcePath_, options_, buildingData_.get(), sourceOpener_, source))
        return refuse(why);
    TLN_KiwiMap& map = *source.map;
    const std::string outputFolder = FolderOf(options_.outputPath);

    progress.AddLog("Creating New Map started...");
    NameConversion names(options_, dictionary_);
    if (const Failure problem = names.Prepare(progress)) return refuse(problem);
    const auto started = std::chrono::steady_clock::now();
    const RoomWarnings room = warnAboutRoom(freeSpace_, options_, map, buildingData_.get(), progress);
    std::unique_ptr<ProducedFile> output;
    try {
        output = std::make_unique<ProducedFile>(options_.outputPath, opener_);
    } catch (const std::exception& e) {
        result.SetFailure(ConversionStatus::Failed, FailureOf(e, options_.outputPath));
        progress.AddLog("ERROR: " + result.message);
        return result;
    }
    // From here every line also goes to "Log.txt"; memory keeps only the window's tail.
    std::unique_ptr<ConversionLogFile> log;
    std::string logProblem;
    try {
        log = std::make_unique<ConversionLogFile>(outputFolder, progress);
    } catch (const std::exception& e) {
        logProblem = e.what();
    }
    ParcelWriters writers;
    chooseParcelWriters(writers, writer_.get(), names, options_, buildingData_, map, progress);
    ConversionContext context(map, output->Stream(), progress, stop, options_, *writers.chosen);
    const rewrite::ParcelFilters filters(
        map, options_, writers.outlines ? writers.outlines->Bounds() : building_data::Box{});
    prepareContext(context, filters, map, buildingData_.get());
    try {
        writeMainMap(context, writers.outlines.get(), writers.imports.get());
        context.out.SetSize(context.dataCursor);
        progress.SetTaskBarIndeterminate();
        const int64_t size = TransferManagementData(context, map.GetAllDataStream()->Size());
        std::unique_ptr<ProducedFile> newList;
        if (source.cmpList) newList = PrepareNewCmpList(*source.cmpList, outputFolder, progress, opener_);
        WriteVolumeHeader(context.out, options_, progress);
        result.elapsedSeconds =
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
                .count();
        logSummary(context, writers.imports && writers.imports->NumberingClassBusy(), result.elapsedSeconds,
                   size);
        result.notes = context.passedOver;
        result.newCmpList = commitOutputs(*output, newList.get(), source, outputFolder, progress);
        result.status = ConversionStatus::Done;
        result.outputSize = size;
    } catch (const ConversionStopped&) {
        result.SetFailure(ConversionStatus::Stopped, FailureCode::Stopped);
    } catch (const std::exception& e) {
        // A failure of no known class comes from below the run: mostly a read of the source's data.
        result.SetFailure(ConversionStatus::Failed, FailureOf(e, sourcePath_));
        progress.AddLog("ERROR: " + result.message);
    }
    output.reset();
    names.Finish(outputFolder, progress);
    result.warnings = context.warnings + names.Warnings() + room.Count();
    result.voiceOffset = context.voiceOffset;
    result.voiceSize = context.voiceSize;
    if (log) logProblem = log->Commit();
    if (!logProblem.empty()) progress.AddLog("WARNING: Log.txt not saved: " + logProblem);
    return result;
}
