// Every file a probe command writes goes through the guarded writer, never over the command's own sources.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ProbeCommand.h"

namespace probe {

// What the command reads: its FILE arguments and the image of --image.
std::vector<std::string> sourcesOf(const Args& args);
// Writes bytes to path (replacing a file there: the user named it); false, with
// "command: reason" on stderr, when it cannot.
bool writeOutput(const std::string& command, const std::string& path, const void* data, size_t size,
                 const Args& args);
// True when path can be read as a source; otherwise says why ("command: reason") on stderr.
bool readableSource(const std::string& command, const std::string& path);

} // namespace probe
