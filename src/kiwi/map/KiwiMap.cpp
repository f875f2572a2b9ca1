// TLN_KiwiMap: creation, the main map header, the levels and the data files beside "ALLDATA.KWI".
#include "kiwi/map/KiwiMap.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/map/MainMapLayout.h"

namespace {
namespace layout = main_map_layout;
// Levels are addressed by a byte.
constexpr uint32_t kMaxLevels = 256;
// Larger level tables are read record by record.
constexpr int64_t kMaxLevelSpan = 4 << 20;
// Bounds of the span cache and of the data file names whose paths are remembered.
constexpr size_t kSpanCacheBytes = 32u << 20;
constexpr size_t kMaxDataFileNames = 4096;
// 360 degrees in 1/8 arc-second.
constexpr int32_t kFullCircle = 10368000;
} // namespace

TLN_KiwiMap::TLN_KiwiMap(const std::string& allDataPath, StreamOpener opener)
    : path_(allDataPath), folder_(folderPart(allDataPath)),
      opener_(opener ? std::move(opener) : StreamOpener(OpenKiwiFile)), cache_(kSpanCacheBytes) {
    codePages_ = LoadMapCodePages();
    allData_ = std::make_unique<TLN_AllDataManager>(opener_(allDataPath));
    systemNumber_ = allData_->SystemNumber();
    systemVariant_ = allData_->SystemVariant();
    logicalSectorSize_ = allData_->LogicalSectorSize();
    valid_ = logicalSectorSize_ == 32;
    if (!valid_) return;
    try {
        load();
    } catch (const KiwiError& error) {
        // A stream that fails while the header and levels are read leaves a valid map without levels.
        error_.Keep(error);
        levels_.clear();
        levelsLoaded_ = false;
    }
}

TLN_KiwiMap::~TLN_KiwiMap() {
    cache_.Clear();
    FreeDataFileStreams();
}

void TLN_KiwiMap::load() {
    for (int i = 0; i < kManagementHeaderCount; ++i)
        headers_.push_back(allData_->GetManagementHeader(i));
    const TLN_Management_Header& part = headers_[0];
    if (!part.Present() || part.Address < 0) return;
    if (part.Name.empty()) {
        partStream_ = allData_->SharedStream();
    } else {
        partStream_ = openBeside(part.Name);
        ownsPartStream_ = partStream_ != nullptr;
    }
    if (!partStream_) return;
    partBase_ = part.Address;
    readMainMapHeader();
}

std::shared_ptr<TLN_Stream> TLN_KiwiMap::openBeside(const std::string& name) {
    const auto bare = safeBareName(name);
    if (!bare) return nullptr;
    // Exact name first, then a case-insensitive match in the folder; the opener may also know files that
    // are not on disk (inside a mounted image), so the plain joined path is the last try.
    const auto resolved = resolveInFolder(folder_.empty() ? std::string(".") : folder_, *bare);
    const std::string path = resolved ? *resolved : joinPath(folder_, *bare);
    try {
        return opener_(path);
    } catch (const std::exception& error) {
        error_.Keep(error);
        return nullptr;
    }
}

TLN_KiwiMap::Span TLN_KiwiMap::readSpan(TLN_Stream& stream, int64_t position, int64_t count) {
    return bounded::readShared(stream, position, count);
}

