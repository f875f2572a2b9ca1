// TLN_KiwiMap: the model of a volume's main map: the main map header and levels, read once, and block sets,
// blocks, parcel management information, parcels and their distribution headers, read on demand.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kiwi/core/ErrorText.h"
#include "kiwi/core/Failure.h"
#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/core/MapCodePage.h"
#include "kiwi/disc/DataFileStreams.h"
#include "kiwi/map/LevelRecord.h"
#include "kiwi/map/MainMapFrame.h"
#include "kiwi/map/MainMapRecords.h"
#include "kiwi/map/MapSpanCache.h"
#include "kiwi/map/ParcelNumber.h"
#include "kiwi/parts/AllDataManager.h"

class TLN_KiwiMap {
public:
    // Opens a file by its path; OpenKiwiFile unless a test or tool wraps it (to count reads, say).
    using StreamOpener = std::function<std::shared_ptr<TLN_Stream>(const std::string& path)>;

    // Opens "ALLDATA.KWI" (or the first file of a volume set) and reads the main map header and levels.
    // Raises EFOpenError when the file cannot be opened; bad contents give an invalid map or no levels.
    explicit TLN_KiwiMap(const std::string& allDataPath, StreamOpener opener = {});
    ~TLN_KiwiMap();
    TLN_KiwiMap(const TLN_KiwiMap&) = delete;
    TLN_KiwiMap& operator=(const TLN_KiwiMap&) = delete;

    // Valid when the data volume's logical sector size is 32.
    bool IsValid() const { return valid_; }
    bool LevelsLoaded() const { return levelsLoaded_; }
    // Why the levels or a data file could not be read ("" when nothing failed).
    std::string ErrorString() const { return error_.Get(); }
    // Why the main map header's records or level table cannot be read whole (record sizes too small for
    // their fields, level records the file or a block set table cuts off), or "". The map still reads
    // what it can; a caller that must have every record refuses the map with this.
    const Failure& LayoutDamage() const { return layoutDamage_; }
    const std::string& Path() const { return path_; }
    const TLN_AllDataManager& AllDataManager() const { return *allData_; }
    std::shared_ptr<TLN_Stream> GetAllDataStream() const { return allData_->SharedStream(); }
    // The stream of the main map management part; null when the map has none.
    const std::shared_ptr<TLN_Stream>& PartStream() const { return partStream_; }
    bool OwnsPartStream() const { return ownsPartStream_; }
    // Byte position of management header 0: every word offset of the management data counts from it.
    int64_t PartBase() const { return partBase_; }
    uint16_t LogicalSectorSize() const { return logicalSectorSize_; }
    uint32_t SystemNumber() const { return systemNumber_; }
    uint8_t SystemVariant() const { return systemVariant_; }
    // Copy of management header i (0..63).
    TLN_Management_Header GetManagementHeader(int index) const;

    // The main map header.
    uint32_t HeaderSize() const { return headerSize_; }
    bool FileNameDesignation() const { return fileNameDesignation_; }
    int32_t CoverageNorth() const { return coverageNorth_; }
    int32_t CoverageSouth() const { return coverageSouth_; }
    int32_t CoverageWest() const { return coverageWest_; }
    int32_t CoverageEast() const { return coverageEast_; }
    uint32_t LevelRecordSize() const { return levelRecordSize_; }
    uint32_t BlockSetRecordSize() const { return blockSetRecordSize_; }
    uint32_t BlockRecordSize() const { return blockRecordSize_; }
    uint16_t LevelRecordCount() const { return levelRecordCount_; }
    uint16_t BlockSetRecordCount() const { return blockSetRecordCount_; }
    // Left = west, Top = north, Right = east (+ 360 degrees when the area crosses 180), Bottom = south.
    const TLN_Rect& Coverage() const { return coverage_; }

    uint32_t LevelCount() const { return uint32_t(levels_.size()); }
    // The level record, or null for a level the map does not have.
    const TLN_Level_Management_Record* Level(uint8_t level) const;
    // Copy of level record L (an empty record for a level the map does not have).
    TLN_Level_Management_Record GetLevel(uint8_t level) const;
    // Division table entry t (0..3) of level L. Counts run to 256, so the entry comes as a pair rather than
    // packed into the bytes of one word.
    TLN_Division GetLevelWord(uint8_t level, int type) const;

