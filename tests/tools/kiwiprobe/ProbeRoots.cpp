// The probe's opener of sources: which reader and root node each known KIWI file gets (to be replaced by
// the model's SourceOpener).
#include "ProbeRoots.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/Loading.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/SourceFiles.h"

namespace probe {
namespace {

class Opener {
public:
    Opener(bool inImage, RecordTree& tree, OpenData& data) : inImage_(inImage), tree_(tree), data_(data) {}

    int roots() const { return roots_; }

    // A fixed name in folder: on disk case-insensitively, or in the mounted image.
    std::optional<std::string> find(const std::string& folder, const std::string& name) const {
        if (inImage_) {
            const std::string path = folder.empty() || folder == "." ? name : joinPath(folder, name);
            return ISOFileExists(path) ? std::optional<std::string>(path) : std::nullopt;
        }
        return resolveInFolder(folder.empty() ? "." : folder, name);
    }

    RecordNode* addRoot(int kind, const QString& caption, bool hasChildren) {
        auto node = RecordNode::MakeChild(nullptr, kind, caption);
        node->hasChildren = hasChildren;
        ++roots_;
        return tree_.AddRoot(std::move(node));
    }

    void loading(const std::string& path) {
        const auto reader = std::make_shared<TLN_Loading>(path);
        RecordNode* root = addRoot(1, QStringLiteral("LOADING"), reader->IsValid());
        // The root holds the reader, and the reader its stream.
        root->stream = std::shared_ptr<TLN_Stream>(reader, &reader->Stream());
        root->held = HeldReader(reader);
    }

    void compression(const std::string& path) {
        if (data_.compression) return;
        data_.compression = std::make_shared<TLN_CompressionManager>(path);
        RecordNode* root = addRoot(4, QStringLiteral("COMPRESSION"), true);
        root->fileName = path;
        root->held = HeldReader(data_.compression);
    }

    void coverage(const std::string& path) {
        const auto reader = std::make_shared<TLN_Coverage>(path);
        RecordNode* root = addRoot(1500, QStringLiteral("COVERAGE"), reader->IsValid());
        root->fileName = path;
        root->held = HeldReader(reader);
    }

    template <typename Reader>
    void owned(const std::string& path, int kind, const QString& caption, bool always) {
        const auto reader = std::make_shared<Reader>(path);
        RecordNode* root = addRoot(kind, caption, always || reader->IsValid());
        root->stream = reader->SharedStream();
        root->held = HeldReader(reader);
    }

    template <typename Reader>
    void windowHeld(std::shared_ptr<Reader>& slot, const std::string& path, int kind, const QString& caption,
                    bool always) {
        slot = std::make_shared<Reader>(path);
        RecordNode* root = addRoot(kind, caption, always || slot->IsValid());
        root->stream = slot->SharedStream();
        root->held = HeldReader(slot);
    }

    void allData(const std::string& path) {
        if (data_.map) return;
        auto map = std::make_shared<TLN_KiwiMap>(path);
        // An invalid map is dropped at once and never reaches a node.
        if (!map->IsValid()) return;
        data_.map = map;
        data_.folder = folderPart(path);
        data_.imageMounted = inImage_;
        RecordNode* root = addRoot(7, QStringLiteral("ALL DATA"), true);
        root->stream = map->GetAllDataStream();
        root->held = HeldReader(data_.map);
        subManagers(*map, path);
    }

private:
    // The readers the window holds beside the map, found through its management headers.
    void subManagers(TLN_KiwiMap& map, const std::string& path) {
        const std::shared_ptr<TLN_Stream> stream = map.GetAllDataStream();
        const bool wide = map.SystemNumber() >= 8;
        const TLN_Management_Header local = map.GetManagementHeader(wide ? 13 : 29);
        const TLN_Management_Header h29 = map.GetManagementHeader(29);
        const TLN_Management_Header h13 = map.GetManagementHeader(13);
        if ((h29.Size > 0 && h29.Name.empty()) || (wide && h13.Size > 0 && h13.Name.empty()))
            guarded([&] { data_.localisation = std::make_shared<TLN_LocalManager>(stream, local.Address); });
        if (map.AllDataManager().SystemVariant() >= 2) return;
        const std::string folder = folderPart(path);
        const TLN_Management_Header region = map.GetManagementHeader(1);
        if (region.Size > 0) {
            std::optional<std::string> file;
            if (!region.Name.empty()) {
                if (!inImage_) file = find(folder, "REGION1.KWI");
                if (!file) file = find(folder, region.Name);
            }
            guarded([&] {
                if (file)
                    data_.routePlanning = std::make_shared<TLN_RegionManager>(*file);
                else if (region.Name.empty())
                    data_.routePlanning = std::make_shared<TLN_RegionManager>(stream, region.Address);
            });
        }
        const TLN_Management_Header voice = map.GetManagementHeader(6);
        if (voice.Size > 0) {
            const bool known =
                equalsIgnoreCase(voice.Name, "VOICEDAT.KWI") || equalsIgnoreCase(voice.Name, "STDVCE.KWI");
            guarded([&] {
                if (voice.Name.empty())
                    data_.voice = std::make_shared<TLN_VoiceManager>(stream, voice.Address);
                else if (const auto file = known ? find(folder, voice.Name) : std::nullopt)
                    data_.voice = std::make_shared<TLN_VoiceManager>(*file);
            });
        }
        const TLN_Management_Header voice001 = map.GetManagementHeader(33);
        if (voice001.Size > 0)
            guarded([&] {
                if (voice001.Name.empty())
                    data_.voice001 = std::make_shared<TLN_VoiceMe1Manager>(stream, voice001.Address);
                else if (const auto file = equalsIgnoreCase(voice001.Name, "VOICE001.ME")
                                               ? find(folder, voice001.Name)
                                               : std::nullopt)
                    data_.voice001 = std::make_shared<TLN_VoiceMe1Manager>(*file);
            });
        const TLN_Management_Header index = map.GetManagementHeader(2);
        if (index.Size > 0)
            guarded([&] {
                if (index.Name.empty())
                    data_.index = std::make_shared<TLN_IndexManager>(stream, index.Address);
                else if (const auto file = find(folder, index.Name))
                    data_.index = std::make_shared<TLN_IndexManager>(*file);
            });
    }

