// Reader of the route planning data: management records from the stream, frames through TLN_Region.
#include "kiwi/region/RegionManager.h"

#include <algorithm>

#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

TLN_RegionManager::TLN_RegionManager(const std::string& fileName) : TLN_Manager(fileName) {
    readHeader();
}

TLN_RegionManager::TLN_RegionManager(std::shared_ptr<TLN_Stream> stream, int64_t offset)
    : TLN_Manager(std::move(stream), offset) {
    readHeader();
}

void TLN_RegionManager::readBytes(TLN_Stream& stream, int64_t position, int64_t count,
                                  std::vector<uint8_t>& out) const {
    try {
        bounded::readBytes(stream, position, count, out);
    } catch (const std::exception& error) {
        error_.Keep(error);
        out.clear();
    }
}

void TLN_RegionManager::readHeader() {
    if (!valid_) return;
    valid_ = false;
    std::vector<uint8_t> bytes;
    readBytes(*stream_, base_, kRegionHeaderFixedSize, bytes);
    if (!DecodeRegionHeader(BeCursor(bytes.data(), bytes.size()), base_, header_)) {
        // A read error has kept its own reason; a short file gets this one.
        if (error_.Get().empty())
            fail(KiwiError(HeaderShortFailure("the region data header", int64_t(kRegionHeaderFixedSize),
                                              int64_t(bytes.size()))));
        return;
    }
    if (header_.LevelCount < 1 || header_.LevelCount > kMaxRegionLevels) {
        fail(KiwiError("the region data counts " + std::to_string(header_.LevelCount) + " levels (1 to " +
                       std::to_string(kMaxRegionLevels) + " are valid)"));
        return;
    }

    // The region tables of the levels follow one another from the table address.
    const int64_t recordBytes =
        header_.TypeCode == kRegionTypeWithFileName ? kRegionRecordNamedReadSize : kRegionRecordReadSize;
    int64_t table = header_.RegionTablePosition;
    for (int i = 0; i < header_.LevelCount; ++i) {
        const int64_t position = base_ + kRegionHeaderFixedSize + int64_t(i) * header_.LevelRecordSize * 2;
        readBytes(*stream_, position, kRegionLevelRecordReadSize, bytes);
        TLN_Region_Level_Record level;
        if (!DecodeRegionLevelRecord(BeCursor(bytes.data(), bytes.size()), position, level)) {
            levels_.clear();
            tableErrors_.clear();
            usableRegions_.clear();
            if (error_.Get().empty())
                fail(KiwiError("level management record " + std::to_string(i) +
                               " of the region data is cut short"));
            return;
        }
        level.TablePosition = table;
        if (table >= 0) table += int64_t(level.RegionCount) * level.RegionRecordSize * 2;
        // Records closer together than the fields each holds overlap: no layout, whatever their count.
        Failure tableError;
        int64_t usable = 0;
        if (level.RegionCount > 0 && int64_t(level.RegionRecordSize) * 2 < recordBytes) {
            tableError = Failure::Words("region records of " + std::to_string(level.RegionRecordSize * 2) +
                                        " bytes, each needs " + std::to_string(recordBytes));
        } else {
            const whole::Counted counted = whole::CountRecords(
                *stream_, "Total Number of Region Management Records", level.RegionCount, level.TablePosition,
                recordBytes, stream_->Size(), int64_t(level.RegionRecordSize) * 2);
            tableError = counted.reason;
            usable = counted.readable;
        }
        levels_.push_back(level);
        tableErrors_.push_back(std::move(tableError));
        usableRegions_.push_back(usable);
    }
    valid_ = true;
}

std::string TLN_RegionManager::RegionTableError(int level) const {
    return RegionTableReason(level).English();
}

Failure TLN_RegionManager::RegionTableReason(int level) const {
    return level >= 0 && level < LevelCount() ? tableErrors_[size_t(level)] : Failure();
}

int64_t TLN_RegionManager::UsableRegionCount(int level) const {
    return level >= 0 && level < LevelCount() ? usableRegions_[size_t(level)] : 0;
}

