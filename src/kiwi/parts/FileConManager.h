// TLN_FileConManager: reads, edits and writes "FILECON.MNG", the table that names a database's files.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/parts/Manager.h"

// One record of "FILECON.MNG".
struct TLN_FileConRecord {
    uint8_t Number = 0;
    std::string LogicalName;  // at most 12 bytes, e.g. "ALLDATA.KWI"
    std::string PhysicalName; // at most 12 bytes, e.g. "ALLDATA1.KWI"
    uint32_t FileSize = 0;
};

class TLN_FileConManager : public TLN_Manager {
public:
    static constexpr int kRecordBytes = 32;
    static constexpr int kNameBytes = 12;
    static constexpr int kMaxRecords = 99;
    static constexpr int kMinHeaderSize = 8;

    // Opens and reads the file. Valid when its header size is at least 8 and it has fewer than 100
    // records; raises EFOpenError when the file cannot be opened.
    explicit TLN_FileConManager(const std::string& path);

    int HeaderSize() const { return headerSize_; }
    uint32_t HeaderValue() const { return headerValue_; }
    // True when the stored count named records past the end of the file (only those read are kept).
    bool Truncated() const { return truncated_; }

    int Count() const { return int(order_.size()); }
    // Positions are list positions; a position outside the list raises std::out_of_range.
    const TLN_FileConRecord& GetRecord(int position) const;
    // Inserts the record at position 0 .. Count(). A name longer than 12 bytes raises EConvertError.
    void Insert(int position, const TLN_FileConRecord& record);
    void Delete(int position);

    // The file as SaveToFile writes it.
    QByteArray Serialize() const;
    // Writes the table in list order to a temporary file in the target's folder and renames it over
    // path, so a failure leaves any existing file untouched. Raises EFCreateError when the file cannot
    // be created or committed, EWriteError when writing fails, and on an invalid table.
    void SaveToFile(const std::string& path) const;

private:
    void ReadTable();

    int headerSize_ = 0;
    uint32_t headerValue_ = 0;
    QByteArray headerTail_; // header bytes 8 .. header size - 1, written back unchanged
    bool truncated_ = false;
    std::vector<int> order_;
    std::vector<TLN_FileConRecord> records_;
};