void TLN_KiwiMap::readMainMapHeader() {
    const Span header = readSpan(*partStream_, partBase_, layout::kHeaderBytes);
    if (header->size() < size_t(layout::kHeaderBytes)) {
        layoutDamage_ = "the file ends inside the main map management header";
        return;
    }
    const BeCursor cursor(header->data(), header->size());
    headerSize_ = 2u * cursor.u16(layout::kHeaderSizeField);
    fileNameDesignation_ = (cursor.u16(layout::kFileNameDesignationField) & 1) != 0;
    coverageNorth_ = SignMag24ToInt(cursor.u24(layout::kCoverageFields));
    coverageSouth_ = SignMag24ToInt(cursor.u24(layout::kCoverageFields + 3));
    coverageWest_ = SignMag24ToInt(cursor.u24(layout::kCoverageFields + 6));
    coverageEast_ = SignMag24ToInt(cursor.u24(layout::kCoverageFields + 9));
    levelRecordSize_ = 2u * cursor.u16(layout::kLevelRecordSizeField);
    blockSetRecordSize_ = 2u * cursor.u16(layout::kBlockSetRecordSizeField);
    blockRecordSize_ = 2u * cursor.u16(layout::kBlockRecordSizeField);
    levelRecordCount_ = cursor.u16(layout::kLevelRecordCountField);
    blockSetRecordCount_ = cursor.u16(layout::kBlockSetRecordCountField);
    // Records closer together than their fields overlap one another: what is read of them is no table.
    for (const std::string& why :
         {layout::RecordSizeRefusal("level", levelRecordSize_, layout::kLevelRecordBytes),
          layout::RecordSizeRefusal("block set", blockSetRecordSize_, layout::kBlockSetRecordBytes),
          layout::RecordSizeRefusal(
              "block", blockRecordSize_, layout::BlockRecordBytes(fileNameDesignation_),
              fileNameDesignation_ ? " with their file names (File Name Designation set)" : "")})
        if (layoutDamage_.empty()) layoutDamage_ = why;

    coverage_.Left = coverageWest_;
    coverage_.Top = coverageNorth_;
    coverage_.Right = coverageEast_;
    coverage_.Bottom = coverageSouth_;
    if (coverage_.Right < coverage_.Left) coverage_.Right += kFullCircle;
    const int64_t coverageWidth = int64_t(coverage_.Right) - coverage_.Left;
    const int64_t coverageHeight = int64_t(coverage_.Top) - coverage_.Bottom;

    // Each record is decoded from at least the 40 bytes every level record has.
    const int64_t recordSpan = std::max<int64_t>(levelRecordSize_, layout::kLevelRecordBytes);
    const int64_t first = partBase_ + layout::kHeaderBytes;
    const int64_t streamSize = partStream_->Size();
    partSize_ = streamSize;
    uint32_t count = std::min<uint32_t>(levelRecordCount_, kMaxLevels);
    // Records that the stream cannot hold are not levels.
    while (count > 0 &&
           first + int64_t(count - 1) * levelRecordSize_ + layout::kLevelRecordBytes > streamSize)
        --count;
    const int64_t total = count == 0 ? 0 : int64_t(count - 1) * levelRecordSize_ + recordSpan;
    const Span all = total <= kMaxLevelSpan ? readSpan(*partStream_, first, total) : nullptr;
    const bool computeParcelSize = systemVariant_ < 3;
    // Records closer together than the bytes each is read from overlap one another: only the first is a
    // level. A record that reaches into a block set table (its own or an earlier level's) overlaps the
    // structure after the level table, and it and the records after it are not levels.
    if (levelRecordSize_ < layout::kLevelRecordBytes) count = std::min<uint32_t>(count, 1);
    int64_t nextStructure = std::numeric_limits<int64_t>::max();
    for (uint32_t level = 0; level < count; ++level) {
        const int64_t offset = int64_t(level) * levelRecordSize_;
        Span own = all;
        int64_t at = offset;
        if (!all) {
            own = readSpan(*partStream_, first + offset, recordSpan);
            at = 0;
        }
        const BeCursor record = BeCursor(own->data(), own->size())
                                    .sub(at, std::min<int64_t>(recordSpan, int64_t(own->size()) - at));
        TLN_Level_Management_Record decoded =
            DecodeLevelRecord(record, levelRecordSize_, partBase_, first + offset, coverageWidth,
                              coverageHeight, computeParcelSize);
        const int64_t table = decoded.BlockSetTablePosition;
        const int64_t boundary = table >= first ? std::min(nextStructure, table) : nextStructure;
        if (first + offset + recordSpan > boundary) {
            if (layoutDamage_.empty())
                layoutDamage_ = "level " + std::to_string(level) + "'s record (at " +
                                std::to_string(first + offset) + ") runs into the block set table at " +
                                std::to_string(boundary);
            break;
        }
        nextStructure = boundary;
        // Block sets only as far as their records fit in the file (and apart from one another).
        if (table >= 0) {
            const int64_t fit =
                bounded::recordsThatFit(uint64_t(decoded.BlockSetCount()), table, blockSetRecordSize_,
                                        layout::kBlockSetRecordBytes, streamSize);
            decoded.AcceptedBlockSetCount = uint32_t(
                blockSetRecordSize_ < layout::kBlockSetRecordBytes ? std::min<int64_t>(fit, 1) : fit);
        }
        levels_.push_back(std::move(decoded));
    }
    if (levels_.size() < levelRecordCount_ && layoutDamage_.empty())
        layoutDamage_ = "the main map management header declares " + std::to_string(levelRecordCount_) +
                        " level records, of which the file holds " + std::to_string(levels_.size()) +
                        " whole";
    levelsLoaded_ = true;
}

TLN_Management_Header TLN_KiwiMap::GetManagementHeader(int index) const {
    if (index < 0 || size_t(index) >= headers_.size()) return {};
    return headers_[size_t(index)];
}

const TLN_Level_Management_Record* TLN_KiwiMap::Level(uint8_t level) const {
    return level < levels_.size() ? &levels_[level] : nullptr;
}

TLN_Level_Management_Record TLN_KiwiMap::GetLevel(uint8_t level) const {
    const TLN_Level_Management_Record* record = Level(level);
    return record ? *record : TLN_Level_Management_Record{};
}

TLN_Division TLN_KiwiMap::GetLevelWord(uint8_t level, int type) const {
    const TLN_Level_Management_Record* record = Level(level);
    if (!record || type < 0 || type > 3) return TLN_Division{0, 0};
    return record->Divisions[size_t(type)];
}

std::shared_ptr<TLN_Stream> TLN_KiwiMap::GetDataFileStream(const std::string& name) {
    std::string path;
    {
        std::lock_guard lock(dataFilesMutex_);
        if (const auto known = dataFilePaths_.find(name); known != dataFilePaths_.end()) {
            path = known->second;
        } else {
            const auto bare = safeBareName(name);
            std::optional<std::string> resolved;
            if (bare) resolved = resolveInFolder(folder_.empty() ? std::string(".") : folder_, *bare);
            path = resolved ? *resolved : (bare ? joinPath(folder_, *bare) : std::string());
            if (dataFilePaths_.size() >= kMaxDataFileNames) dataFilePaths_.clear();
            dataFilePaths_.emplace(name, path);
        }
    }
    if (path.empty()) return nullptr;
    // Keyed by path: names that differ only in case reach the same file, which is opened once.
    return dataFiles_.Get(path, [&]() -> std::shared_ptr<TLN_Stream> {
        try {
            return opener_(path);
        } catch (const std::exception& error) {
            error_.Keep(error);
            return nullptr;
        }
    });
}

void TLN_KiwiMap::FreeDataFileStreams() {
    {
        std::lock_guard lock(dataFilesMutex_);
        dataFilePaths_.clear();
    }
    dataFiles_.Clear();
}

std::vector<TLN_FileStreamRec> TLN_KiwiMap::DataFileStreams() const {
    std::vector<TLN_FileStreamRec> records;
    for (auto& [path, stream] : dataFiles_.Streams())
        records.push_back(TLN_FileStreamRec{fileNamePart(path), std::move(stream)});
    return records;
}
