// Node kinds of the index data (INDEXDAT.KWI or the ALLDATA "Index" part): the volume, POI and expansion
// records under the header. The lower index records are added by the record views when first shown, so
// their kinds have rows here but no builders.
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/index/IndexManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/index/IndexTable.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"
#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/views/IndexRecordViews.h"

namespace {

constexpr int kIndexRoot = 1020;
constexpr int kIndexPart = 102;
constexpr int kVolume = 300;
constexpr int kPOI = 301;
constexpr int kExpansion = 302;

// Position of management record i of a table of records recordWords words long at a word offset.
int64_t managementRecordPosition(const TLN_IndexManager& reader, uint32_t tableOffset, uint32_t recordWords,
                                 uint32_t i) {
    const int64_t table = WordOffsetToPosition(tableOffset, reader.Base());
    return table < 0 ? reader.Base() : table + int64_t(i) * recordWords * 2;
}

// Zone selection: the rows of the first volume's zone table name the zones ("TPNM") by their codes
// ("SZCD"), which later frames use to name their zones. The table is read here alone, never shown.
void readZoneNames(TLN_IndexManager& reader) {
    TLN_Volume_Management_Record volume;
    if (reader.VolumeCount() == 0 || !reader.ReadVolumeRecord(0, volume) || volume.KindDeclaration != "FSLZ")
        return;
    const TLN_Additional_Address& at = volume.FrameAddress;
    TLN_Search_Frame_Header frame;
    TLN_Detailed_Info_Rec record;
    if (!at.Exists() || (!at.FileName.empty() && !reader.DataFileExists(at.FileName)) ||
        !reader.ReadSearchFrameHeader(at, volume.UsesFileAddresses(), frame) ||
        !reader.ReadDetailedSearchRecord(frame, 0, record) || !record.CategoryData.Exists() ||
        (!record.CategoryData.FileName.empty() && !reader.DataFileExists(record.CategoryData.FileName)))
        return;
    const auto zones = IndexTable::OpenFSLZCategory(&reader, record);
    reader.ClearZoneNames();
    for (int64_t row = 0; row < zones->RecordCount(); ++row) {
        const auto code = zones->FieldDWord(row, "SZCD");
        const auto name = zones->FieldText(row, "TPNM");
        if (code && name) reader.AddZoneName(*code, name->trimmed());
    }
}

// Why a management record's frame cannot be reached: its file-address item or representation string is
// cut, or the file it names is not there ("" when nothing is wrong).
std::string recordError(TLN_IndexManager& reader, const TLN_Volume_Management_Record& record) {
    std::string why = record.FrameAddressError;
    const std::string& representation = record.Representation.Error;
    if (!representation.empty()) why += (why.empty() ? "" : "\n") + representation;
    const std::string& file = record.FrameAddress.FileName;
    if (!file.empty() && record.FrameAddress.Exists() && !reader.DataFileExists(file))
        why += (why.empty() ? "" : "\n") + std::string("File ") + file + " does not exist!";
    return why;
}

void addIndexDataNodes(KindContext& context, RecordNode& node,
                       std::vector<std::unique_ptr<RecordNode>>& out) {
    const auto reader = family::ReaderOf(node, context.data.index);
    if (!reader || !reader->IsValid()) return;
    // Tables past the end: the node says why, and lists what can be read.
    for (const Failure& reason : reader->TableDamageReasons())
        family::MarkError(node, reason);
    const TLN_Data_Management_Frame_Header& header = reader->Header();
    auto add = [&](int kind, const QString& caption, uint32_t i, int64_t offset, const std::string& error) {
        auto child = family::Child(node, kind, caption, i, offset);
        child->held = reader;
        child->indexDepth = 0;
        family::MarkError(*child, error);
        out.push_back(std::move(child));
    };
    TLN_Volume_Management_Record record;
    for (uint32_t i = 0; i < reader->VolumeCount(); ++i) {
        reader->ReadVolumeRecord(i, record);
        add(kVolume, QString::fromStdString(reader->GetVolumeRecordID(i)), i,
            managementRecordPosition(*reader, header.VolumeRecordOffset, header.VolumeRecordSize, i),
            recordError(*reader, record));
    }
    for (uint32_t i = 0; i < reader->POICount(); ++i) {
        reader->ReadPOIManagementRecord(i, record);
        add(kPOI,
            QString::fromStdString(reader->GetPOIManagementRecordID(i)) + QStringLiteral(" (POI ") +
                QString::number(i + 1) + QStringLiteral(")"),
            i, managementRecordPosition(*reader, header.POIRecordOffset, header.POIRecordSize, i),
            recordError(*reader, record));
    }
    for (uint32_t i = 0; i < reader->ExpansionCount(); ++i) {
        TLN_Index_Expansion_Rec expansion;
        reader->ReadExpansionRecord(i, expansion);
        const std::string& file = expansion.Data.FileName;
        add(kExpansion, family::Numbered("Expansion ", int64_t(i) + 1), i,
            expansion.Position >= 0 ? expansion.Position : node.recordOffset,
            !file.empty() && expansion.Data.Exists() && !reader->DataFileExists(file)
                ? "File " + file + " does not exist!"
                : std::string());
    }
    readZoneNames(*reader);
}

} // namespace

void RegisterIndexKinds(NodeKinds& table) {
    family::RegisterRow(table, kIndexRoot, "ShowDataManagementFrameHeader", addIndexDataNodes);
    family::RegisterRow(table, kIndexPart, "ShowIndexDataHeader", addIndexDataNodes);
    family::RegisterRow(table, kVolume, "ShowVolumeManagementRecord");
    family::RegisterRow(table, kPOI, "ShowPOIManagementRecord");
    family::RegisterRow(table, kExpansion, "ShowExpansionFieldRecord");
    family::RegisterRow(table, 303, "ShowCharacterInfoRecord");
    family::RegisterRow(table, 305, "ShowDetailedPOIRecord");
    family::RegisterRow(table, 310, "ShowDetailedSearchRecord");
    family::RegisterRow(table, 320, "ShowSearchFrame");
    // Next-level entries by search kind.
    for (int kind : {330, 340, 345, 350, 360, 370, 380})
        family::RegisterRow(table, kind, "ShowNextLevel");
    RegisterIndexViews(table);
}
