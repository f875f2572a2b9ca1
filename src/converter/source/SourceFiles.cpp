// Source-side file lookup: the real folder, or the mounted image's directory tree.
#include "converter/source/SourceFiles.h"

#include "converter/output/NewCmpList.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/iso/DataTree.h"

std::string FindBesideSource(const std::string& mapPath, const std::string& name) {
    // The image is held for the lookup only: a stream opened later holds its own reference.
    if (const std::shared_ptr<TISOImage> image = GetISOImage()) {
        const size_t separator = mapPath.find_last_of("/\\");
        const std::string folder = separator == std::string::npos ? "" : mapPath.substr(0, separator + 1);
        // The same walk that finds the map finds the file in the map's folder.
        const TFileEntry* entry = FindISOFile(*image, folder + name);
        return entry ? folder + entry->Name() : std::string();
    }
    return FindInFolder(FolderOf(mapPath), name);
}

std::shared_ptr<TLN_Stream> OpenBesideSource(const std::string& mapPath, const std::string& name) {
    const std::string found = FindBesideSource(mapPath, name);
    if (found.empty()) return nullptr;
    return OpenKiwiFile(found);
}

SourceGuard SourceFilesGuard(const std::string& mapPath) {
    SourceGuard guard;
    if (IsISOImageOpen()) {
        guard.ProtectFileOnly(GetISOImageFileName());
        return guard;
    }
    guard.ProtectFileOnly(mapPath);
    if (const auto list = FindSourceCmpList(mapPath)) guard.ProtectFileOnly(list->path);
    for (const char* name : {"REGION.KWI", "VOICEDAT.KWI", "STDVCE.KWI", "FILECON.MNG"})
        if (const std::string found = FindBesideSource(mapPath, name); !found.empty())
            guard.ProtectFileOnly(found);
    return guard;
}
