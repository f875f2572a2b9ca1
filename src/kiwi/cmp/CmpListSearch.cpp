// CMP list search for the decompressing stream.
#include "kiwi/cmp/CmpListSearch.h"

#include <filesystem>
#include <vector>

#include "kiwi/cmp/CmpFileAccess.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"

namespace {
// A list that is cut cannot say that it does not name a file: reading the file unchanged could show a
// compressed file's bytes as its data.
void refuseUnknown(const TLN_CompressionManager& list, const std::string& fileName) {
    // Listed as compressed, with a block table that is none: neither decompressed nor as it is.
    if (!list.RefusedEntry().empty())
        throw EReadError(fileNamePart(fileName) + " is listed compressed in " +
                         fileNamePart(list.ListFileName()) + ", but its block table cannot be read (" +
                         list.RefusedEntry() + ")");
    const std::string damage = list.Damage();
    if (!damage.empty())
        throw EReadError(fileNamePart(fileName) + ": whether it is compressed cannot be told, the list " +
                         fileNamePart(list.ListFileName()) + " is cut (" + damage + ")");
}

constexpr int foldersSearched = 3; // the file's folder, its parent, its grandparent

std::vector<std::string> listNames(CmpListSearchMode mode, bool imageMode) {
    if (mode == CmpListSearchMode::AllLists) return {"05.CMP", "06.CMP", "13.CMP"};
    if (imageMode) return {"05.CMP"};
    return {"05.CMP", "06.CMP"};
}
} // namespace

std::string absoluteFilePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::optional<CmpListMatch> findCmpListFor(const std::string& fileName, CmpListSearchMode mode) {
    if (cmpImageMounted()) {
        for (const std::string& name : listNames(mode, true)) {
            if (!cmpImageFileExists(name)) continue;
            CmpListMatch match{std::make_unique<TLN_CompressionManager>(name), {}};
            if (match.list->FindEntry(fileName, match.entry)) return match;
            refuseUnknown(*match.list, fileName);
            return std::nullopt; // only the first list at the root is consulted
        }
        return std::nullopt;
    }
    const std::string path = absoluteFilePath(fileName);
    std::string folder = folderPart(path);
    if (folder.empty()) folder = "/";
    for (int depth = 0; depth < foldersSearched; ++depth) {
        for (const std::string& name : listNames(mode, false)) {
            const auto listPath = resolveInFolder(folder, name);
            if (!listPath) continue;
            CmpListMatch match{std::make_unique<TLN_CompressionManager>(*listPath), {}};
            if (match.list->FindEntry(path, match.entry)) return match;
            refuseUnknown(*match.list, path);
            break; // the other lists of this folder are not tried
        }
        if (folder == "/") break;
        folder = folderPart(folder);
        if (folder.empty()) folder = "/";
    }
    return std::nullopt;
}
