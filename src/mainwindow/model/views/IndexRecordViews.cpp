// The index data's management records, row by row.
#include "mainwindow/model/views/IndexRecordViews.h"

#include <algorithm>

#include "kiwi/core/KiwiConversions.h"
#include "kiwi/index/IndexManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/index/IndexTable.h"
#include "mainwindow/model/views/IndexSearchViews.h"
#include "mainwindow/model/views/IndexViewSupport.h"
#include "mainwindow/model/views/PartViewSupport.h"

using namespace indexview;
using partview::Address;
using partview::Hex32;
using partview::Text;

namespace {

// The management header record of the ALLDATA "Index" part.
constexpr int kIndexHeaderIndex = 2;
// The most element entries of a character information record shown.
constexpr size_t kMaxElements = 100;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

void help(FieldGrid& grid) {
    partview::Help(grid, HelpDocument::IndexData);
}

QString kindName(const std::string& code) {
    return Text(GetSearchKindName(code));
}

void frameHeaderRows(FieldGrid& grid, const TLN_Data_Management_Frame_Header& header, int64_t base) {
    grid.AddSectionHeader(s("Data Management Frame Header"));
    help(grid);
    grid.AddTextRow(s("Data Declaration"), Text(header.DataDeclaration));
    grid.AddTextRow(s("Data Format Version"), Text(header.DataFormatVersion));
    grid.AddHex64Row(s("Date Creation Date"), s("Format: YYYYMMDDhhmmssss"), header.CreationDate());
    grid.AddTextRow(s("Copyright"), Text(header.Copyright));
    Hex32(grid, s("User Field Size (Metadata)"), header.UserFieldSize);
    Address(grid, s("Offset to User Field (Metadata)"), WordOffsetToPosition(header.UserFieldOffset, base));
    Hex32(grid, s("Expansion Field Size"), header.ExpansionFieldSize);
    Address(grid, s("Offset to Expansion Field"), WordOffsetToPosition(header.ExpansionFieldOffset, base));
    grid.AddTextRow(s("Expansion Data Declaration"), Text(header.ExpansionDataDeclaration));
    grid.AddDWordRow(s("Number of Volume Management Records"), {}, header.VolumeRecordCount);
    Hex32(grid, s("Volume Management Record Size"), header.VolumeRecordSize);
    Address(grid, s("Offset to Volume Management Record"),
            WordOffsetToPosition(header.VolumeRecordOffset, base));
    grid.AddDWordRow(s("Number of POI Information Management Records"), {}, header.POIRecordCount);
    Hex32(grid, s("POI Information Management Record Size"), header.POIRecordSize);
    Address(grid, s("Offset to the Top of POI Information Management Record"),
            WordOffsetToPosition(header.POIRecordOffset, base));
    grid.AddTextRow(s("Displayed Title Language-specific Character String"), header.Title.Text.text);
}

// The rows a volume and a POI management record share up to their representation text.
void managementRecordRows(FieldGrid& grid, const TLN_Volume_Management_Record& record, bool volume,
                          int64_t base) {
    grid.AddTextRow(s("Data Declaration"), Text(record.DataDeclaration));
    grid.AddTextRow(volume ? s("Search Function Declaration") : s("POI Information Type Declaration"),
                    Text(record.KindDeclaration));
    grid.AddTextRow(s("Address Description Declaration"), Text(record.AddressDeclaration));
    Hex32(grid, s("Expansion Field Size"), record.ExpansionFieldSize);
    Address(grid, volume ? s("Offset to Expansion Field") : s("Offset to Expansion Fielde"),
            WordOffsetToPosition(record.ExpansionFieldOffset, base));
    if (volume) grid.AddTextRow(s("Default Keyboard Designation"), Text(record.KeyboardDesignation));
    grid.AddLatLonRow(s("Covered Area; Minimum Latitude/Longitude"), false, record.CoveredMinimum);
    grid.AddLatLonRow(s("Covered Area; Maximum Latitude/Longitude"), false, record.CoveredMaximum);
    Hex32(grid,
          volume ? s("Management Frame Size of Search Frame")
                 : s("Size of Management Frame of POI Information Frame"),
          record.FrameSize);
    FileAddress(grid,
                volume ? s("Address to Management Frame of Search Frame")
                       : s("Management Frame Address of POI Information Frame"),
                record.FrameAddress);
    grid.AddTextRow(s("Character String for Representation Items"), record.Representation.Text.text);
}

} // namespace

void ShowIndexDataHeader(KindContext& context, RecordNode& node) {
    partview::ManagementHeader(context, node, kIndexHeaderIndex, HelpDocument::IndexData);
    const auto reader = ReaderOf(context, node);
    if (!reader || !reader->IsValid()) return;
    frameHeaderRows(context.grid, reader->Header(), reader->Base());
    for (const Failure& reason : reader->TableDamageReasons())
        partview::ReasonRows(context.grid, node, reason);
}