    uint32_t NameLanguage() const { return nameLanguage_.load(); }
    void SetNameLanguage(uint32_t language) { nameLanguage_.store(language); }
    // The code pages of names and of their display, copied from the globals when the map is opened and
    // whenever the main window chooses others (one atomic word: the converter's threads read both at once).
    MapCodePagePair CodePages() const { return codePages_.load(); }
    void SetCodePages(MapCodePagePair pages) { codePages_.store(pages); }

    // Block set record i of level L; found when i is one of the level's block sets and the record has a
    // block table.
    bool ReadBlockSet(uint8_t level, uint32_t index, TLN_BlockSet_Management_Record& out);
    // Block set record i of the table at tablePosition (read straight from the part stream).
    bool ReadBlockSetAt(uint32_t index, TLN_BlockSet_Management_Record& out, int64_t tablePosition);
    // Block record of a block set; found when the block lies in the block set's table and has an address.
    bool ReadBlock(uint8_t level, uint32_t blockSet, uint32_t block, TLN_Block_Management_Record& out);
    // The same of a block set already read (ReadBlockSet): a walk of its blocks reads it once.
    bool ReadBlock(uint8_t level, const TLN_BlockSet_Management_Record& set, uint32_t block,
                   TLN_Block_Management_Record& out);
    // The parcel management information at position in stream; found when it can be read and position > 0.
    // streamSize, when known (not negative), spares asking the stream for it.
    bool ReadParcelManagement(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                              TLN_Parcel_Management_Info& out, int64_t position, int64_t streamSize = -1);
    // Parcel record index of the list of the information at position. Found when the index is below the
    // list's record count, the list type is known, the record has an address and its frame's stream opens.
    bool ReadParcel(const std::shared_ptr<TLN_Stream>& stream, uint8_t level, uint32_t index,
                    TLN_MM_Parcel_Managenent_Record& out, bool routeGuidance, int64_t position);
    // As ReadParcel; lists whose frames lie in a data file that the information does not name take
    // fileName instead.
    bool ReadParcelInFile(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                          const std::string& fileName, TLN_MM_Parcel_Managenent_Record& out,
                          bool routeGuidance, uint32_t index, int64_t position);
    // The parcel record of a parcel number (undivided); indices beyond the level's counts are not found.
    bool FindParcel(const TLN_ParcelNumber& number, bool routeGuidance, TLN_MM_Parcel_Managenent_Record& out);

    // The stream of a data file beside "ALLDATA.KWI", opened once per file while it is in use (a bounded
    // number stay open); null when the name is not a bare file name or the file cannot be opened.
    std::shared_ptr<TLN_Stream> GetDataFileStream(const std::string& name);
    void FreeDataFileStreams();
    // The data files held open now (their names on disk), most recently used first.
    std::vector<TLN_FileStreamRec> DataFileStreams() const;
    // The bounded cache of open data files (for tests and statistics).
    ::DataFileStreams& DataFiles() { return dataFiles_; }

    // Main map distribution header at frameStart; without tables only the fixed 36 bytes are read.
    bool ReadMainMapHeader(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                           TLN_MM_Distribution_Header& out, bool withTables, int64_t frameStart);
    // The frame table: flags, up to 5 regions, and the level's basic and extended references.
    bool ReadMainMapFrameTable(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                               TLN_MM_Frame_Table& out, int64_t frameStart);
    // The first byte of the Area Code word; 0 when it cannot be read.
    uint8_t ReadAreaCodeByte(const std::shared_ptr<TLN_Stream>& stream, int64_t frameStart);
    // The lower left reference point; false (out untouched) for a negative frame start or a short read.
    bool ReadReferencePoint(const std::shared_ptr<TLN_Stream>& stream, TLN_Point& out, int64_t frameStart);
    // Route guidance distribution header; found when frameStart > 0 and the fixed part can be read.
    bool ReadRouteGuidanceHeader(const std::shared_ptr<TLN_Stream>& stream, uint8_t level,
                                 TLN_RG_Distribution_Header& out, int64_t frameStart);

