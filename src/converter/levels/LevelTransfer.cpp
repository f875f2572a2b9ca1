// Transfer of one level of the source map.
#include "converter/levels/LevelTransfer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "converter/levels/AdjacentParcelRepair.h"
#include "converter/levels/BlockInformation.h"
#include "converter/levels/FrameCopyPlan.h"
#include "converter/levels/IntegrationChecker.h"
#include "converter/levels/SharedFrameSizes.h"
#include "converter/output/OutputEncoding.h"
#include "converter/rewrite/ParcelFilters.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/map/MainMapLayout.h"
#include "kiwi/map/ParcelList.h"
#include "kiwi/map/ParcelListType.h"

namespace {

namespace layout = main_map_layout;
constexpr uint32_t kRecord = kInformationRecordBytes;
const uint8_t (&kEmpty)[6] = kEmptyReference;
// The deduplication table's value for a frame the filters dropped (-1: a frame that could not be written).
constexpr int64_t kFilteredOut = -2;
// The data volume's header and its management header records (64 of 18 bytes at 2048).
constexpr int64_t kVolumeHeaderBytes = 2048 + 64 * 18;

std::string hex(int64_t value, int digits) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

// One block under transfer: its rebuilt information and where each parcel's main frames went. One serves
// every block of a level: its buffers keep their room from block to block.
struct BlockTransfer {
    void Begin(uint32_t setIndex, uint32_t blockNumber, int64_t bytes, int64_t streamSize) {
        set = setIndex, blockIndex = blockNumber;
        sourceBytes = streamSize;
        n = list.Info().StoredRecordCount;
        image.Reset(bytes);
        mainOffsets.assign(n, -1);
        if (subOffsets.size() < n) subOffsets.resize(n);
        for (uint32_t i = 0; i < n; ++i)
            subOffsets[i].clear();
        next = 4 + int64_t(kRecord) * n;
        table.Clear();
        percent = -1;
    }

    uint32_t set = 0, blockIndex = 0;
    // The block's list, read once; sub holds the sub-list walked now.
    TLN_ParcelList list;
    TLN_ParcelList sub;
    int64_t sourceBytes = 0;
    uint32_t n = 0;
    InformationImage image;
    std::vector<int64_t> mainOffsets;
    // Of the first n parcels: a divided parcel's sub-parcels' frames (empty for the others).
    std::vector<std::vector<int64_t>> subOffsets;
    // Where the next sub-list (or the route guidance list) goes in the image.
    int64_t next = 0;
    // The block's frames written so far: a frame several records name is written once.
    TLN_IntegtationChecker table;
    // The percent of the block's records last reported.
    int percent = -1;
};

class LevelWriter {
public:
    LevelWriter(ConversionContext& context, uint8_t level)
        : c_(context), level_(level), record_(*context.map.Level(level)),
          adjacency_(context.options.adjacentMode), planned_(context.writer.CopiesFramesUnchanged()) {}