std::string TLN_RegionManager::RegionFrameError(int level, int region) const {
    TLN_Region_Manag_Record record;
    if (!ReadRegionRecord(level, region, record)) return {};
    // A region without a frame has no route planning data, which is no damage.
    if (record.FrameSize == 0 || KiwiAddressToOffset(record.FrameAddress) <= 0 || record.FramePosition <= 0)
        return {};
    const auto stream = FrameStream(record.FrameFile);
    if (!stream) return "the file " + record.FileName + " of the route planning data frame cannot be opened";
    TLN_RP_Distribution_Header header;
    std::string why;
    if (!ReadRPDistributionHeader(level, header, record.FramePosition, record.FrameFile, &why)) return why;
    return RPFramesShortfall(header, *stream);
}

int TLN_RegionManager::GetRegionItem(int i) const {
    if (i < 0 || i >= LevelCount()) return -1;
    return levels_[size_t(i)].LevelCode;
}

int TLN_RegionManager::LevelIndexOfCode(int code) const {
    for (int i = 0; i < LevelCount(); ++i)
        if (levels_[size_t(i)].LevelCode == code) return i;
    return -1;
}

bool TLN_RegionManager::GetLevelRecord(int i, TLN_Region_Level_Record& out) const {
    if (i < 0 || i >= LevelCount()) return false;
    out = levels_[size_t(i)];
    return true;
}

std::string TLN_RegionManager::resolveFrameFile(const std::string& name) const {
    const std::string own = GetFileName();
    if (own.empty() || !safeBareName(name)) return {};
    // Beside the reader's file: in the mounted image (whose lookup ignores case), else on disk, exact name
    // first, then ignoring case.
    std::string path;
    if (IsISOImageOpen()) {
        path = joinPath(folderPart(own), name);
        if (!ISOFileExists(path)) return {};
    } else {
        const std::optional<std::string> found = resolveInFolder(folderPart(own), name);
        if (!found) return {};
        path = *found;
    }
    return FrameStream(path) ? path : std::string();
}

std::shared_ptr<TLN_Stream> TLN_RegionManager::FrameStream(const std::string& frameFile) const {
    if (frameFile.empty()) return stream_;
    return frameStreams_.Get(frameFile, [&]() -> std::shared_ptr<TLN_Stream> {
        try {
            return OpenKiwiFile(frameFile);
        } catch (const std::exception& error) {
            error_.Keep(error);
            return nullptr; // remembered, so a missing file is not probed again
        }
    });
}

bool TLN_RegionManager::ReadRegionRecord(int level, int region, TLN_Region_Manag_Record& out) const {
    if (level < 0 || level >= LevelCount()) return false;
    const TLN_Region_Level_Record& record = levels_[size_t(level)];
    if (region < 0 || region >= usableRegions_[size_t(level)]) return false;
    const bool named = header_.TypeCode == kRegionTypeWithFileName;
    const int64_t position = record.TablePosition + int64_t(region) * record.RegionRecordSize * 2;
    std::vector<uint8_t> bytes;
    readBytes(*stream_, position, named ? kRegionRecordNamedReadSize : kRegionRecordReadSize, bytes);
    if (!DecodeRegionRecord(BeCursor(bytes.data(), bytes.size()), position, named, out)) return false;

    const int64_t offset = KiwiAddressToOffset(out.FrameAddress);
    if (!out.FileName.empty()) out.FrameFile = resolveFrameFile(out.FileName);
    // A frame in its own file counts from that file's start; otherwise it lies in the region data.
    if (offset < 0)
        out.FramePosition = -1;
    else
        out.FramePosition = out.FrameFile.empty() ? base_ + offset : offset;
    return true;
}

