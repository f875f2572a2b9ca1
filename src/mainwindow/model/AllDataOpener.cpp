// Opening "ALLDATA.KWI": the map, its caption with the system code and data version, the automatic code
// page, and the readers its management headers point at (localisation, route planning, voice, VOICE001,
// index).
#include "kiwi/core/FileNames.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/SourceOpener.h"

namespace {
// Management header numbers (the records of the ALLDATA management header table).
constexpr int kMainMapHeader = 0;
constexpr int kRoutePlanningHeader = 1;
constexpr int kIndexHeader = 2;
constexpr int kVoiceHeader = 6;
constexpr int kWideLocalisationHeader = 13;
constexpr int kLocalisationHeader = 29;
constexpr int kVoice001Header = 33;
// From this system number on, the localisation data has header 13.
constexpr uint32_t kWideSystemNumber = 8;

// The reader of the part management header `number` points at: inside ALLDATA.KWI at the header's address
// when the header names no file, else the file that find gives for the header's name (none: no reader).
// A header without a size has no part. Throws what the reader throws.
template <typename Reader, typename Find>
std::shared_ptr<Reader> subManager(const TLN_KiwiMap& map, int number, Find&& find) {
    const TLN_Management_Header header = map.GetManagementHeader(number);
    if (header.Size == 0) return nullptr;
    if (header.Name.empty()) return std::make_shared<Reader>(map.GetAllDataStream(), header.Address);
    const std::optional<std::string> path = find(header.Name);
    return path ? std::make_shared<Reader>(*path) : nullptr;
}
} // namespace

RecordNode* SourceOpener::OpenAllDataFile(const std::string& path) {
    outcome_.mapLoaded = false;
    if (clearInfoGrid_) clearInfoGrid_();
    if (data_.map) return nullptr;
    std::shared_ptr<TLN_KiwiMap> map;
    try {
        map = std::make_shared<TLN_KiwiMap>(path);
    } catch (const std::exception& error) {
        outcome_.Error(QString::fromUtf8(error.what()));
        return nullptr;
    }
    // A map that is not valid is dropped here, so that it never reaches the map view or the tree; the user
    // is told why, or the source would open as an empty tree without a word.
    if (!map->IsValid()) {
        const std::string& cut = map->AllDataManager().DataVolumeError();
        if (!cut.empty()) {
            outcome_.Error(QString::fromStdString(cut));
            return nullptr;
        }
        outcome_.Error(QStringLiteral("Карта не открыта: размер логического сектора %1 (должен быть 32)\r")
                           .arg(map->LogicalSectorSize()) +
                       ToQtPath(path));
        return nullptr;
    }
    data_.map = map;

    const TLN_AllDataManager& allData = map->AllDataManager();
    const QString where = IsISOImageOpen() ? ToQtPath(GetISOImageFileName()) : ToQtPath(folderPart(path));
    // Texts of the data volume are 8-bit; mid() stays inside short texts.
    const QString systemCode = QString::fromLatin1(allData.GetSystemCode());
    const QString version = QString::fromLatin1(allData.GetDataVersionNumber());
    outcome_.caption = title_ + QStringLiteral(" - ") + where + QStringLiteral("  [") + systemCode.mid(2, 2) +
                       QStringLiteral(" 20") + version.mid(13, 2) + QStringLiteral("]");

    SelectAutoCharset();
    outcome_.mapLoaded = true;
    auto root = RecordNode::MakeChild(nullptr, 7, QStringLiteral("ALL DATA"));
    root->hasChildren = true;
    // A data volume record the file cuts short: its parts are still listed, the root says why it is damaged.
    root->error = QString::fromStdString(allData.DataVolumeError());
    if (!root->error.isEmpty()) root->caption += QStringLiteral("  (Error)");
    root->stream = map->GetAllDataStream();
    RecordNode* added = tree_.AddRoot(std::move(root));
    try {
        openSubManagers(path);
    } catch (const std::exception& error) {
        outcome_.Error(QString::fromUtf8(error.what()));
    }
    return added;
}

