// The ALLDATA family: the management header records below an "ALL DATA" root (AddAllDataNodes) and the
// rows of kinds 100 to 163.
#include <exception>
#include <optional>
#include <string>
#include <type_traits>

#include "kiwi/core/FileNames.h"
#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "kiwi/parts/ParamManager.h"
#include "kiwi/parts/RdstmcManager.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/kinds/AllDataNodes.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/kinds/ManagementPart.h"
#include "mainwindow/model/views/ManagementViews.h"

namespace {

// Format versions from this one on retag headers 13 and 17 as "Local Data" and "RDS-TMC Data".
constexpr uint32_t kRetagSystemNumber = 8;

enum class Source {
    // The header's own file when it names one that exists, else the ALLDATA stream at its address.
    FileOrStream,
    // The ALLDATA stream at the header's address.
    Stream,
    // The header's own file only.
    File,
};

// A new reader of a part; null when the source it needs is not there. Throws what the reader throws.
template <typename Reader>
std::shared_ptr<Reader> partReader(const TLN_KiwiMap& map, const TLN_Management_Header& header,
                                   Source source) {
    // An absent part (no size and no file, whatever its address) has nothing to read.
    if (!header.Present()) return nullptr;
    if constexpr (std::is_constructible_v<Reader, const std::string&>) {
        if (source != Source::Stream && !header.Name.empty()) {
            if (const auto path = LocateSourceFile(folderPart(map.Path()), header.Name))
                return std::make_shared<Reader>(*path);
        }
    }
    // Inside ALLDATA.KWI a part is there only with a size: a record naming a file may have none.
    if (source == Source::File || header.Size == 0) return nullptr;
    const std::shared_ptr<TLN_Stream> stream = map.GetAllDataStream();
    if (!stream) return nullptr;
    return std::make_shared<Reader>(stream, header.Address);
}

// Node holds reader, and its records are shown from the stream the reader reads: a part kept in a file of
// its own (REGION.KWI, VOICEDAT.KWI, a parameter file) has its positions in that file, not in ALLDATA.KWI.
// The nodes below inherit the stream.
template <typename Reader> void holdPart(RecordNode& node, const std::shared_ptr<Reader>& reader) {
    node.held = HeldReader(reader);
    if (reader && reader->SharedStream()) node.stream = reader->SharedStream();
}

struct PartNode {
    std::unique_ptr<RecordNode> node;
    // A reader that reports itself invalid, or one whose creation failed, and why.
    bool failed = false;
    QString reason;

