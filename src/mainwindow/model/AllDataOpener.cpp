// Opening "ALLDATA.KWI": the map, its caption with the system code and data version, the automatic code
// page, and the readers its management headers point at (localisation, route planning, voice, VOICE001,
// index).
#include <QFile>

#include "kiwi/core/FileNames.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/SourceOpener.h"

namespace {
QString toQt(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

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
    // A map that is not valid is dropped here, so that it never reaches the map view or the tree.
    if (!map->IsValid()) return nullptr;
    data_.map = map;

    const TLN_AllDataManager& allData = map->AllDataManager();
    const QString where = IsISOImageOpen() ? toQt(GetISOImageFileName()) : toQt(folderPart(path));
    // Texts of the data volume are 8-bit; mid() stays inside short texts.
    const QString systemCode = QString::fromLatin1(allData.GetSystemCode());
    const QString version = QString::fromLatin1(allData.GetDataVersionNumber());
    outcome_.caption = title_ + QStringLiteral(" - ") + where + QStringLiteral("  [") + systemCode.mid(2, 2) +
                       QStringLiteral(" 20") + version.mid(13, 2) + QStringLiteral("]");

    SelectAutoCharset();
    outcome_.mapLoaded = true;
    auto root = RecordNode::MakeChild(nullptr, 7, QStringLiteral("ALL DATA"));
    root->hasChildren = true;
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

    data_.routePlanning.reset();
    attempt([&] {
        const TLN_Management_Header header = map.GetManagementHeader(kRoutePlanningHeader);
        if (header.Size == 0) return;
        if (header.Name.empty()) {
            data_.routePlanning = std::make_shared<TLN_RegionManager>(stream, header.Address);
            return;
        }
        // The volume set beside the map first (recognised by its upper-case name), the header's file else;
        // inside an image only the header's file.
        std::optional<std::string> regionPath;
        if (!IsISOImageOpen() && Locate(folder, "REGION1.KWI")) regionPath = joinPath(folder, "REGION1.KWI");
        if (!regionPath) regionPath = Locate(folder, header.Name);
        if (regionPath) data_.routePlanning = std::make_shared<TLN_RegionManager>(*regionPath);
    });
    outcome_.routePlanning = data_.routePlanning != nullptr;

    data_.voice.reset();
    attempt([&] {
        const TLN_Management_Header header = map.GetManagementHeader(kVoiceHeader);
        if (header.Size == 0) return;
        if (header.Name.empty()) {
            data_.voice = std::make_shared<TLN_VoiceManager>(stream, header.Address);
            return;
        }
        const std::string name = upperAscii(header.Name);
        if (name != "VOICEDAT.KWI" && name != "STDVCE.KWI") return;
        if (const auto voicePath = Locate(folder, header.Name))
            data_.voice = std::make_shared<TLN_VoiceManager>(*voicePath);
    });

    data_.voice001.reset();
    attempt([&] {
        const TLN_Management_Header header = map.GetManagementHeader(kVoice001Header);
        if (header.Size == 0) return;
        if (header.Name.empty()) {
            data_.voice001 = std::make_shared<TLN_VoiceMe1Manager>(stream, header.Address);
            return;
        }
        if (upperAscii(header.Name) != "VOICE001.ME") return;
        if (const auto voicePath = Locate(folder, header.Name))
            data_.voice001 = std::make_shared<TLN_VoiceMe1Manager>(*voicePath);
    });

    data_.index.reset();
    attempt([&] {
        const TLN_Management_Header header = map.GetManagementHeader(kIndexHeader);
        if (header.Size == 0) return;
        if (header.Name.empty()) {
            data_.index = std::make_shared<TLN_IndexManager>(stream, header.Address);
            return;
        }
        if (const auto indexPath = Locate(folder, header.Name))
            data_.index = std::make_shared<TLN_IndexManager>(*indexPath);
    });

    outcome_.expandRoot = tree_.Roots().empty() ? nullptr : tree_.Roots().back().get();
}

void SourceOpener::SelectAutoCharset() {
    if (!data_.map) return;
    const TLN_AllDataManager& allData = data_.map->AllDataManager();
    codePages_.SelectAutoCharset(allData.GetSystemCode(), allData.DataVolume().Maker.Name);
}
