// The management header record of "ALLDATA.KWI": where one KIWI part lies, inside the file or in a file
// beside it.
#pragma once

#include <cstdint>
#include <string>

#include "kiwi/core/BeCursor.h"

// Table of 64 records of 18 bytes at byte 2048 of "ALLDATA.KWI".
constexpr int64_t kManagementHeaderTablePosition = 2048;
constexpr int64_t kManagementHeaderRecordSize = 18;
constexpr int kManagementHeaderCount = 64;

struct TLN_Management_Header {
    // Byte position of the part inside "ALLDATA.KWI"; -1 for an all-ones address.
    int64_t Address = -1;
    // Size of the part in bytes (stored logical sectors × logical sector size); 0 = the part is absent.
    uint32_t Size = 0;
    // Name of the management file holding the part, as stored (cut at NUL); empty when the part lies in
    // "ALLDATA.KWI". Check it with safeBareName before joining it to a folder.
    std::string Name;

    // Discs store an unused record either as an all-ones address or as address 0, both with size 0; a
    // record naming a file of its own holds address 0 (where the part starts in that file), whatever its
    // size. So a part is there when it has a size or a file, never by its address alone.
    bool Present() const { return Size != 0 || !Name.empty(); }

    bool operator==(const TLN_Management_Header&) const = default;
};

// Decodes the 18-byte record at offset of the span; false (and an untouched out) when it does not fit.
bool DecodeManagementHeader(const BeCursor& span, int64_t offset, uint16_t logicalSectorSize,
                            TLN_Management_Header& out);
