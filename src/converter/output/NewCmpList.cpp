// The new map's CMP list.
#include "converter/output/NewCmpList.h"

#include <unistd.h>

#include <vector>

#include "kiwi/cmp/CmpListSearch.h"
#include "kiwi/core/KiwiErrors.h"

std::optional<SourceCmpList> FindSourceCmpList(const std::string& sourcePath) {
    auto match = findCmpListFor(sourcePath, CmpListSearchMode::AllLists);
    if (!match || !match->list) return std::nullopt;
    const std::string& path = match->list->ListFileName();
    return SourceCmpList{path, match->entry.entryPosition, match->list->Kind() == CmpListKind::List13,
                         FileIdentityOf(FolderOf(path)) == FileIdentityOf(FolderOf(sourcePath))};
}

void RemoveStaleCmpList(const std::string& outputFolder, const SourceGuard& guard,
                        ConversionProgress& progress) {
    const std::string stale = FindInFolder(outputFolder, "05.CMP");
    if (stale.empty() || guard.RefusalFor(stale)) return;
    if (::unlink(stale.c_str()) == 0)
        progress.AddLog("An earlier 05.CMP removed from the output folder: the new map is not compressed.");
}

std::unique_ptr<ProducedFile> PrepareNewCmpList(const SourceCmpList& list, const std::string& outputFolder,
                                                ConversionProgress& progress, const OutputOpener& opener) {
    const size_t slash = list.path.find_last_of('/');
    std::string name = slash == std::string::npos ? list.path : list.path.substr(slash + 1);
    if (list.kind13) {
        progress.AddLog("WARNING: " + name +
                        " cannot mark the new ALLDATA.KWI as uncompressed; no list written");
        return nullptr;
    }
    auto source = std::make_unique<TLN_CompressionManager>(list.path);
    const auto& stream = source->ListStream();
    if (!stream || list.entryPosition < 0) return nullptr;
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    stream->ReadExactAt(0, bytes.data(), int64_t(bytes.size()));
    if (list.entryPosition + 6 > int64_t(bytes.size()))
        throw EReadError(Failure(FailureCode::CmpListCutShort, {{"file", name}}));
    // Table position 0 and compression type 0: the file is not compressed.
    std::fill_n(bytes.begin() + list.entryPosition, 6, uint8_t(0));
    // A list found above the source's folder belongs above the new map's folder too: the user moves it.
    if (!list.besideSource) name = "(Rename and place this file in upper folder)" + name;
    auto file = std::make_unique<ProducedFile>(outputFolder + "/" + name, opener);
    file->Stream().Write(bytes.data(), int64_t(bytes.size()));
    progress.AddLog("");
    progress.AddLog("New file 05.CMP has been created:");
    progress.AddLog(file->FinalPath());
    return file;
}