    // A part read in part: the node says why, and still opens on what was read.
    template <typename Reader> void noteDamage(const Reader& reader) {
        if constexpr (std::is_base_of_v<TLN_Manager, Reader>)
            if (node->error.isEmpty()) node->error = RussianReason(reader.DamageReason());
    }
    template <typename Reader> void hold(const std::shared_ptr<Reader>& reader) {
        if (!reader) return;
        holdPart(*node, reader);
        if (reader->IsValid()) {
            noteDamage(*reader);
            return;
        }
        failed = true;
        reason = RussianReason(reader->ErrorReason());
    }
    // A reader the window opened for the volume: expandable when valid, else the node's error (a damaged
    // file of its own is no part that holds nothing).
    template <typename Reader> void holdOpened(const std::shared_ptr<Reader>& reader) {
        if (!reader) return;
        if (reader->IsValid()) {
            holdPart(*node, reader);
            node->hasChildren = true;
            noteDamage(*reader);
            return;
        }
        failed = true;
        reason = RussianReason(reader->ErrorReason());
    }
};

// Why a header naming a file of its own has no data: the file is not in the map's folder (nullopt when it
// names none, or the file is there).
std::optional<QString> missingFile(const TLN_KiwiMap& map, const TLN_Management_Header& header) {
    const std::string folder = folderPart(map.Path());
    if (header.Name.empty() || LocateSourceFile(folder, header.Name)) return std::nullopt;
    QString where = ToQtPath(folder.empty() ? std::string(".") : folder);
    if (IsISOImageOpen()) where += QStringLiteral(" образа ") + ToQtPath(GetISOImageFileName());
    return QStringLiteral("Файл %1 не найден в папке %2").arg(ToQtPath(header.Name), where);
}

// The node of header index (kind 100 + index unless retagged), its held reader and expandability.
void describePart(KindContext& context, const TLN_KiwiMap& map, const TLN_Management_Header& header,
                  int index, PartNode& part) {
    RecordNode& node = *part.node;
    OpenData& data = context.data;
    const bool retag = map.SystemNumber() >= kRetagSystemNumber;
    switch (index) {
    case 0:
        node.held = HeldReader(data.map);
        if (const TLN_KiwiMap* held = node.held.As<TLN_KiwiMap>()) node.stream = held->GetAllDataStream();
        node.hasChildren = true;
        break;
    case 1:
        part.holdOpened(data.routePlanning);
        break;
    case 2:
        part.holdOpened(data.index);
        break;
    case 3:
        part.hold(partReader<TLN_ParamManager>(map, header, Source::FileOrStream));
        break;
    case 5:
        // Only a part inside ALLDATA.KWI: a header naming a file of its own gets no reader here.
        if (header.Size > 0 && header.Name.empty())
            part.hold(partReader<TLN_GraphicManager>(map, header, Source::Stream));
        break;
    case 6:
        part.holdOpened(data.voice);
        break;
    case 13:
        if (retag && data.localisation &&
            (data.localisation->AreaCount() > 0 || data.localisation->LanguageCount() > 0)) {
            node.kind = 129;
            node.caption = QStringLiteral("Local Data");
            holdPart(node, data.localisation);
        }
        break;
    case 17:
    case 27: {
        const auto reader = partReader<TLN_RdstmcManager>(map, header, Source::FileOrStream);
        part.hold(reader);
        // A region table that is no table: the part still holds its events.
        if (reader && reader->IsValid() && !reader->RegionTableError().empty())
            node.error = QString::fromStdString(reader->RegionTableError());
        if (index == 27 || (retag && reader && reader->IsValid())) {
            node.kind = 127;
            node.caption = QStringLiteral("RDS-TMC Data");
        }
        break;
    }
    case 18:
        node.caption = QStringLiteral("HWMAP Data");
        break;
    case 20:
        part.hold(partReader<TLN_Manager21>(map, header, Source::Stream));
        break;
    case 25:
        node.caption = QStringLiteral("Voice Command Data");
        part.hold(partReader<TLN_DicVceManager>(map, header, Source::FileOrStream));
        break;
    case 26:
        node.caption = QStringLiteral("Ext Picture Data");
        part.hold(partReader<TLN_EXPCTManager>(map, header, Source::FileOrStream));
        break;
    case 29:
        node.caption = QStringLiteral("Local Data");
        if (data.localisation) holdPart(node, data.localisation);
        break;
    case 30:
        node.caption = QStringLiteral("Picture Data");
        part.hold(partReader<TLN_PCT2MNGManager>(map, header, Source::File));
        break;
    case 31:
        node.caption = QStringLiteral("Management 32");
        node.hasChildren = true;
        break;
    case 33:
        node.caption = QStringLiteral("VOICE001");
        if (data.voice001) {
            holdPart(node, data.voice001);
            node.hasChildren = true;
        }
        break;
    default:
        break;
    }
    // Kinds whose builders read through the new reader open only when it reads.
    switch (node.kind) {
    case 103:
    case 105:
    case 125:
    case 127:
    case 129:
    case 130:
        node.hasChildren = node.held && !part.failed;
        break;
    default:
        break;
    }
}

QString partCaption(int index) {
    if (index < 7) return QString::fromLatin1(kManagementPartNames[index]) + QStringLiteral(" Data");
    return QStringLiteral("Management %1").arg(index + 1);
}

} // namespace

void AddAllDataNodes(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) {
    const TLN_KiwiMap* map = node.held.As<TLN_KiwiMap>();
    if (!map) map = context.data.map.get();
    if (!map || !map->IsValid()) return;
    for (int index = 0; index < kManagementHeaderCount; ++index) {
        const TLN_Management_Header header = map->GetManagementHeader(index);
        // A record the file cuts short is no absent part: its node says where the table ends.
        const std::string cut = map->AllDataManager().ManagementHeaderError(index);
        if (!cut.empty()) {
            auto damaged = RecordNode::MakeChild(&node, 100 + index, partCaption(index), index);
            damaged->held = HeldReader();
            damaged->recordOffset = kManagementHeaderTablePosition + kManagementHeaderRecordSize * index;
            damaged->error = QString::fromStdString(cut);
            damaged->caption += QStringLiteral("  (Error)");
            out.push_back(std::move(damaged));
            continue;
        }
        // Only an absent record of address 0 is left out: one that marks its part absent with the all-ones
        // address is listed with its header, and one naming a file of its own is there whatever its
        // address and size.
        if (!header.Present() && header.Address == 0) continue;
        PartNode part;
        part.node = RecordNode::MakeChild(&node, 100 + index, partCaption(index), index);
        part.node->held = HeldReader();
        part.node->recordOffset = header.Address;
        try {
            describePart(context, *map, header, index, part);
        } catch (const std::exception& error) {
            // A reader that raises (a volume set read past its end, say) marks this node only.
            part.node->held = HeldReader();
            part.node->hasChildren = false;
            part.failed = true;
            part.reason = RussianReason(FailureOf(error));
        }
        // A missing file of its own is the reason, also where a stand-in read from ALLDATA.KWI fails.
        const std::optional<QString> missing = missingFile(*map, header);
        if (missing && (part.failed || !part.node->held))
            part.node->error = *missing;
        else if (part.failed)
            part.node->error =
                part.reason.isEmpty() ? QStringLiteral("Данные части не распознаны") : part.reason;
        if (!part.node->error.isEmpty() || ManagementAddressBeyondEnd(*map, header))
            part.node->caption += QStringLiteral("  (Error)");
        out.push_back(std::move(part.node));
    }
}

void RegisterAllDataKinds(NodeKinds& table) {
    table.SetBuilder(7, AddAllDataNodes);
    RegisterManagementViews(table);
}
