// TLN_IndexManager: the reader of INDEXDAT.KWI search data and of the data files its "FNME" items name.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <QString>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/DataFileStreams.h"
#include "kiwi/index/IndexRecords.h"
#include "kiwi/parts/Manager.h"

// A data file that the index names is neither in the mounted image nor beside the index file. The text is
// "File " + name + " does not exist!".
class EIndexDataFileMissing : public EConvertError {
public:
    using EConvertError::EConvertError;
};

class TLN_IndexManager : public TLN_Manager {
public:
    // Opens the index file by name (raises EFOpenError when it cannot be opened); data files are looked
    // for in its folder.
    explicit TLN_IndexManager(const std::string& fileName);
    // An index part inside another stream (the ALLDATA "Index" part) at byte position base; data files are
    // looked for in the folder of the stream's file.
    TLN_IndexManager(std::shared_ptr<TLN_Stream> stream, int64_t base);

    static std::unique_ptr<TLN_IndexManager> Create(const std::string& fileName);
    static std::unique_ptr<TLN_IndexManager> CreateFromStream(std::shared_ptr<TLN_Stream> stream,
                                                              int64_t base);

    // The header as read; valid is cleared when its 96 bytes are not all in the stream.
    const TLN_Data_Management_Frame_Header& Header() const { return header_; }
    const std::string& IndexFolder() const { return folder_; }
    const std::string& IndexFileName() const { return indexFileName_; }

    // Usable record counts: the stored counts limited to the records that fit in the stream.
    uint32_t VolumeCount() const { return volumeCount_; }
    uint32_t POICount() const { return poiCount_; }
    uint32_t ExpansionCount() const { return uint32_t(expansionPositions_.size()); }
    // True when fewer expansion records than stored fitted in the expansion field.
    bool ExpansionTruncated() const { return expansionTruncated_; }
    // Why tables the header names cannot be read whole, one line per table ("" when all can): volume or
    // POI management records or the expansion field past the end of the file. The records that can be
    // read are still read.
    std::string TableDamage() const;
    // The same reasons as data, one per table.
    const std::vector<Failure>& TableDamageReasons() const { return tableDamage_; }

    bool ReadVolumeRecord(uint32_t i, TLN_Volume_Management_Record& out);
    bool ReadPOIManagementRecord(uint32_t i, TLN_POI_Management_Record& out);
    // The record's 4-character Data Declaration; "" when there is no record i.
    std::string GetVolumeRecordID(uint32_t i);
    std::string GetPOIManagementRecordID(uint32_t i);

    bool ReadExpansionRecord(uint32_t i, TLN_Index_Expansion_Rec& out);
    // The character information management frame at an address (an expansion record's data, or an
    // entry's data for the element-specific frames). Raises EIndexDataFileMissing for a missing file.
    bool ReadCharacterInfoFrame(const TLN_Additional_Address& at, TLN_Character_Info_Frame& out);

    // True when the file is in the mounted image (looked up beside the index file's path there) or, with
    // no image mounted, beside the index file (case-insensitively). Names that are not plain file names
    // ("../x", "a/b", empty) never exist.
    bool DataFileExists(const std::string& name) const;
    // A stream on the data file, decompressed when a CMP list names it. Raises EIndexDataFileMissing
    // ("File " + name + " does not exist!") when the file does not exist.
    std::shared_ptr<TLN_Stream> OpenDataFile(const std::string& name);

    // The management frame header of a search frame or POI information frame; found only when its 16
    // bytes are inside the file. fileAddresses: the owning record's Address Description Declaration is
    // "FNME", so the detailed records' addresses are "FNME" items.
    bool ReadSearchFrameHeader(const TLN_Additional_Address& at, bool fileAddresses,
                               TLN_Search_Frame_Header& out);
    // Why the management frame header at an address cannot be read whole ("" when it can, or when the
    // address is none or names a missing file, which the views say otherwise).
    std::string FrameHeaderError(const TLN_Additional_Address& at);
    // Why fewer detailed records of recordLength bytes than the frame counts lie in its file ("" when all
    // do).
    std::string FrameRecordsError(const TLN_Search_Frame_Header& frame, int64_t recordLength);
    bool ReadDetailedSearchRecord(const TLN_Search_Frame_Header& frame, uint32_t i,
                                  TLN_Detailed_Info_Rec& out);
    bool ReadDetailedPOIRecord(const TLN_Search_Frame_Header& frame, uint32_t i,
                               TLN_Detailed_POIInfo_Rec& out);
    // The data definition at an address; frameBytes > 0 limits the columns to that many bytes from it.
    bool ReadDataDefinition(const TLN_Additional_Address& at, TLN_Definition_Frame& out,
                            int64_t frameBytes = 0);

