// TLN_RegionManager: the reader of the route planning data (REGION.KWI, the REGION1.KWI volume set, or the
// region part inside ALLDATA at a base offset): header, level and region management records, route planning
// frames, and a bounded cache of regions. Safe to use from several threads at once.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "kiwi/disc/DataFileStreams.h"
#include "kiwi/parts/Manager.h"
#include "kiwi/region/Region.h"
#include "kiwi/region/RegionCache.h"
#include "kiwi/region/RegionRecords.h"
#include "kiwi/region/RouteRecords.h"

class TLN_RegionManager : public TLN_Manager, public TLN_RegionSource {
public:
    // About 80 regions of the largest size (nine frames of 128 KiB each).
    static constexpr int64_t kDefaultRegionCacheBytes = int64_t(96) << 20;

    // Opens the named file (Create); raises EFOpenError when it cannot be opened. A bad header clears the
    // valid flag.
    explicit TLN_RegionManager(const std::string& fileName);
    // Reads the region data at offset in a shared stream (CreateFromStream); every KIWI address of the data
    // counts from that offset.
    TLN_RegionManager(std::shared_ptr<TLN_Stream> stream, int64_t offset);

    const TLN_Region_Header& Header() const { return header_; }
    int LevelCount() const { return int(levels_.size()); }
    // The level code of level record i; -1 when there is no such record.
    int GetRegionItem(int i) const;
    // The index of the first level record whose level code is code; -1 when none has it. Parcels name
    // their route planning regions by level code, while the level arguments below are record indices.
    int LevelIndexOfCode(int code) const;
    bool GetLevelRecord(int i, TLN_Region_Level_Record& out) const override;
    // Why the region management table of level record i cannot be read whole ("" when it can): its records
    // are closer together than the fields each holds (no table: no region records are read), or some lie
    // past the end of the file (the ones before it are still read).
    std::string RegionTableError(int level) const;
    // The same as data.
    Failure RegionTableReason(int level) const;
    // The regions of level record i whose management records lie wholly in the reader's stream (none for a
    // level whose table is no table).
    int64_t UsableRegionCount(int level) const;
    // Why the route planning data of region `region` of level `level` cannot be read ("" when it can, or
    // when the region has no frame): its distribution header or the frames it locates lie past the end of
    // their file, or that file cannot be opened. Reads the header only, not the frames.
    std::string RegionFrameError(int level, int region) const;

    // Region management record `region` of level `level`. A type-100 frame name is looked up beside the
    // reader's file; when it is found the record's FrameFile names it and FramePosition counts in that file.
    bool ReadRegionRecord(int level, int region, TLN_Region_Manag_Record& out) const override;
    // The route planning distribution header (with the node coordinate header when that frame exists) at
    // framePosition in the stream of frameFile ("" = the reader's own stream).
    bool ReadRPDistributionHeader(int level, TLN_RP_Distribution_Header& out, int64_t framePosition,
                                  const std::string& frameFile = {},
                                  std::string* why = nullptr) const override;
    // The node distribution header with its ranks at position.
    bool ReadNodeHeader(TLN_RP_Node_Header& out, int64_t position, const std::string& frameFile = {}) const;
    // Node `node` of the frames of the header last given to SetRPHeader, read with the record sizes of
    // `level`; false when there is no such header or node.
    bool ReadNodeRecord(int node, int level, TLN_RP_Node_Record& out) const;
    // A link cost record at position; withTime is the rank's Average Traveling Time Flag.
    bool ReadLinkCostRecord(bool withTime, TLN_RP_Link_Cost_Record& out, int64_t position,
                            const std::string& frameFile = {}) const;
    void SetRPHeader(const TLN_RP_Distribution_Header& header);
    TLN_RP_Distribution_Header GetRPHeader() const;

    // Region `region` of level record `level` (an index, see LevelIndexOfCode), read on first use and kept
    // in the cache; nullptr when it does not exist or its frame is missing or cannot be read whole (why,
    // when given, then says so). The region stays usable after it leaves the cache.
    std::shared_ptr<const TLN_Region> GetRegion(int level, int region, Failure* why = nullptr);
    void ClearRegions();
    void SetRegionCacheLimit(int64_t bytes) { cache_.SetLimit(bytes); }
    const TLN_RegionCache& RegionCache() const { return cache_; }

    // The stream that holds frames of frameFile: the reader's own stream for "", else the named file (opened
    // once while in use; a bounded number stay open); nullptr when it cannot be opened.
    std::shared_ptr<TLN_Stream> FrameStream(const std::string& frameFile) const override;
    // The bounded cache of open frame files (for tests and statistics).
    const DataFileStreams& FrameFiles() const { return frameStreams_; }

private:
    void readHeader();
    // Reads up to count bytes at position into out (resized to what was delivered); I/O errors deliver 0.
    void readBytes(TLN_Stream& stream, int64_t position, int64_t count, std::vector<uint8_t>& out) const;
    std::string resolveFrameFile(const std::string& name) const;

    TLN_Region_Header header_;
    std::vector<TLN_Region_Level_Record> levels_;
    // RegionTableError and UsableRegionCount of each level.
    std::vector<Failure> tableErrors_;
    std::vector<int64_t> usableRegions_;
    TLN_RegionCache cache_{kDefaultRegionCacheBytes};
    // The frame files named by type-100 records, by path.
    mutable DataFileStreams frameStreams_;

    mutable std::mutex mutex_; // guards the members below
    TLN_RP_Distribution_Header rpHeader_;
    // The frames of the stored header, kept for the next node of the same frames and level.
    mutable std::shared_ptr<const TLN_Region> headerRegion_;
    mutable std::tuple<std::string, int64_t, int> headerRegionKey_;
};
