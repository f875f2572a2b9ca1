// Adjacent parcel information repair of one frame.
#include "converter/levels/AdjacentParcelRepair.h"

bool UpdateAdjacentParcelInfo(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                              const AdjacentRepairLevel& level, AdjacentMode mode,
                              const ParcelAddressMap& addresses, const std::atomic<bool>* stop,
                              int64_t keyBase) {
    return AdjacencyLedger::RepairOne(out, frameOffset, frameSize, level, mode, addresses, stop, keyBase);
}
