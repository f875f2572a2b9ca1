// TLN_AllDataManager: the reader of "ALLDATA.KWI"'s data volume record and its 64 management headers.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "kiwi/parts/DataVolume.h"
#include "kiwi/parts/ManagementHeader.h"
#include "kiwi/parts/Manager.h"

class TLN_AllDataManager : public TLN_Manager {
public:
    // Opens the file (or the volume set) by name; raises EFOpenError when it cannot be opened.
    explicit TLN_AllDataManager(const std::string& fileName);
    // Reads an already opened "ALLDATA.KWI" stream (shared, not owned).
    explicit TLN_AllDataManager(std::shared_ptr<TLN_Stream> stream);

    // Reads the data volume record; true when its logical sector size is 32. Stores the sector size read.
    bool ReadDataVolume(TLN_Data_Volume& volume);
    // The first 6 characters of the maker's system-specific identification text.
    std::string GetSystemCode() const;
    std::string GetDataVersionNumber() const { return volume_.DataVersionNumber; }
    // The record at tablePosition + 18 × index (index 0..255); address -1 and size 0 when it cannot be read.
    TLN_Management_Header ReadManagementHeaderRecord(int index, int64_t tablePosition) const;
    // Management header index (0..63) of the table at byte 2048; an empty header for other indices.
    TLN_Management_Header GetManagementHeader(int index) const;

    uint16_t LogicalSectorSize() const { return logicalSectorSize_; }
    uint16_t SystemNumber() const { return systemNumber_; }
    uint16_t SystemSubNumber() const { return systemSubNumber_; }
    const TLN_Data_Volume& DataVolume() const { return volume_; }
    // Why the data volume record cannot be read whole ("" when it can): its fields past the end of the file
    // are not data.
    const std::string& DataVolumeError() const { return volumeError_; }
    // Why management header index cannot be read whole ("" when it can, or for other indices): its record
    // then reads as an absent part, which it is not known to be.
    std::string ManagementHeaderError(int index) const;
    // 0..4, from the system code (see SystemVariantOf).
    uint8_t SystemVariant() const { return systemVariant_; }

    // The digit after the first ":" found from the fourth character on; 0 when there is none.
    static uint16_t ParseSystemNumber(const std::string& identification);
    // The two digits after the first "." found from the sixth character on; 0 when there are none.
    static uint16_t ParseSystemSubNumber(const std::string& identification);
    // The system variant of a system code: "A" (or the code page 1251 capital A, byte 0xC0) systems are
    // 0 for a "2", 1 for a "4", 2 for an "8" in the sixth or fifth place; "B" systems with a "1" in the
    // sixth place are 3; everything else is 4. Missing characters match nothing.
    static uint8_t SystemVariantOf(const std::string& systemCode);

private:
    void load();

    uint16_t logicalSectorSize_ = 32;
    uint16_t systemNumber_ = 0;
    uint16_t systemSubNumber_ = 0;
    TLN_Data_Volume volume_;
    uint8_t systemVariant_ = 4;
    std::array<TLN_Management_Header, kManagementHeaderCount> headers_;
    std::string volumeError_;
    // Bytes of the management header table the file holds (from its start at byte 2048).
    int64_t headerTableBytes_ = 0;
};