    void run();
    // "L/S/B/i": the level, block set, block and parcel reached.
    std::string reached() const { return place().Path(); }

private:
    ParcelPlace place() const { return {&c_.map, &c_.progress, level_, set_, block_, parcel_}; }
    void transferBlock(uint32_t set, uint32_t blockIndex, const TLN_Block_Management_Record& block,
                       int64_t bytes);
    // The main frames of parcel record i, or of its sub-parcels when it is divided.
    void transferMainRecord(BlockTransfer& t, uint32_t i);
    void transferDividedMain(BlockTransfer& t, uint32_t i, const TLN_ParcelList::Record& record, int64_t at);
    // The route guidance list after the main list and its sub-lists, and its frames.
    void transferGuidanceList(BlockTransfer& t);
    void transferGuidanceRecord(BlockTransfer& t, uint32_t i, int64_t at);
    // Writes a main frame (or reuses it); returns its new offset or -1.
    // sub: the sub-parcel's number when the record is one of a divided parcel's, else -1.
    int64_t mainFrame(const TLN_ParcelList::Record& record, TLN_IntegtationChecker* table, uint32_t& size,
                      int64_t sub = -1);
    int64_t guidanceFrame(const TLN_ParcelList::Record& record, TLN_IntegtationChecker* table, uint32_t& size,
                          int64_t sub = -1);
    // The frames records of the block's main list (guidance: its route guidance list) and their sub-lists
    // name with different sizes: each is copied at the largest, and the others are reported.
    void sizeSharedFrames(BlockTransfer& t, bool guidance);
    // Why the record's frame is no frame to copy (it lies in a table of the source), or null.
    const char* misplaced(const TLN_ParcelList::Record& record, int64_t key) const {
        return c_.sourceTables.Meets(key, key + std::max<int64_t>(record.Size, 1));
    }
    // A record of the list that names something but could not be read: reported, the parcel left out.
    void unreadableRecord(const TLN_ParcelList::Record& record, int64_t sub);
    void linkGuidance(int64_t mainOffset, int64_t guideOffset, uint32_t guideSize);
    void ensureRoom(uint32_t size) const;
    // The frame unreadable, reported once per key: many records may name one frame. A guidance frame is
    // reported under ~key, apart from a main frame at the same place.
    void unreadable(int64_t key, int64_t sub, const char* what);
    void repairAdjacency();
    // A block whose parcel management information cannot be read: its parcels are named as left out.
    void unreadableBlock(uint32_t set, uint32_t block, const TLN_Block_Management_Record& record);

    // The key base of a frame's stream: the last stream's, or the context's (looked up by file name).
    int64_t keyBase(const std::shared_ptr<TLN_Stream>& stream) { return c_.keyBaseOf(stream); }
    // The bytes the frame copy gets from the source: its size when the source holds all of it, else 0.
    uint32_t plannedSize(const TLN_ParcelList::Record& record);
    // The planned frames copied, and their adjacent parcel information repaired.
    void copyPlanned();

