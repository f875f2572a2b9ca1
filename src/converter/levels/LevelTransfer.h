// Transfer of one level of the source map into the new map: block records re-pointed, each kept block's
// parcel management information rebuilt (6-byte records, list type 0), every frame written once per block
// (shared frames deduplicated), route guidance frames linked from their main frames, and the level's
// adjacent parcel information repaired once all its parcels are written.
#pragma once

#include <cstdint>

#include "converter/job/ConversionContext.h"
#include "converter/levels/BlockInformation.h"

// Transfers level `level`; raises ConversionStopped on a stop request, after logging where it stopped.
void TransferLevel(ConversionContext& context, uint8_t level);