void SourceOpener::openSubManagers(const std::string& path) {
    TLN_KiwiMap& map = *data_.map;
    const std::shared_ptr<TLN_Stream> stream = map.GetAllDataStream();
    const std::string folder = folderPart(path);
    const bool wide = map.SystemNumber() >= kWideSystemNumber;

    // Each reader is opened on its own: one that raises is reported and the others are still tried.
    auto attempt = [&](auto&& open) {
        try {
            open();
        } catch (const std::exception& error) {
            outcome_.Error(QString::fromUtf8(error.what()));
        }
    };

    data_.localisation.reset();
    attempt([&] {
        const TLN_Management_Header header =
            map.GetManagementHeader(wide ? kWideLocalisationHeader : kLocalisationHeader);
        if (header.Size == 0 || !header.Name.empty()) return;
        data_.localisation = std::make_shared<TLN_LocalManager>(stream, header.Address);
        if (!data_.localisation->IsValid()) return;
        for (int i = 0; i < data_.localisation->LanguageCount(); ++i)
            outcome_.languages.append(QString::fromLatin1(data_.localisation->GetLanguageName(i)).toUpper());
        map.SetNameLanguage(0);
    });

    if (map.SystemVariant() >= 2) {
        outcome_.wizardAllowed = false;
        return;
    }
    outcome_.wizardAllowed = map.PartStream() && map.PartStream() == stream;
    outcome_.mapTab = map.GetManagementHeader(kMainMapHeader).Size > 0;

    // Route planning: the volume set beside the map first (recognised by its upper-case name), the
    // header's file else; inside an image only the header's file.
    data_.routePlanning.reset();
    attempt([&] {
        data_.routePlanning =
            subManager<TLN_RegionManager>(map, kRoutePlanningHeader, [&](const std::string& name) {
                if (!IsISOImageOpen() && LocateSourceFile(folder, "REGION1.KWI"))
                    return std::optional<std::string>(joinPath(folder, "REGION1.KWI"));
                return LocateSourceFile(folder, name);
            });
    });
    outcome_.routePlanning = data_.routePlanning != nullptr;

    // Voice only from the two names the system knows; VOICE001 from its own name; index from any.
    data_.voice.reset();
    attempt([&] {
        data_.voice = subManager<TLN_VoiceManager>(map, kVoiceHeader, [&](const std::string& name) {
            const bool known = equalsIgnoreCase(name, "VOICEDAT.KWI") || equalsIgnoreCase(name, "STDVCE.KWI");
            return known ? LocateSourceFile(folder, name) : std::nullopt;
        });
    });
    data_.voice001.reset();
    attempt([&] {
        data_.voice001 = subManager<TLN_VoiceMe1Manager>(map, kVoice001Header, [&](const std::string& name) {
            return equalsIgnoreCase(name, "VOICE001.ME") ? LocateSourceFile(folder, name) : std::nullopt;
        });
    });
    data_.index.reset();
    attempt([&] {
        data_.index = subManager<TLN_IndexManager>(
            map, kIndexHeader, [&](const std::string& name) { return LocateSourceFile(folder, name); });
    });

    outcome_.expandRoot = tree_.Roots().empty() ? nullptr : tree_.Roots().back().get();
}

void SourceOpener::SelectAutoCharset() {
    if (!data_.map) return;
    const TLN_AllDataManager& allData = data_.map->AllDataManager();
    codePages_.SelectAutoCharset(allData.GetSystemCode(), allData.DataVolume().Maker.Name);
}

int SourceOpener::AutoCharset() const {
    if (!data_.map) return 0;
    const TLN_AllDataManager& allData = data_.map->AllDataManager();
    return codePages_.AutoCharset(allData.GetSystemCode(), allData.DataVolume().Maker.Name);
}