    ConversionContext& c_;
    uint8_t level_;
    const TLN_Level_Management_Record& record_;
    AdjacencyLedger adjacency_;
    // A copy-only level is planned first, then copied in one pass.
    bool planned_;
    FrameCopyPlan plan_;
    std::vector<int64_t> notFixed_;
    // Main frames written too short to hold a route guidance reference: none is written into them.
    std::unordered_set<int64_t> shortFrames_;
    // Where the level has reached, for the "ERROR!: Parcel" line.
    uint32_t set_ = 0, block_ = 0, parcel_ = 0;
    SharedFrameSizes sizes_;
    // The size each frame of a list is named with, by its position.
    FlatKeyMap sameSize_;
    // The parcel of each main frame written at the level, by its new offset (in the order written).
    struct WrittenFrame {
        int64_t at;
        uint32_t set, block, parcel;
    };
    std::vector<WrittenFrame> written_;
    BlockTransfer transfer_;
};

void LevelWriter::ensureRoom(uint32_t size) const {
    if (c_.dataCursor + int64_t(size) > kMaxKiwiOffset + 1)
        throw EConvertError(Failure(FailureCode::OutputPast32GiB));
    c_.checkOutputBudget(c_.dataCursor + int64_t(size));
}

void LevelWriter::unreadable(int64_t key, int64_t sub, const char* what) {
    // Every parcel is named; sub-parcels naming one frame are named once.
    if (sub < 0 || c_.unreadableFrames.insert(key).second)
        c_.warn("Parcel " + reached() + (sub >= 0 ? " sub-parcel " + std::to_string(sub) : "") + what);
}

void LevelWriter::unreadableRecord(const TLN_ParcelList::Record& record, int64_t sub) {
    if (record.Address < 0) return; // the empty reference: no parcel
    c_.warn("Parcel " + reached() + (sub >= 0 ? " sub-parcel " + std::to_string(sub) : "") +
            (record.IsDivided() ? " names no sub-parcel list that lies whole in its file"
                                : " names a frame in a data file that cannot be opened") +
            ": left out");
}

int64_t LevelWriter::mainFrame(const TLN_ParcelList::Record& given, TLN_IntegtationChecker* table,
                               uint32_t& size, int64_t sub) {
    const std::shared_ptr<TLN_Stream>& stream = given.Stream;
    const int64_t key = keyBase(stream) + given.Address;
    int64_t value = -1;
    if (table && table->Find(key, value, size)) {
        // Each parcel that loses its frame is named, not only the first of those sharing it.
        if (value == -1 && sub < 0) c_.warn("Parcel " + reached() + " shares a frame left out: left out");
        return value;
    }
    TLN_ParcelList::Record record = given;
    record.Size = sizes_.Largest(key, record.Size);
    // A frame the source does not hold whole is read by no writer. It is not remembered as dropped: another
    // record may name it with a size the source holds. Nor is room asked for its declared size, which
    // damage can make 2 MiB.
    if (plannedSize(record) == 0) {
        unreadable(key, sub, " unreadable");
        return -1;
    }
    if (const char* where = misplaced(record, key)) {
        unreadable(key, sub, (std::string(" main frame lies in ") + where + ": left out").c_str());
        return -1;
    }
    ensureRoom(record.Size);
    const int64_t at = c_.dataCursor;
    if (planned_) {
        size = plannedSize(record);
    } else {
        c_.writer.EnterParcel(place());
        size = c_.writer.WriteMainFrame({stream, record.Address, record.Size}, c_.out, at);
    }
    if (size > kMaxStoredFrameBytes) {
        // Its record could not say its size: the parcel keeps what it had, and what it gained is named.
        c_.warn("Parcel " + reached() + " grew past " + std::to_string(kMaxStoredFrameBytes / 1024) +
                " kb: copied unchanged");
        size = CopyParcelWriter().WriteMainFrame({stream, record.Address, record.Size}, c_.out, at);
    }
    if (size == 0) {
        unreadable(key, sub, " unreadable");
        if (table) table->Add(key, -1, 0);
        return -1;
    }
    if (size < uint32_t(kGuidanceReferenceOffset + 6)) shortFrames_.insert(at);
    if (table) table->Add(key, at, size);
    written_.push_back({at, set_, block_, parcel_});
    if (planned_) {
        plan_.AddMain(stream, keyBase(stream), record.Address, size);
        c_.dataCursor += size;
        return at;
    }
    // While the frame is still in the output's buffer: its repair mostly costs no write of its own.
    adjacency_.Written(c_.out, key, at, size, {record_.MainMapBasicCount, record_.MainMapExtendedCount},
                       keyBase(stream));
    c_.dataCursor += size;
    return at;
}

int64_t LevelWriter::guidanceFrame(const TLN_ParcelList::Record& given, TLN_IntegtationChecker* table,
                                   uint32_t& size, int64_t sub) {
    const std::shared_ptr<TLN_Stream>& stream = given.Stream;
    const int64_t key = keyBase(stream) + given.Address;
    int64_t value = -1;
    if (table && table->Find(key, value, size)) return value;
    TLN_ParcelList::Record record = given;
    record.Size = sizes_.Largest(key, record.Size);
    if (plannedSize(record) == 0) {
        unreadable(~key, sub, " route guidance frame unreadable");
        return -1;
    }
    if (const char* where = misplaced(record, key)) {
        unreadable(~key, sub, (std::string(" route guidance frame lies in ") + where + ": left out").c_str());
        return -1;
    }
    ensureRoom(record.Size);
    const int64_t at = c_.dataCursor;
    size = planned_ ? plannedSize(record)
                    : c_.writer.WriteGuidanceFrame({stream, record.Address, record.Size}, c_.out, at);
    if (size == 0) {
        unreadable(~key, sub, " route guidance frame unreadable");
        if (table) table->Add(key, -1, 0);
        return -1;
    }
    if (table) table->Add(key, at, size);
    if (planned_) plan_.AddGuidance(stream, keyBase(stream), record.Address, size);
    c_.dataCursor += size;
    c_.routeGuidanceTotal += size;
    return at;
}

void LevelWriter::linkGuidance(int64_t mainOffset, int64_t guideOffset, uint32_t guideSize) {
    if (mainOffset < 0) return;
    if (!shortFrames_.empty() && shortFrames_.count(mainOffset)) {
        // Its bytes 28..33 belong to the frame after it.
        c_.warn("Parcel " + reached() +
                " main frame too short for its route guidance reference: copied as it is");
        return;
    }
    if (planned_) return plan_.Link(mainOffset, guideOffset, guideSize);
    c_.out.Seek(mainOffset + kGuidanceReferenceOffset);
    if (guideOffset >= 0)
        WriteAddressAndStoredSize(c_.out, guideOffset, uint16_t(guideSize / 32));
    else
        WriteEmptyReference(c_.out);
}

uint32_t LevelWriter::plannedSize(const TLN_ParcelList::Record& record) {
    // What the copy writer copies: a whole number of sectors that the source holds.
    const uint32_t size = record.Size;
    if (!record.Stream || record.Address < 0 || size == 0 || size % 32 != 0) return 0;
    return record.Address + int64_t(size) <= c_.sourceBytes(record.Stream) ? size : 0;
}

void LevelWriter::sizeSharedFrames(BlockTransfer& t, bool guidance) {
    sizes_.Begin();
    // Frames of one file each named with one size (the rule): there is nothing to size. Frames at rising
    // places are named once each; others are looked up.
    int64_t last = -1;
    if (t.list.ForEachFrame(guidance, [&](int64_t address, uint32_t) {
            const bool rises = address > last;
            last = address;
            return rises;
        }))
        return;
    sameSize_.Clear();
    if (t.list.ForEachFrame(guidance, [&](int64_t address, uint32_t size) {
            return sameSize_.Insert(address, 0, size) || *sameSize_.Find(address) == int64_t(size);
        }))
        return;
    TLN_ParcelList::Record record, subRecord;
    for (uint32_t i = 0; i < t.n; ++i) {
        if (!t.list.Read(i, guidance, record)) continue;
        if (!record.IsDivided()) {
            sizes_.Add(keyBase(record.Stream) + record.Address, record.Size, plannedSize(record) > 0, i, -1);
            continue;
        }
        if (SubListOf(c_.map, level_, record, t.sourceBytes, t.sub).position < 0) continue;
        for (uint32_t k = 0; k < t.sub.Info().RecordCount; ++k)
            if (t.sub.Read(k, false, subRecord) && !subRecord.IsDivided())
                sizes_.Add(keyBase(subRecord.Stream) + subRecord.Address, subRecord.Size,
                           plannedSize(subRecord) > 0, i, int32_t(k));
    }
    if (!sizes_.Differ()) return;
    sizes_.Finish([&](uint32_t parcel, int32_t sub, uint32_t size, uint32_t largest) {
        c_.warn("Parcel " + ParcelPlace{nullptr, nullptr, level_, t.set, t.blockIndex, parcel}.Path() +
                (sub >= 0 ? " sub-parcel " + std::to_string(sub) : "") + (guidance ? " route guidance" : "") +
                " frame is named by another record with " + std::to_string(largest) + " bytes, not " +
                std::to_string(size) + ": the " + std::to_string(largest) + " bytes copied");
    });
}

void LevelWriter::copyPlanned() {
    // Under the last block's label: the log's labels are the stages the user knows.
    plan_.Execute(
        c_.out, {record_.MainMapBasicCount, record_.MainMapExtendedCount}, c_.options.adjacentMode,
        [this] { c_.checkStop(); }, notFixed_);
}

void LevelWriter::transferBlock(uint32_t set, uint32_t blockIndex, const TLN_Block_Management_Record& block,
                                int64_t bytes) {
    BlockTransfer& t = transfer_;
    t.Begin(set, blockIndex, bytes, c_.sourceBytes(block.Stream));
    t.image.header(0, t.list.Info().FirstByte);
    sizeSharedFrames(t, false);
    for (uint32_t i = 0; i < t.n; ++i)
        transferMainRecord(t, i);
    if (t.list.Info().RouteGuidanceListPosition >= 0) transferGuidanceList(t);
    c_.out.WriteAt(c_.cursor, t.image.bytes().data(), int64_t(t.image.bytes().size()));
}

void LevelWriter::transferMainRecord(BlockTransfer& t, uint32_t i) {
    c_.checkStop();
    set_ = t.set, block_ = t.blockIndex, parcel_ = i;
    // The bar moves by whole percents: the report is asked only when it would.
    if (const int percent = ProgressPercent(i, t.n); percent != t.percent) {
        t.percent = percent;
        c_.progress.SetProgress2(i, t.n);
    }
    const int64_t at = 4 + int64_t(kRecord) * i;
    TLN_ParcelList::Record record;
    if (!t.list.Read(i, false, record)) {
        unreadableRecord(record, -1);
        t.image.empty(at);
        return;
    }
    if (c_.filters &&
        !c_.filters->ParcelKept(level_, t.set, t.blockIndex, i, record.Stream, record.Address, record.Size)) {
        t.image.empty(at);
        return;
    }
    if (c_.filters && !c_.filters->ParcelPassesDensoWestFix(level_, t.set, t.blockIndex, i)) {
        // A later record of the same frame finds the drop in the table.
        if (!record.IsDivided()) t.table.Add(keyBase(record.Stream) + record.Address, kFilteredOut, 0);
        t.image.empty(at);
        return;
    }
    if (!record.IsDivided()) {
        uint32_t size = 0;
        t.mainOffsets[i] = mainFrame(record, &t.table, size);
        if (t.mainOffsets[i] < 0)
            t.image.empty(at);
        else
            t.image.reference(at, t.mainOffsets[i], size);
        return;
    }
    transferDividedMain(t, i, record, at);
}

void LevelWriter::transferDividedMain(BlockTransfer& t, uint32_t i, const TLN_ParcelList::Record& record,
                                      int64_t at) {
    const SubList sub = SubListOf(c_.map, level_, record, t.sourceBytes, t.sub);
    if (sub.position < 0) {
        unreadableRecord(record, -1);
        t.image.empty(at);
        return;
    }
    t.image.wordOffset(at, uint32_t(t.next));
    t.image.header(t.next, sub.firstByte);
    c_.logDetail(level_, t.set, t.blockIndex, "Divided Parcel Management Record Offset = " + hex(t.next, 8),
                 i);
    t.subOffsets[i].assign(sub.records, -1);
    for (uint32_t k = 0; k < sub.records; ++k) {
        c_.checkStop();
        const int64_t subAt = t.next + 4 + int64_t(kRecord) * k;
        TLN_ParcelList::Record subRecord;
        if (!t.sub.Read(k, false, subRecord) || subRecord.IsDivided()) {
            unreadableRecord(subRecord, k);
            t.image.empty(subAt);
            continue;
        }
        uint32_t size = 0;
        // Sub-parcels share the block's table: a frame several of them name is written once.
        t.subOffsets[i][k] = mainFrame(subRecord, &t.table, size, k);
        if (t.subOffsets[i][k] < 0)
            t.image.empty(subAt);
        else
            t.image.reference(subAt, t.subOffsets[i][k], size);
    }
    t.next += 4 + int64_t(kRecord) * sub.records;
}

void LevelWriter::transferGuidanceList(BlockTransfer& t) {
    t.table.Clear();
    sizeSharedFrames(t, true);
    const int64_t list = t.next;
    t.image.word(2, uint16_t(list / 2));
    t.next += int64_t(kRecord) * t.n;
    for (uint32_t i = 0; i < t.n; ++i) {
        c_.checkStop();
        parcel_ = i;
        transferGuidanceRecord(t, i, list + int64_t(kRecord) * i);
    }
}

void LevelWriter::transferGuidanceRecord(BlockTransfer& t, uint32_t i, int64_t at) {
    TLN_ParcelList::Record record;
    const bool mainWritten = t.mainOffsets[i] >= 0 || !t.subOffsets[i].empty();
    // A parcel that gets no guidance frame gets the empty reference, never zero bytes.
    if (!mainWritten || !t.list.Read(i, true, record)) {
        // A record that names something the list could not give is named (the empty reference is none).
        if (mainWritten && record.Address >= 0)
            c_.warn("Parcel " + reached() + " route guidance record unreadable");
        t.image.empty(at);
        return;
    }
    if (!record.IsDivided() && t.mainOffsets[i] >= 0) {
        uint32_t size = 0;
        const int64_t guide = guidanceFrame(record, &t.table, size);
        if (guide < 0)
            t.image.empty(at);
        else
            t.image.reference(at, guide, size);
        linkGuidance(t.mainOffsets[i], guide, size);
        return;
    }
    const SubList sub = record.IsDivided() && !t.subOffsets[i].empty()
                            ? SubListOf(c_.map, level_, record, t.sourceBytes, t.sub)
                            : SubList{};
    if (sub.position < 0) {
        // Divided where its main record is not (or the other way round), or its sub-list unreadable.
        c_.warn("Parcel " + reached() + " route guidance record unreadable");
        t.image.empty(at);
        return;
    }
    t.image.wordOffset(at, uint32_t(t.next));
    t.image.header(t.next, sub.firstByte);
    c_.logDetail(level_, t.set, t.blockIndex,
                 "RG Divided Parcel Management Record Offset = " + hex(t.next, 8), i);
    for (uint32_t k = 0; k < sub.records; ++k) {
        c_.checkStop();
        const int64_t subAt = t.next + 4 + int64_t(kRecord) * k;
        TLN_ParcelList::Record subRecord;
        int64_t guide = -1;
        uint32_t size = 0;
        if (k < t.subOffsets[i].size() && t.subOffsets[i][k] >= 0 && t.sub.Read(k, false, subRecord) &&
            !subRecord.IsDivided())
            guide = guidanceFrame(subRecord, &t.table, size, k);
        if (guide < 0)
            t.image.empty(subAt);
        else
            t.image.reference(subAt, guide, size);
        if (k < t.subOffsets[i].size()) linkGuidance(t.subOffsets[i][k], guide, size);
    }
    t.next += 4 + int64_t(kRecord) * sub.records;
}

void LevelWriter::unreadableBlock(uint32_t set, uint32_t block, const TLN_Block_Management_Record& record) {
    std::string why = "its parcel management information cannot be read";
    TLN_ParcelList list;
    if (!record.Stream)
        why = "its data file " + record.FileName + " cannot be opened";
    else if (list.Open(c_.map, record.Stream, level_, record.Address, c_.sourceBytes(record.Stream)))
        why = "its parcel management list is of type " + std::to_string(list.Info().ListType) +
              ", which names no frames";
    c_.warn("Block " + std::to_string(level_) + "/" + std::to_string(set) + "/" + std::to_string(block) +
            ": " + why + ": its parcels are left out");
}

void LevelWriter::repairAdjacency() {
    c_.progress.SetTaskBarIndeterminate();
    // The ledger keeps its frames in order as they come: the label stays, nothing is left to sort.
    c_.progress.SetProgressLabel("Sorting Parcel Address List...  Level " + std::to_string(level_));
    const size_t entries = planned_ ? plan_.MainFrames() : adjacency_.Frames();
    c_.progress.SetProgressLabel("Updating ADJACENT PARCEL INFORMATION (" + std::to_string(entries) +
                                 ") ...  Level " + std::to_string(level_));
    c_.progress.AddLog("Update Adjacent Parcel Info Level= " + std::to_string(level_) +
                       " Parcel Count= " + std::to_string(entries));
    c_.checkStop();
    const auto notFixed = [&](int64_t frame) {
        // Named as the source's parcel: the frame's new offset tells the user nothing.
        const auto it = std::lower_bound(written_.begin(), written_.end(), frame,
                                         [](const WrittenFrame& w, int64_t at) { return w.at < at; });
        if (it == written_.end() || it->at != frame)
            return c_.warn("Parcel at 0x" + hex(frame, 10) + " adjacent info out of frame");
        c_.warn("Parcel " + ParcelPlace{nullptr, nullptr, level_, it->set, it->block, it->parcel}.Path() +
                " adjacent info out of frame");
    };
    if (planned_) {
        std::sort(notFixed_.begin(), notFixed_.end());
        for (int64_t frame : notFixed_)
            notFixed(frame);
        notFixed_.clear();
    } else if (!adjacency_.Finish(c_.out, &c_.stop, notFixed)) {
        c_.checkStop();
    }
    adjacency_.Clear();
    shortFrames_.clear();
    written_.clear();
}

void LevelWriter::run() {
    const std::string L = std::to_string(level_);
    c_.progress.AddLog("Level " + L + " Main Map Data Offset: " + hex(c_.dataCursor, 10));
    c_.progress.SetProgressLabel("Transferring New MM Data ...  Level " + L);
    // The data volume lists the level code (the record's first byte / 4), not the record's byte.
    LevelTableEntry& entry = c_.levelTable.emplace_back(LevelTableEntry{uint8_t(record_.LevelCode), 0});
    c_.writer.BeginLevel(level_);
    if (planned_) plan_.Begin(c_.dataCursor);
    if (level_ == 0) {
        // The source's own tables, beside the parcel lists the sizing found.
        const TLN_Management_Header part = c_.map.GetManagementHeader(0);
        c_.sourceTables.Add(0, kVolumeHeaderBytes, SourceTables::Kind::VolumeHeader);
        const int64_t base = c_.keyBaseOf(*c_.map.PartStream());
        c_.sourceTables.Add(base + part.Address, base + part.Address + part.Size,
                            SourceTables::Kind::ManagementData);
    }
    c_.sourceTables.Finish();
    // The block sets whose records the table holds, not the counts a damaged record declares.
    const uint32_t sets = record_.AcceptedBlockSetCount;
    for (uint32_t s = 0; s < sets; ++s) {
        c_.checkStop();
        set_ = s, block_ = 0, parcel_ = 0;
        c_.progress.SetProgress1(s, sets);
        c_.progress.SetProgressLabel("Transferring ...  Level " + L + "   BlockSet " + std::to_string(s));
        TLN_BlockSet_Management_Record set;
        if (!c_.map.ReadBlockSet(level_, s, set)) continue;
        const int64_t setRecord = c_.moved(set.Position) + c_.levelGrowth;
        const uint32_t words = uint32_t(record_.BlockCount()) * kRecord / 2;
        if (c_.map.BlockRecordSize() != kRecord || set.BlockTableSize < 2 * words) {
            // Every block record is written as 6 bytes, one for each block the level's division names:
            // the table's size in words follows.
            c_.out.Seek(setRecord + layout::kBlockSetTableSizeField);
            const uint8_t bytes[4] = {uint8_t(words >> 24), uint8_t(words >> 16), uint8_t(words >> 8),
                                      uint8_t(words)};
            c_.out.Write(bytes, 4);
        }
        bool anyKept = false;
        // The blocks of a table an earlier block set named: each names information already placed, so
        // each record is left empty as that block's would be, in one write.
        const uint32_t walked = std::min(c_.BlocksWalkedBefore(set), set.BlockCount);
        if (walked > 0) {
            if (c_.repeatedBlockTables.insert(set.BlockTablePosition).second)
                c_.warn("Block set " + L + "/" + std::to_string(s) +
                        " names the block table of an earlier block set: its blocks are left empty, as are "
                        "those of later ones naming it");
            std::vector<uint8_t> empty(size_t(walked) * kRecord);
            for (size_t at = 0; at < empty.size(); at += kRecord)
                std::copy_n(kEmpty, kRecord, empty.begin() + ptrdiff_t(at));
            c_.out.WriteAt(c_.moved(set.BlockTablePosition) + c_.tableGrowth, empty.data(),
                           int64_t(empty.size()));
        }
        for (uint32_t b = walked; b < set.BlockCount; ++b) {
            block_ = b;
            c_.progress.SetProgressLabel("Transferring ...  Level " + L + "   BlockSet " + std::to_string(s) +
                                         "   Block " + std::to_string(b));
            const int64_t blockRecord =
                c_.moved(set.BlockTablePosition) + c_.tableGrowth + int64_t(kRecord) * b;
            TLN_Block_Management_Record block;
            // Whether a block's information was used before is decided before the trim, in the order
            // the space for the information was reserved; its size is the reservation's.
            const bool readBlock = c_.map.ReadBlock(level_, set, b, block);
            const int64_t bytes = readBlock ? InformationBytes(c_, level_, block) : -1;
            const bool readable = bytes >= 0;
            const bool first = readable && c_.FirstUseOfInformation(block);
            if (readable && !first)
                c_.warn("Block " + std::to_string(level_) + "/" + std::to_string(s) + "/" +
                        std::to_string(b) +
                        " names the parcel management information of an earlier block: left empty");
            if (readBlock && !readable) unreadableBlock(s, b, block);
            if (!first || (c_.filters && !c_.filters->BlockInTrimArea(level_, s, b))) {
                c_.out.Seek(blockRecord);
                WriteEmptyReference(c_.out);
                continue;
            }
            if (bytes / 32 > 0xFFFF) {
                c_.warn("Block " + std::to_string(level_) + "/" + std::to_string(s) + "/" +
                        std::to_string(b) + " parcel management information too large");
                c_.out.Seek(blockRecord);
                WriteEmptyReference(c_.out);
                continue;
            }
            c_.out.Seek(blockRecord);
            // The block's list is read once more (a level's lists need not fit the map's cache), and its
            // records are walked once.
            if (!transfer_.list.Open(c_.map, block.Stream, level_, block.Address,
                                     c_.sourceBytes(block.Stream)))
                throw EReadError(Failure(FailureCode::ParcelInformationUnreadable,
                                         {{"level", level_}, {"blockSet", s}, {"block", b}}));
            WriteAddressAndStoredSize(c_.out, c_.cursor, uint16_t(bytes / 32));
            c_.logDetail(level_, s, b, "Parcel Management Record Addr = " + hex(c_.cursor, 8));
            transferBlock(s, b, block, bytes);
            c_.cursor += bytes;
            ++entry.blocks;
            anyKept = true;
        }
        if (!anyKept) {
            c_.out.Seek(setRecord + layout::kBlockSetBlockTableField);
            WriteEmptyReference(c_.out);
        }
    }
    if (planned_) copyPlanned();
    repairAdjacency();
}

} // namespace

void TransferLevel(ConversionContext& context, uint8_t level) {
    LevelWriter writer(context, level);
    try {
        writer.run();
    } catch (...) {
        context.progress.AddLog("ERROR!: Parcel " + writer.reached());
        throw;
    }
}
