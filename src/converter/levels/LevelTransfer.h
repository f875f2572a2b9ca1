// Transfer of one level of the source map into the new map: block records re-pointed, each kept block's
// parcel management information rebuilt (6-byte records, list type 0), every frame written once per block
// (shared frames deduplicated), route guidance frames linked from their main frames, and the level's
// adjacent parcel information repaired once all its parcels are written.
#pragma once

#include <cstdint>

#include "converter/job/ConversionContext.h"

// Bytes reserved in the output for the parcel management information of a block: its old size or what
// the rebuilt information needs (list, sub-lists, route guidance list), whichever is larger, rounded up
// to 32. 0 when the block's information cannot be read (the block is not kept). Each information is sized
// once for the run: the transfer and later block records naming it read the size kept in the context.
int64_t ReservedInformationBytes(ConversionContext& context, uint8_t level,
                                 const TLN_Block_Management_Record& block);

// Transfers level `level`; raises ConversionStopped on a stop request, after logging where it stopped.
void TransferLevel(ConversionContext& context, uint8_t level);
