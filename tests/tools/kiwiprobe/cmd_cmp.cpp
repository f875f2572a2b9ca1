// kiwiprobe cmp-ls: the entries of a CMP list, one per line: name, type name, block count, file size.
#include <cstdio>
#include <filesystem>

#include "ProbeCommand.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/display/KiwiFormat.h"

namespace {
int cmpListCommand(const probe::Args& args) {
    const auto& names = args.words();
    if (!probe::oneArgument(names, "cmp-ls: give one LIST")) return 2;
    if (!probe::mountImageOption(args, "cmp-ls")) return probe::kImageNotMounted;
    std::error_code error;
    if (IsISOImageOpen() ? !ISOFileExists(names[0]) : !std::filesystem::is_regular_file(names[0], error)) {
        std::fprintf(stderr, "cmp-ls: %s: not found\n", names[0].c_str());
        return 1;
    }
    TLN_CompressionManager list(names[0]);
    if (!list.IsValid()) {
        std::fprintf(stderr, "cmp-ls: %s is not a valid CMP list\n", names[0].c_str());
        return 1;
    }
    for (const TLN_Compression_Record& entry : list.Entries()) {
        std::printf("%s\t%s\t%u\t%lld%s\n", entry.name.c_str(),
                    CompressionTypeName(entry.compressionType).c_str(), entry.blockCount,
                    (long long)entry.fileSize, entry.tableValid ? "" : "\tdamaged");
    }
    return 0;
}
probe::Register reg("cmp-ls", "LIST [--image IMAGE]", "The entries of a 05.CMP or 06.CMP list, one a line.",
                    cmpListCommand);
} // namespace
