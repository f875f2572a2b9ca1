// Existence and resolution of the source's files, on disk or in the mounted image.
#include "mainwindow/model/SourceFiles.h"

#include <filesystem>
#include <system_error>

#include "kiwi/core/FileNames.h"
#include "kiwi/disc/FileManager.h"

bool SourceFileExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) return true;
    return IsISOImageOpen() && ISOFileExists(path);
}

std::optional<std::string> ResolveSourceFile(const std::string& folder, const std::string& name) {
    const std::optional<std::string> bare = safeBareName(name);
    if (!bare) return std::nullopt;
    if (auto onDisk = resolveInFolder(folder.empty() ? std::string(".") : folder, *bare)) return onDisk;
    const std::string joined = folder.empty() ? *bare : joinPath(folder, *bare);
    if (IsISOImageOpen() && ISOFileExists(joined)) return joined;
    return std::nullopt;
}
