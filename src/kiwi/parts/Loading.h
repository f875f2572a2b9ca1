// TLN_Loading: the reader of LOADING.KWI, the list of systems a disc is made for, their units and
// loadable modules with the modules' file lists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/core/Failure.h"
#include "kiwi/core/KiwiPrimitives.h"
#include "kiwi/io/Stream.h"

// One file of an "AISIN-AW" module's file list.
struct TLN_Module_Info {
    std::string Name;        // 8-byte file name
    uint32_t WordOffset = 0; // from the module address, in words
    int64_t Position = -1;   // module address + 2 × word offset; -1 when none
    uint32_t Size = 0;
};

// A unit record (64 bytes) with the module record (256 bytes) of the same index.
struct TLN_Unit_Record_AISIN {
    int Index = 0; // units are numbered in file order across all systems, from 0
    int64_t UnitPosition = 0;
    uint8_t UnitNumber = 0;     // byte 0 of the unit record
    std::string UnitName;       // 52 bytes at +4
    std::string UnitIdentifier; // 8 bytes at +56
    int64_t ModulePosition = 0; // M
    uint16_t ModuleWord1 = 0;
    uint16_t ModuleWord2 = 0;
    std::string ModuleName;          // 64 bytes at M + 4
    uint32_t ModuleAddressValue = 0; // as stored at M + 250
    int64_t ModuleAddress = -1;      // byte position after the maker's rule; -1 when none
    uint16_t ModuleSize = 0;         // in 2048-byte sectors
    bool HasFirstEntry = false;
    bool FileListTruncated = false; // the stored count did not fit the bytes that hold the list
    // The list's file count as stored (with the first entry); -1 when the list is not read.
    int64_t StoredFileCount = -1;
    // Why the file list is not read whole, or not at all (no failure when it is).
    Failure FileListError;
    std::vector<TLN_Module_Info> Files;
};

// A system identification record (16 bytes) and what follows it.
struct TLN_System_Identification_Info {
    int64_t Position = 0;
    TLN_PointRecord Point;
    std::string MakerName; // from the point's coordinates; empty for an unknown maker
    uint16_t UnitCount = 0;
    std::vector<TLN_Unit_Record_AISIN> Units;
};

// The identification of a loadable unit, read where a file list entry points.
struct TLN_Unit_Identification {
    std::string Name;       // 15 bytes at P
    std::string Version;    // 15 bytes at P + 6
    std::string Date;       // 15 bytes at P + 16
    std::string Copyright;  // 15 bytes at P + 48
    uint32_t RamOffset = 0; // P + 112
    uint32_t Size = 0;      // P + 116
    uint32_t Checksum = 0;  // P + 120
};

class TLN_Loading {
public:
    // Reads the whole file. Raises EFOpenError when it cannot be opened; bad contents clear IsValid.
    explicit TLN_Loading(const std::string& fileName);
    // Reads from a stream that someone else opened (tests, files inside images).
    explicit TLN_Loading(std::shared_ptr<TLN_Stream> stream);

    TLN_Loading(const TLN_Loading&) = delete;
    TLN_Loading& operator=(const TLN_Loading&) = delete;

    bool IsValid() const { return valid_; }
    std::string GetFileName() const { return fileName_; }
    TLN_Stream& Stream() const { return *stream_; }
    // The stream shared with whoever shows the file's bytes (the hex viewer).
    const std::shared_ptr<TLN_Stream>& SharedStream() const { return stream_; }
    int SystemCount() const { return systemCount_; }
    // The systems read; fewer than SystemCount when reading stopped at a bad system.
    const std::vector<TLN_System_Identification_Info>& Systems() const { return systems_; }

    // Why the file is not read whole, or not at all ("" when it is): the view shows it.
    std::string Damage() const { return damage_.English(); }
    const Failure& DamageReason() const { return damage_; }

    // The unit identification at position; false when the record does not lie inside the file.
    bool ReadIdentification(int64_t position, TLN_Unit_Identification& out) const;

private:
    void read();
    void readFileList(TLN_Unit_Record_AISIN& unit, int64_t size);

    std::shared_ptr<TLN_Stream> stream_;
    std::string fileName_;
    bool valid_ = false;
    Failure damage_;
    int systemCount_ = 0;
    std::vector<TLN_System_Identification_Info> systems_;
};

// The maker whose known position the point equals (as read by ReadCoordinatePair); empty when none.
std::string DataMakerName(const TLN_Point& point);