    // The 13-byte record header at a position; not found unless all 13 bytes are inside the stream.
    static bool ReadRecordHeader(TLN_Stream& stream, TLN_Index_Record_Header& out, int64_t position);
    // The key of the record at position as upper-case hexadecimal text, one value per key column in order
    // ("UB" 2 digits, "UW"/"WD" 4, "UL"/"LG" 8); a column of another type ends the key. width is the key's
    // length in bytes; no key column gives "----" and width 0.
    static void ReadKeyText(TLN_Stream& stream, int64_t position,
                            const std::vector<TLN_Definition_Column>& columns, int& width, std::string& text);

    // "Zone " + the zone's name from the zone list, else "Zone " + the code in decimal.
    QString GetZoneName(uint32_t code) const;
    // The zone list: zone codes ("SZCD") with their names ("TPNM"), filled by the record tree.
    void AddZoneName(uint32_t code, const QString& name);
    void ClearZoneNames();
    const std::vector<std::pair<uint32_t, QString>>& ZoneNames() const { return zoneNames_; }

private:
    // A file of the index data: its stream, its name ("" for the index file) and the base its plain word
    // offsets count from (the reader's base in the index file, 0 in a data file).
    struct FileContext {
        std::shared_ptr<TLN_Stream> stream;
        std::string fileName;
        int64_t base = 0;
    };

    // A frame or record read from the index data: where it lies, the file holding it and its bytes.
    struct FileBytes {
        int64_t position = -1;
        FileContext file;
        std::vector<uint8_t> bytes;
    };

    void readHeader();
    void locateExpansionRecords();
    // Adds a line to TableDamage.
    void addDamage(const Failure& reason);
    // The usable count of a management record table, its shortfall (if any) added to TableDamage.
    uint32_t countManagementRecords(const char* countName, uint32_t stored, uint32_t wordOffset,
                                    uint32_t recordWords);
    FileContext contextFor(const std::string& fileName);
    // Reads length bytes at position in the named file ("" for the index file); false when the reader is
    // invalid, the position is none or the bytes do not all lie in the file.
    bool readFileBytes(const std::string& fileName, int64_t position, int64_t length, FileBytes& out);
    std::string dataFilePath(const std::string& bareName) const;
    // The path of a data file: in the mounted image, else beside the index data (case ignored). Raises
    // EIndexDataFileMissing when there is no such file.
    std::string locateDataFile(const std::string& name) const;
    bool readManagementRecord(uint32_t i, uint32_t count, uint32_t recordSize, uint32_t offset, bool volume,
                              TLN_Volume_Management_Record& out);
    std::string readRecordID(uint32_t i, uint32_t count, uint32_t recordSize, uint32_t offset);
    // Resolves a stored u32 address field: the "FNME" item at that word offset, or the word offset itself.
    // error, when given, receives why a "FNME" item could not be read whole.
    static TLN_Additional_Address readAddress(const FileContext& file, uint32_t field, bool fileAddress,
                                              std::string* error = nullptr);
    // The data an entry or expansion record points at: in the named file for "FNME", else in file.
    static TLN_Additional_Address namedOrLocal(const FileContext& file, const std::string& type,
                                               const std::string& name, uint32_t wordOffset);

    TLN_Data_Management_Frame_Header header_;
    std::string folder_;
    std::string indexFileName_;
    uint32_t volumeCount_ = 0;
    uint32_t poiCount_ = 0;
    std::vector<int64_t> expansionPositions_;
    bool expansionTruncated_ = false;
    std::vector<Failure> tableDamage_;
    std::vector<std::pair<uint32_t, QString>> zoneNames_;

    DataFileStreams dataFiles_;
    // Data file names resolved in the folder (an empty path: not there), so that a lookup does not stat
    // or scan the folder again for every record; bounded, as the names come from the data.
    std::mutex locatedMutex_;
    std::map<std::string, std::string> locatedPaths_;
};
