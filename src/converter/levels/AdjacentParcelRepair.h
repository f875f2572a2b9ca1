// Repairs the adjacent parcel information of one written parcel once its level is complete: neighbours are
// re-pointed to their new frames, cleared, or the information is switched off.
#pragma once

#include <atomic>
#include <cstdint>

#include "converter/levels/AdjacencyLedger.h"
#include "converter/levels/ParcelAddressMap.h"
#include "kiwi/io/Stream.h"

// Repairs the parcel whose frame of frameSize bytes was written at frameOffset in out. Every entry it
// touches lies inside the frame: an information block or divided-neighbour list that would not is left
// alone. Neighbour addresses are looked up as keyBase + their old offset (frames of other source files).
// Returns false when the frame's adjacency could not be repaired whole.
bool UpdateAdjacentParcelInfo(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                              const AdjacentRepairLevel& level, AdjacentMode mode,
                              const ParcelAddressMap& addresses, const std::atomic<bool>* stop = nullptr,
                              int64_t keyBase = 0);