void ShowDataManagementFrameHeader(KindContext& context, RecordNode& node) {
    const auto reader = ReaderOf(context, node);
    if (!reader || !reader->IsValid()) {
        context.grid.AddSectionHeader(s("Data Management Frame Header"));
        partview::ErrorRow(context.grid, node);
        return;
    }
    frameHeaderRows(context.grid, reader->Header(), reader->Base());
    partview::ErrorRow(context.grid, node);
    for (const Failure& reason : reader->TableDamageReasons())
        partview::ReasonRows(context.grid, node, reason);
}

void ShowVolumeManagementRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = ReaderOf(context, node);
    TLN_Volume_Management_Record record;
    const bool read = reader && node.index >= 0 && reader->ReadVolumeRecord(uint32_t(node.index), record);
    grid.AddSectionHeader(s("Volume Management Record"), read ? kindName(record.KindDeclaration) : QString());
    help(grid);
    partview::ErrorRow(grid, node);
    if (!read) return;
    managementRecordRows(grid, record, true, reader->Base());
    TLN_Search_Frame_Header frame;
    if (!SearchFrameHeader(grid, node, *reader, s("Management frame header of search frame"),
                           record.FrameAddress, record.UsesFileAddresses(), frame))
        return;
    AddOnce(context, node, FrameItems(node, *reader, frame, kSearchItem, TLN_Detailed_Info_Rec::Length));
}

void ShowPOIManagementRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = ReaderOf(context, node);
    TLN_POI_Management_Record record;
    const bool read =
        reader && node.index >= 0 && reader->ReadPOIManagementRecord(uint32_t(node.index), record);
    grid.AddSectionHeader(s("POI Information Management Record"),
                          read ? kindName(record.KindDeclaration) : QString());
    help(grid);
    partview::ErrorRow(grid, node);
    if (!read) return;
    managementRecordRows(grid, record, false, reader->Base());
    grid.AddSectionHeaderAt(s("POI Information Frame "), kindName(record.KindDeclaration),
                            record.FrameAddress.DataPosition);
    TLN_Search_Frame_Header frame;
    if (!FrameHeaderShown(grid, node, *reader, record.FrameAddress, record.UsesFileAddresses(), frame))
        return;
    grid.AddTextRow(s("Data Declaration"), Text(frame.DataDeclaration));
    grid.AddDWordRow(s("Number of Detailed  POI Information Records"), {}, frame.RecordCount);
    Hex32(grid, s("Size of Detailed  POI Information Records"), frame.RecordSize);
    Address(grid, s("Offset to the Top of Detailed  POI Information Records"), frame.RecordsPosition);
    FrameRecordsReason(grid, node, *reader, frame, TLN_Detailed_POIInfo_Rec::Length);
    AddOnce(context, node, FrameItems(node, *reader, frame, kDetailedPOI, TLN_Detailed_POIInfo_Rec::Length));
}

void ShowDetailedPOIRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Detailed  POI Information Record ") + QString::number(node.index));
    const auto reader = ReaderOf(context, node);
    const auto frameRef = FrameOfItems(context, node);
    TLN_Search_Frame_Header frame;
    TLN_Detailed_POIInfo_Rec record;
    if (!reader || !frameRef || node.index < 0 || ShowWhenMissing(grid, *reader, frameRef->at.FileName) ||
        !reader->ReadSearchFrameHeader(frameRef->at, frameRef->fileAddresses, frame) ||
        !reader->ReadDetailedPOIRecord(frame, uint32_t(node.index), record))
        return;
    grid.AddTextRow(s("Data Declaration"), Text(record.DataDeclaration));
    Hex32(grid, s("Expansion Field Size"), record.ExpansionFieldSize);
    Address(grid, s("Offset to Expansion Field"), WordOffsetToPosition(record.ExpansionFieldOffset, 0));
    Hex32(grid, s("Size of POI Information Definition Frame"), record.DefinitionSize);
    FileAddress(grid, s("POI Information Definition Frame Address"), record.Definition);
    Hex32(grid, s("POI Information Data Frame Size"), record.DataSize);
    FileAddress(grid, s("POI Information Data Frame Address"), record.Data);
    Hex32(grid, s("Size of the Record of POI Information Data Frame"), record.RecordSize);
    grid.AddDWordRow(s("Total Number of the Records of POI Information Data Frame"), {}, record.RecordCount);
    if (record.Definition.Exists())
        CategoryDefinition(grid, *reader, s("Category Definition Frame"), record.Definition,
                           record.DefinitionSize);
    if (!record.Data.Exists() || ShowWhenMissing(grid, *reader, record.Data.FileName)) return;
    ShowTable(context, IndexGrid::Category, IndexTable::OpenPOIInfo(reader.get(), record));
}

void ShowExpansionFieldRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Individual Expansion Field Management Record"));
    help(grid);
    partview::ErrorRow(grid, node);
    const auto reader = ReaderOf(context, node);
    TLN_Index_Expansion_Rec record;
    if (!reader || node.index < 0 || !reader->ReadExpansionRecord(uint32_t(node.index), record)) return;
    grid.AddTextRow(s("Data Declaration"), Text(record.DataDeclaration));
    const TLN_PointRecord& maker = record.ManufacturerID;
    grid.AddLatLonRow(s("Manufacturer Identification Information"), true, TLN_Point{maker.X, maker.Y});
    Hex32(grid, s("Size of Individual Expansion Field Management"), record.Size);
    grid.AddTextRow(s("Address Description Declaration"), Text(record.AddressDeclaration));
    FileAddress(grid, s("Data Offset"), record.Data);
    grid.AddSectionHeaderAt(s("Character Information Management Frame"), Text(record.Data.FileName),
                            record.Data.DataPosition);
    TLN_Character_Info_Frame frame;
    if (!CharacterFrameShown(grid, node, *reader, record.Data, frame)) return;
    grid.AddTextRow(s("Data Declaration"), Text(frame.DataDeclaration));
    grid.AddDWordRow(s("Number of character information management records"), {}, frame.EntryCount);
    std::vector<std::unique_ptr<RecordNode>> entries;
    for (size_t i = 0; i < frame.Entries.size(); ++i) {
        auto entry = RecordNode::MakeChild(&node, kCharacterInfo, Text(frame.Entries[i].ID), int64_t(i));
        entry->recordOffset = frame.Entries[i].Position;
        entry->stream = FileStream(*reader, record.Data.FileName);
        entry->fileName = record.Data.FileName;
        entries.push_back(std::move(entry));
    }
    AddOnce(context, node, std::move(entries));
}

void ShowCharacterInfoRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(s("Character Information Management Record ") + QString::number(node.index), {},
                            node.recordOffset);
    const auto reader = ReaderOf(context, node);
    TLN_Index_Expansion_Rec expansion;
    TLN_Character_Info_Frame frame;
    if (!reader || !node.parent || node.parent->index < 0 || node.index < 0 ||
        !reader->ReadExpansionRecord(uint32_t(node.parent->index), expansion) ||
        ShowWhenMissing(grid, *reader, expansion.Data.FileName) || !expansion.Data.Exists() ||
        !reader->ReadCharacterInfoFrame(expansion.Data, frame) || size_t(node.index) >= frame.Entries.size())
        return;
    const TLN_Character_Info_Entry& entry = frame.Entries[size_t(node.index)];
    grid.AddTextRow(s("Data Declaration"), Text(entry.ID));
    Hex32(grid, s("Size of Character Information Management Frame"), entry.Value);
    grid.AddTextRow(s("Address Description Declaration"), Text(entry.Type));
    FileAddress(grid, s("Data Offset"), entry.Data);
    grid.AddSectionHeader(s("Element-specific Character Information Management Frame"),
                          Text(entry.Data.FileName));
    TLN_Character_Info_Frame elements;
    if (!CharacterFrameShown(grid, node, *reader, entry.Data, elements)) return;
    grid.AddTextRow(s("Data Declaration"), Text(elements.DataDeclaration));
    grid.AddDWordRow(s("Number of character information management records"), {}, elements.EntryCount);
    std::vector<std::unique_ptr<RecordNode>> items;
    for (size_t i = 0; i < std::min(elements.Entries.size(), kMaxElements); ++i) {
        grid.AddSectionHeader(s("Element-specific Character Information Management Record ") +
                              QString::number(i));
        const auto frameRef = ElementFrame(*reader, node, int64_t(i));
        TLN_Search_Frame_Header header;
        const TLN_Additional_Address at = elements.Entries[i].Data;
        grid.AddSectionHeaderAt(s("Character Information Frame "), kindName(elements.Entries[i].ID),
                                at.DataPosition);
        if (ShowWhenMissing(grid, *reader, at.FileName) || !frameRef ||
            !FrameHeaderShown(grid, node, *reader, frameRef->at, frameRef->fileAddresses, header))
            continue;
        MarkDeclaration(grid, header.DataDeclaration);
        grid.AddDWordRow(s("Number of Detailed Information Records"), {}, header.RecordCount);
        Hex32(grid, s("Size of Detailed Information Records"), header.RecordSize);
        Address(grid, s("Offset to the Top of Detailed Information Records"), header.RecordsPosition);
        FrameRecordsReason(grid, node, *reader, header, TLN_Detailed_Info_Rec::Length);
        auto frameItems =
            FrameItems(node, *reader, header, kSearchItem, TLN_Detailed_Info_Rec::Length, uint32_t(i));
        // The items of every element are numbered on from those before them.
        for (auto& item : frameItems) {
            const int64_t k = int64_t(items.size());
            grid.AddTextRow(s("Item ") + QString::number(k), {}, {});
            item->caption = s("Item ") + QString::number(k);
            items.push_back(std::move(item));
        }
    }
    AddOnce(context, node, std::move(items));
}

void RegisterIndexViews(NodeKinds& table) {
    table.SetView(kIndexPart, ShowIndexDataHeader);
    table.SetView(kIndexRoot, ShowDataManagementFrameHeader);
    table.SetView(kVolume, ShowVolumeManagementRecord);
    table.SetView(kPOI, ShowPOIManagementRecord);
    table.SetView(kExpansion, ShowExpansionFieldRecord);
    table.SetView(kCharacterInfo, ShowCharacterInfoRecord);
    table.SetView(kDetailedPOI, ShowDetailedPOIRecord);
    RegisterIndexSearchViews(table);
}
