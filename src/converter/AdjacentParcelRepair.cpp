// Adjacent parcel information repair of one frame, through a ledger of that frame alone.
#include "converter/AdjacentParcelRepair.h"

bool UpdateAdjacentParcelInfo(TLN_Stream& out, int64_t frameOffset, uint32_t frameSize,
                              const AdjacentRepairLevel& level, AdjacentMode mode,
                              const ParcelAddressMap& addresses, const std::atomic<bool>* stop,
                              int64_t keyBase) {
    AdjacencyLedger ledger;
    ledger.Note(out, frameOffset, frameSize, level, keyBase);
    bool whole = true;
    return ledger.Apply(out, mode, addresses, stop, [&](int64_t) { whole = false; }) && whole;
}
