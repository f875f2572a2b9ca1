// The working state one conversion run shares between its stages: the source map, the output, the
// running offsets, the level table and the report.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "converter/job/ConversionProgress.h"
#include "converter/job/PassedOverNote.h"
#include "converter/levels/FlatKeyMap.h"
#include "converter/levels/ParcelWriter.h"
#include "converter/levels/SourceTables.h"
#include "converter/source/ConversionOptions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/map/KiwiMap.h"

namespace rewrite {
class ParcelFilters;
}

// Raised where a stop request is noticed; the run leaves through its clean-up.
class ConversionStopped : public std::runtime_error {
public:
    ConversionStopped() : std::runtime_error("stopped") {}
};

// One level of the data volume's level list: its level code (as a byte: -2 is FE) and blocks written.
struct LevelTableEntry {
    uint8_t code = 0;
    uint16_t blocks = 0;
};

struct ConversionContext {
    ConversionContext(TLN_KiwiMap& sourceMap, TLN_Stream& output, ConversionProgress& report,
                      const std::atomic<bool>& stopRequest, const ConversionOptions& settings,
                      ParcelWriter& frameWriter)
        : map(sourceMap), out(output), progress(report), stop(stopRequest), options(settings),
          writer(frameWriter) {}

    TLN_KiwiMap& map;
    TLN_Stream& out;
    ConversionProgress& progress;
    const std::atomic<bool>& stop;
    const ConversionOptions& options;
    ParcelWriter& writer;
    // The block and parcel filters, or null when every block and parcel is kept.
    const rewrite::ParcelFilters* filters = nullptr;

    // Old position of the main map management data (management header 0): the data moves to 8192.
    int64_t partBase = 8192;
    // The parcel-management-information cursor and the data cursor (next free frame offset).
    int64_t cursor = 0;
    int64_t dataCursor = 0;
    int64_t routeGuidanceTotal = 0;
    // The lowest source position of the main map's parcel data in "ALLDATA.KWI" (-1 when none): a
    // management block before it ends there.
    int64_t mainDataStart = -1;
    // Growth of the management data by the extra level: the level table grows by levelGrowth bytes (the
    // block set records move by it) and the block tables move by tableGrowth.
    int64_t levelGrowth = 0;
    int64_t tableGrowth = 0;
    std::vector<LevelTableEntry> levelTable;
    int warnings = 0;
    // The source's voice data inside "ALLDATA.KWI", found by the management transfer.
    int64_t voiceOffset = -1;
    int64_t voiceSize = 0;
    // Source files by name, numbered so that frames of different files never share a key.
    std::map<std::string, int64_t> fileKeys;

    void checkStop() const {
        if (stop.load()) throw ConversionStopped();
    }
    void warn(const std::string& line) {
        ++warnings;
        progress.AddLog("WARNING: " + line);
    }
    // What the user asked for and the run leaves undone (or tried and failed), logged and kept for the
    // report.
    PassedOverNotes passedOver;
    void passOver(const PassedOverNote& note) {
        if (note.failed)
            progress.AddLog("ERROR: " + note.why.English());
        else
            warn(note.why.English());
        passedOver.push_back(note);
    }
    // The detail line of a block (only with the log box on): "Level:L BlockSet:S Block:B text", the text
    // first prefixed with " Divided:" + the parcel's number + " -> " for a divided parcel (divided >= 0).
    void logDetail(uint8_t level, uint32_t set, uint32_t block, const std::string& text,
                   int64_t divided = -1) {
        if (!options.logDetails) return;
        const std::string said = divided >= 0 ? " Divided:" + std::to_string(divided) + " -> " + text : text;
        progress.AddLog("Level:" + std::to_string(level) + " BlockSet:" + std::to_string(set) +
                        " Block:" + std::to_string(block) + " " + said);
    }
    // Frames already reported unreadable: a frame many records name is reported once.
    std::unordered_set<int64_t> unreadableFrames;
    // Block information already placed: a damaged map may name one block's information from many block
    // records; it is transferred once, so the run costs what the source holds.
    FlatKeyMap informationSeen;
    bool FirstUseOfInformation(const TLN_Block_Management_Record& block) {
        return informationSeen.Insert(block.Stream ? keyBaseOf(block.Stream) : -1, block.Address, 0);
    }
    // Blocks already walked of each block table, by its position: a damaged level may name one table
    // from many block set records; its blocks are walked once, so the run costs what the tables hold, not
    // what they declare. Returns the blocks walked before and counts this set's.
    std::map<int64_t, uint32_t> blockTablesWalked;
    uint32_t BlocksWalkedBefore(const TLN_BlockSet_Management_Record& set) {
        uint32_t& walked = blockTablesWalked[set.BlockTablePosition];
        const uint32_t before = walked;
        walked = std::max(walked, set.BlockCount);
        return before;
    }
    // Tables whose repetition was reported: once each, however many block sets repeat them.
    std::set<int64_t> repeatedBlockTables;
    // The largest output the run writes before it gives up (0: no limit): a source whose records name the
    // same data over and over would otherwise write it over and over.
    int64_t outputBudget = 0;
    void checkOutputBudget(int64_t end) const {
        if (outputBudget > 0 && end > outputBudget)
            throw EConvertError(Failure(FailureCode::OutputBudget, {{"kb", outputBudget / 1024}}));
    }
    // The size of a source stream, asked of the system once while frames and information of one file
    // follow one another (they mostly do).
    int64_t sourceBytes(const std::shared_ptr<TLN_Stream>& stream) {
        if (stream.get() != sizedRaw_ || sizedStream_.expired()) {
            sizedBytes_ = stream->Size();
            sizedStream_ = stream;
            sizedRaw_ = stream.get();
        }
        return sizedBytes_;
    }
    // What the reservation found of each block information (by file, position, declared size and level):
    // the bytes its rebuilt information takes, -1 when it cannot be read. The transfer reads this instead
    // of sizing the lists again, and information many block records name is sized once.
    // Keyed by (key base + position, declared size << 8 | level).
    FlatKeyMap informationBytes;
    // Where in the source no frame can lie (frame keys): filled as the information is sized.
    SourceTables sourceTables;
    // Old management data position to its place in the output.
    int64_t moved(int64_t oldPosition) const { return oldPosition - partBase + 8192; }
    // The key base of frames in stream: 0 for the main file, a distinct multiple of 2^36 for others.
    int64_t keyBaseOf(const TLN_Stream& stream) {
        const std::string name = stream.FileName();
        const auto known = fileKeys.find(name);
        if (known != fileKeys.end()) return known->second;
        return fileKeys.emplace(name, int64_t(fileKeys.size()) << 36).first->second;
    }
    // The same, asked of the system once while frames and lists of one file follow one another.
    int64_t keyBaseOf(const std::shared_ptr<TLN_Stream>& stream) {
        // The same address names the same stream while the one remembered lives.
        if (stream.get() != keyedRaw_ || keyedStream_.expired()) {
            keyedBase_ = keyBaseOf(*stream);
            keyedStream_ = stream;
            keyedRaw_ = stream.get();
        }
        return keyedBase_;
    }

private:
    std::weak_ptr<TLN_Stream> keyedStream_;
    const TLN_Stream* keyedRaw_ = nullptr;
    int64_t keyedBase_ = 0;
    std::weak_ptr<TLN_Stream> sizedStream_;
    const TLN_Stream* sizedRaw_ = nullptr;
    int64_t sizedBytes_ = 0;
};