    // Map position (normalised units of the level, 4096 per parcel side) to a parcel number. False at the
    // level's edges: X < 1 leaves the X fields 0 and still fills Y; Y < 1 stops; a position beyond the east
    // or north edge gives the last block set, block and parcel of that axis.
    bool PointToParcelNumber(uint8_t level, int64_t x, TLN_ParcelNumber& out, int64_t y) const;
    // The distribution header (without tables) of the parcel, or of the sub-parcel under the number's
    // in-parcel position when the parcel is divided.
    bool ReadParcelHeader(uint8_t level, const TLN_ParcelNumber& number, TLN_MM_Distribution_Header& out);
    // ReadParcelHeader, then fills the parcel kind and its division or integration bytes.
    bool LocateParcel(TLN_ParcelNumber& number);
    // The index of the sub-parcel under an in-parcel position (1/256 of the parcel side) for a division;
    // -1 when the division cannot be indexed. Indices past the last row or column are clamped to it.
    static int SubParcelIndex(const TLN_Division& division, uint8_t positionX, uint8_t positionY);

    // The span cache of block tables and parcel management information (for tests and statistics).
    MapSpanCache& SpanCache() { return cache_; }

private:
    // Reads an information's span once and decodes its records from it.
    friend class TLN_ParcelList;
    using Span = MapSpanCache::Span;

    void load();
    void readMainMapHeader();
    std::shared_ptr<TLN_Stream> openBeside(const std::string& name);
    // Reads up to count bytes at position (fewer at the end of the stream; none when position < 0).
    static Span readSpan(TLN_Stream& stream, int64_t position, int64_t count);
    // A table span from the cache or read once: count bytes at position.
    Span cachedSpan(const std::shared_ptr<TLN_Stream>& stream, int64_t position, int64_t count,
                    MapSpanCache::Kind kind, uint32_t tag = 0);
    // Of declared blocks, those whose records the block set's table holds within the part stream.
    uint32_t acceptedBlocks(const TLN_BlockSet_Management_Record& set, uint32_t declared) const;
    // The information's header and whole parcel list, decoded into info.
    // streamSize: the stream's size when the caller knows it (not negative), else asked of the stream.
    Span parcelManagementSpan(const std::shared_ptr<TLN_Stream>& stream,
                              const TLN_Level_Management_Record& level, int64_t position,
                              TLN_Parcel_Management_Info& info, int64_t streamSize = -1);
    bool readParcel(const std::shared_ptr<TLN_Stream>& stream, uint8_t level, uint32_t index,
                    TLN_MM_Parcel_Managenent_Record& out, bool routeGuidance, int64_t position,
                    const std::string* fallbackFileName);

    std::string path_;
    std::string folder_;
    StreamOpener opener_;
    std::unique_ptr<TLN_AllDataManager> allData_;
    std::shared_ptr<TLN_Stream> partStream_;
    // The part stream's size when the level table was read: block tables are bounded by it.
    int64_t partSize_ = 0;
    bool ownsPartStream_ = false;
    bool valid_ = false;
    ErrorText error_;
    Failure layoutDamage_;
    bool levelsLoaded_ = false;
    uint16_t logicalSectorSize_ = 0;
    std::vector<TLN_Management_Header> headers_;

    uint32_t headerSize_ = 0;
    bool fileNameDesignation_ = false;
    int32_t coverageNorth_ = 0;
    int32_t coverageSouth_ = 0;
    int32_t coverageWest_ = 0;
    int32_t coverageEast_ = 0;
    uint32_t levelRecordSize_ = 0;
    uint32_t blockSetRecordSize_ = 0;
    uint32_t blockRecordSize_ = 0;
    uint16_t levelRecordCount_ = 0;
    uint16_t blockSetRecordCount_ = 0;
    int64_t partBase_ = -1;
    std::vector<TLN_Level_Management_Record> levels_;
    std::atomic<uint32_t> nameLanguage_{0};
    std::atomic<MapCodePagePair> codePages_{};
    static_assert(std::atomic<MapCodePagePair>::is_always_lock_free);
    TLN_Rect coverage_;
    uint32_t systemNumber_ = 0;
    uint8_t systemVariant_ = 4;

    mutable std::mutex dataFilesMutex_;
    // Name as given → the path it resolves to ("" for a name that is not a bare file name); bounded.
    std::map<std::string, std::string> dataFilePaths_;
    ::DataFileStreams dataFiles_;

    MapSpanCache cache_;
};
