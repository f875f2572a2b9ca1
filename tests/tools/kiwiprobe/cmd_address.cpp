// kiwiprobe address: KIWI address and word-offset conversions.
#include <cstdio>

#include "ProbeCommand.h"
#include "kiwi/core/KiwiConversions.h"

namespace {
int addressCommand(const probe::Args& args) {
    if (probe::hasFlag(args, "--offset")) {
        const long long offset = probe::parseNumber(probe::option(args, "--offset"));
        std::printf("offset %lld ka 0x%08X\n", offset, OffsetToKiwiAddress(offset));
        return 0;
    }
    if (probe::hasFlag(args, "--ka")) {
        const uint32_t ka = uint32_t(probe::parseNumber(probe::option(args, "--ka")));
        std::printf("ka 0x%08X offset %lld\n", ka, (long long)KiwiAddressToOffset(ka));
        return 0;
    }
    std::fprintf(stderr, "address: give --offset N or --ka A\n");
    return 2;
}
probe::Register reg("address", "--offset N | --ka A", addressCommand);
} // namespace
