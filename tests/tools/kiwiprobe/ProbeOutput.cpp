// The probe's guarded output.
#include "ProbeOutput.h"

#include <cstdio>

#include "platform/GuardedFileWriter.h"

namespace probe {

std::vector<std::string> sourcesOf(const Args& args) {
    std::vector<std::string> sources = args.words();
    if (args.has("--image")) sources.push_back(args.value("--image"));
    return sources;
}

bool writeOutput(const std::string& command, const std::string& path, const void* data, size_t size,
                 const Args& args) {
    std::string error;
    if (GuardedFileWriter::WriteWhole(path, data, size, {sourcesOf(args), true}, &error)) return true;
    std::fprintf(stderr, "%s: %s\n", command.c_str(), error.c_str());
    return false;
}

bool readableSource(const std::string& command, const std::string& path) {
    const auto refusal = SourceRefusal(path);
    if (refusal) std::fprintf(stderr, "%s: %s\n", command.c_str(), refusal->c_str());
    return !refusal;
}

} // namespace probe
