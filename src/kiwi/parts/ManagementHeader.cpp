// Decoding of management header records.
#include "kiwi/parts/ManagementHeader.h"

#include "kiwi/core/KiwiConversions.h"

bool DecodeManagementHeader(const BeCursor& span, int64_t offset, uint16_t logicalSectorSize,
                            TLN_Management_Header& out) {
    if (!span.fits(offset, kManagementHeaderRecordSize)) return false;
    out.Address = KiwiAddressToOffset(span.u32(offset));
    out.Size = uint32_t(span.u16(offset + 4)) * logicalSectorSize;
    out.Name = span.fixedString(offset + 6, 12);
    return true;
}