    template <typename Work> static void guarded(Work&& work) {
        try {
            work();
        } catch (const std::exception&) {
            // A reader that cannot be made is not there: its parts of the tree stay empty.
        }
    }

    bool inImage_;
    RecordTree& tree_;
    OpenData& data_;
    int roots_ = 0;
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The file name up to its first ".": the caption of region and picture list roots.
QString stem(const std::string& name) {
    return QString::fromStdString(name.substr(0, name.find('.')));
}

void openFolder(Opener& opener, const std::string& folder) {
    if (const auto path = opener.find(folder, "LOADING.KWI")) opener.loading(*path);
    if (auto path = opener.find(folder, "05.CMP")) {
        opener.compression(*path);
    } else if ((path = opener.find(folder, "06.CMP"))) {
        opener.compression(*path);
    }
    if (const auto path = opener.find(folder, "COVERAGE.BIN")) opener.coverage(*path);
    if (auto path = opener.find(folder, "ALLDATA.KWI")) {
        opener.allData(*path);
    } else if ((path = opener.find(folder, "ALLDATA1.KWI"))) {
        opener.allData(*path);
    }
}

void openFile(Opener& opener, OpenData& data, const std::string& path) {
    const std::string folder = folderPart(path);
    const std::string name = lower(fileNamePart(path));
    if (name == "loading.kwi") {
        opener.loading(path);
    } else if (auto list = opener.find(folder, "05.CMP")) {
        opener.compression(*list);
    } else if ((list = opener.find(folder, "06.CMP"))) {
        opener.compression(*list);
    }
    if (name == "alldata.kwi" || name == "alldata1.kwi") opener.allData(path);
    if (name == "voicedat.kwi" || name == "stdvce.kwi")
        opener.windowHeld(data.voice, path, 1060, QStringLiteral("VOICEDAT"), false);
    if (name == "voice001.me") opener.windowHeld(data.voice001, path, 1100, QStringLiteral("VOICE001"), true);
    if (name == "indexdat.kwi" || name == "index1.kwi")
        opener.windowHeld(data.index, path, 1020, QStringLiteral("INDEXDAT"), true);
    if (name == "pct2mng.kwi") opener.owned<TLN_PCT2MNGManager>(path, 1300, stem(fileNamePart(path)), true);
    if (name == "region.kwi" || name == "region1.kwi")
        opener.owned<TLN_RegionManager>(path, 1400, stem(fileNamePart(path)), true);
    if (name == "coverage.bin") opener.coverage(path);
    if (name == "dicvce56.kwi") opener.owned<TLN_DicVceManager>(path, 1250, QStringLiteral("DICVCE"), false);
}

} // namespace

int openRoots(const std::string& path, bool inImage, RecordTree& tree, OpenData& data) {
    Opener opener(inImage, tree, data);
    std::error_code error;
    const bool folder = inImage ? (path.empty() || path == "." || !ISOFileExists(path))
                                : std::filesystem::is_directory(path, error);
    if (folder)
        openFolder(opener, inImage && path == "." ? std::string() : path);
    else
        openFile(opener, data, path);
    return opener.roots();
}

} // namespace probe
