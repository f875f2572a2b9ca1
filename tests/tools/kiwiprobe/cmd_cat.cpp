// kiwiprobe cat: writes a file's bytes as the readers see them: through the decompressing stream, so a
// file that a CMP list names comes out decompressed (plain, volume set, or inside an image mounted first
// with --image).
#include <cstdio>
#include <vector>

#include "ProbeCommand.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileManager.h"

namespace {
int catCommand(const probe::Args& args) {
    const auto& names = args.words();
    if (!probe::oneArgument(names, "cat: give one FILE")) return 2;
    const int64_t offset = args.number("--offset", 0, 0);
    const int64_t count = args.number("--count", -1, 0);
    if (!probe::mountImageOption(args, "cat")) return probe::kImageNotMounted;
    auto opened = TLN_DecompFileStream::Create(names[0]);
    TLN_Stream& stream = *opened;
    int64_t left = count >= 0 ? count : stream.Size() - offset;
    std::vector<char> buffer(1 << 20);
    for (int64_t position = offset; left > 0;) {
        const int64_t got =
            stream.ReadAt(position, buffer.data(), std::min<int64_t>(left, int64_t(buffer.size())));
        if (got <= 0) break;
        if (std::fwrite(buffer.data(), 1, size_t(got), stdout) != size_t(got)) return 1;
        position += got;
        left -= got;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
probe::Register
    reg("cat", "FILE [--offset N --count N] [--image IMAGE]",
        "Writes the bytes of FILE as the readers see them: decompressed when a CMP list names it.",
        catCommand);
} // namespace