bool TLN_RegionManager::ReadRPDistributionHeader(int level, TLN_RP_Distribution_Header& out,
                                                 int64_t framePosition, const std::string& frameFile,
                                                 std::string* why) const {
    if (level < 0 || level >= LevelCount()) return false;
    const auto stream = FrameStream(frameFile);
    if (!stream) return false;
    const int extended = levels_[size_t(level)].ExtendedFrameCount;
    std::vector<uint8_t> bytes;
    try {
        bytes = whole::ReadBytes(*stream, framePosition, kRPHeaderFixedSize + 6 * extended,
                                 "the route planning distribution header");
    } catch (const std::exception& error) {
        error_.Keep(error);
        if (why) *why = error.what();
        return false;
    }
    if (!DecodeRPDistributionHeader(BeCursor(bytes.data(), bytes.size()), framePosition, extended, out))
        return false;
    out.FrameFile = frameFile;
    const TLN_RP_Frame_Reference& coordinates = out.Frames[RP_NodeCoordinateFrame];
    if (coordinates.Offset > 0 && coordinates.Position >= 0) {
        readBytes(*stream, coordinates.Position, kRPNodeCoordHeaderSize, bytes);
        DecodeRPNodeCoordHeader(BeCursor(bytes.data(), bytes.size()), coordinates.Position, out.Coordinates);
    }
    return true;
}

bool TLN_RegionManager::ReadNodeHeader(TLN_RP_Node_Header& out, int64_t position,
                                       const std::string& frameFile) const {
    const auto stream = FrameStream(frameFile);
    if (!stream) return false;
    std::vector<uint8_t> bytes;
    readBytes(*stream, position, kRPNodeHeaderFixedSize, bytes);
    if (bytes.size() < size_t(kRPNodeHeaderFixedSize)) return false;
    const int64_t ranks = BeCursor(bytes.data(), bytes.size()).u16(6);
    // readBytes never delivers more than the stream holds, so the rank count cannot inflate the buffer.
    readBytes(*stream, position, kRPNodeHeaderFixedSize + ranks * kRPRankSize, bytes);
    return DecodeRPNodeHeader(BeCursor(bytes.data(), bytes.size()), position, out);
}

bool TLN_RegionManager::ReadLinkCostRecord(bool withTime, TLN_RP_Link_Cost_Record& out, int64_t position,
                                           const std::string& frameFile) const {
    const auto stream = FrameStream(frameFile);
    if (!stream) return false;
    std::vector<uint8_t> bytes;
    readBytes(*stream, position, kRPLinkCostRecordSize, bytes);
    return DecodeRPLinkCostRecord(BeCursor(bytes.data(), bytes.size()), position, withTime, out);
}

void TLN_RegionManager::SetRPHeader(const TLN_RP_Distribution_Header& header) {
    std::lock_guard lock(mutex_);
    rpHeader_ = header;
}

TLN_RP_Distribution_Header TLN_RegionManager::GetRPHeader() const {
    std::lock_guard lock(mutex_);
    return rpHeader_;
}

bool TLN_RegionManager::ReadNodeRecord(int node, int level, TLN_RP_Node_Record& out) const {
    std::shared_ptr<const TLN_Region> region;
    TLN_RP_Distribution_Header header;
    {
        std::lock_guard lock(mutex_);
        header = rpHeader_;
        if (headerRegion_ && headerRegionKey_ == std::make_tuple(header.FrameFile, header.Position, level))
            region = headerRegion_;
    }
    if (!region) {
        if (header.Position < 0) return false;
        auto fresh = std::make_shared<const TLN_Region>(*this, level, header);
        if (!fresh->IsValid()) return false;
        std::lock_guard lock(mutex_);
        headerRegion_ = fresh;
        headerRegionKey_ = std::make_tuple(header.FrameFile, header.Position, level);
        region = fresh;
    }
    return region->ReadNode(node, out);
}

std::shared_ptr<const TLN_Region> TLN_RegionManager::GetRegion(int level, int region, Failure* why) {
    if (!valid_ || level < 0 || level >= LevelCount()) return nullptr;
    if (region < 0 || region >= levels_[size_t(level)].RegionCount) return nullptr;
    if (auto cached = cache_.Find(level, region)) return cached;
    // Read outside the cache's lock: two threads may read the same region, and the first one kept wins.
    auto fresh = std::make_shared<const TLN_Region>(*this, level, region);
    if (!fresh->IsValid()) {
        if (why) *why = fresh->ErrorReason();
        return nullptr;
    }
    const int64_t bytes = fresh->MemoryBytes();
    return cache_.Insert(level, region, std::move(fresh), bytes);
}

void TLN_RegionManager::ClearRegions() {
    cache_.Clear();
    std::lock_guard lock(mutex_);
    headerRegion_.reset();
}
