// kiwiprobe address: KIWI address and word-offset conversions.
#include <cstdio>

#include "ProbeCommand.h"
#include "kiwi/core/KiwiConversions.h"

namespace {
int addressCommand(const probe::Args& args) {
    if (args.has("--offset")) {
        const long long offset = args.number("--offset", 0, 0);
        std::printf("offset %lld ka 0x%08X\n", offset, OffsetToKiwiAddress(offset));
        return 0;
    }
    if (args.has("--ka")) {
        const uint32_t ka = uint32_t(args.number("--ka", 0, 0, UINT32_MAX));
        std::printf("ka 0x%08X offset %lld\n", ka, (long long)KiwiAddressToOffset(ka));
        return 0;
    }
    std::fprintf(stderr, "address: give --offset N or --ka A\n");
    return 2;
}
probe::Register reg("address", "--offset N | --ka A",
                    "The KIWI address of a byte offset (--offset), or the offset of an address (--ka).",
                    addressCommand);
} // namespace
