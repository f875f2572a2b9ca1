// The RDS-TMC, localisation and management 32 records, row by row.
#include "mainwindow/model/views/TmcAndLocalViews.h"

#include <array>
#include <string_view>

#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "kiwi/parts/RdstmcManager.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/kinds/ManagementPart.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/PartViewSupport.h"

using partview::Address;
using partview::Count;
using partview::Frame;
using partview::Hex32;
using partview::Text;

namespace {

constexpr int kManagement32 = 131;
// Management header 31 ("Management 32") holds the sub-records; sub-record 5 is read by TLN_Manager21.
constexpr int kManagement32Header = 31;
constexpr int kManager21SubRecord = 5;
constexpr int kMessage = 2180;

constexpr std::array<std::string_view, 3> kLocationTypes{"NOT ROAD OBJECT", "ROAD SECTION", "CROSSROAD"};

QString s(const char* text) {
    return QString::fromUtf8(text);
}

std::shared_ptr<TLN_RdstmcManager> tmcOf(const RecordNode& node) {
    auto reader = node.held.Shared<TLN_RdstmcManager>();
    return reader && reader->IsValid() ? reader : nullptr;
}

std::shared_ptr<TLN_LocalManager> localOf(const KindContext& context, const RecordNode& node) {
    if (auto held = node.held.Shared<TLN_LocalManager>()) return held;
    return context.data.localisation;
}

// An address row whose remark is the text stored there.
void textAddress(FieldGrid& grid, const char* name, const TLN_RdstmcManager& reader, int64_t position) {
    const TLN_PartText text = position >= 0 ? reader.ReadText(position) : TLN_PartText();
    Address(grid, s(name), position, text.Text);
    if (text.Error) grid.AddTextRow(s("Ошибка"), {}, RussianReason(text.Error));
}

// The map's management header rows of one record (Address, Size, File Name) and the sub-header of an
// address beyond ALLDATA.KWI.
void managementRecordRows(FieldGrid& grid, const TLN_KiwiMap* map, const TLN_Management_Header& header) {
    Address(grid, s("Address of the Management Header"), header.Address);
    grid.AddHexDecRow(s("Size of the Management Header"), {}, header.Size);
    grid.SetValueCell(s("Management File Name"), Text(header.Name));
    grid.AddEmptyRow();
    if (map && ManagementAddressBeyondEnd(*map, header))
        grid.AddSubHeader(s("Management Address exceeds the file size !!!"));
}

} // namespace

void ShowRdsTmcManagement(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    partview::ManagementHeader(context, node, int(node.index), HelpDocument::DataVolume);
    grid.AddSectionHeader(s("RDS-TMS Management"), s("ALL DATA"));
    const auto reader = tmcOf(node);
    if (!reader) return;
    const TLN_RdstmcHeader& header = reader->Header();
    const TLN_PointRecord& maker = header.Maker;
    grid.AddLatLonRow(s("Latitude and Longitude of the Maker''s Office Location"), true,
                      TLN_Point{maker.X, maker.Y});
    grid.AddWordRow(s("Floor of The Makers''s Office"), {}, maker.ByteValue);
    grid.AddDateRow(s("Date of Maker Identification"), {}, maker.WordValue);
    grid.AddWordHexRow(s("Usage Code"), {}, header.UsageCode);
    grid.AddWordHexRow(s("Reserved"), {}, header.Reserved);
    grid.AddSectionHeaderAt(s("Management Distribution Header"), {}, reader->Base());
    Hex32(grid, s("Management Distribution Header Size"), header.HeaderSize);
    Frame(grid, s("Address of the TMC Data Frame"), s("Size of the TMC Data Frame"), header.TmcFramePosition,
          header.TmcFrameSize);
    Frame(grid, s("Address of the Events Data Frame"), s("Size of the Events Data Frame"),
          header.EventsFramePosition, header.EventsFrameSize);
    Frame(grid, s("Address of the Text Data Frame"), s("Size of the Text Data Frame"),
          header.TextFramePosition, header.TextFrameSize);
    const TLN_TmcFrameHeader& tmc = reader->TmcHeader();
    grid.AddSectionHeader(s("TMC Data Frame Header"));
    grid.AddWordHexRow(s("Reserved"), {}, tmc.Reserved);
    Hex32(grid, s("Header Size"), tmc.HeaderSize);
    Count(grid, s("Number of Region Records"), tmc.NumberOfRegions);
    Hex32(grid, s("Region Record Size"), tmc.RegionRecordSize);
    Frame(grid, s("Address of the Group Data Frame"), s("Size of the Group Data Frame"),
          tmc.GroupFramePosition, tmc.GroupFrameSize);
    Frame(grid, s("Address of the Location Info Data Frame"), s("Size of the Location Info Data Frame"),
          tmc.LocationInfoFramePosition, tmc.LocationInfoFrameSize);
    Frame(grid, s("Address of the Location Data Frame"), s("Size of the Location Data Frame"),
          tmc.LocationFramePosition, tmc.LocationFrameSize);
}

void ShowTmcRegion(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const auto reader = tmcOf(node);
    TLN_TmcRegion region;
    const bool read = reader && reader->ReadRegionDataInfo(node.index, region);
    grid.AddSectionHeaderAt(s("TMC Region Data Management Information"), {},
                            read ? region.Position : node.recordOffset);
    if (!read) return;
    const auto local = localOf(context, node);
    grid.AddByteRow(s("Country Code"), s("CC"), region.CountryCode);
    grid.AddByteRow(s("Location Table Number"), s("LTN"), region.LocationTableNumber);
    grid.AddByteRow(s("Area Code "), local ? Text(local->GetAreaName(region.AreaCode)) : QString(),
                    region.AreaCode);
    grid.AddByteRow(s("Extended Country Code "), s("ECC"), region.ExtendedCountryCode);
    Address(grid, s("Address of Group Data"), region.GroupDataPosition);
    grid.AddWordRow(s("Number of Group Data records"), {}, region.NumberOfGroups);
    Hex32(grid, s("Size of Group Data record"), region.GroupRecordSize);
    Address(grid, s("Address of Location Info Data"), region.LocationInfoPosition);
    grid.AddWordRow(s("Number of Location Info records"), {}, region.NumberOfLocationInfos);
    Hex32(grid, s("Size of Location Info record"), region.LocationInfoRecordSize);
    Frame(grid, s("Address of Location Data"), s("Size of Location Data"), region.LocationDataPosition,
          region.LocationDataSize);
    textAddress(grid, "Address of Region Name Character String", *reader, region.NamePosition);
    partview::ErrorRow(grid, node);
}

void ShowTmcGroup(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("TMC Region Group Information"));
    const auto reader = tmcOf(node);
    TLN_TmcGroup group;
    if (!reader || !node.parent || node.index < 0 || node.index > 0xFFFF ||
        !reader->ReadGroupInfo(node.parent->index, int(node.index), group)) {
        partview::ErrorRow(grid, node);
        return;
    }
    grid.AddWordRow(s("First Location Number"), {}, group.FirstLocationNumber);
    grid.AddWordRow(s("Last Location Number"), {}, group.LastLocationNumber);
    grid.AddWordRow(s("Number of Locations"), {}, group.NumberOfLocations);
    Address(grid, s("Address of Location Info Data"), group.LocationInfoPosition);
    partview::ErrorRow(grid, node);
}

void ShowTmcLocation(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("TMC Location Information"));
    const auto reader = tmcOf(node);
    const RecordNode* group = node.parent;
    const RecordNode* region = group ? group->parent : nullptr;
    TLN_TmcLocationInfo info;
    if (!reader || !region || group->index < 0 || group->index > 0xFFFF || node.index < 0 ||
        node.index > 0xFFFF ||
        !reader->ReadLocationInfo(region->index, int(group->index), int(node.index), info))
        return;
    grid.AddWordRow(s("Location Number"), {}, info.LocationNumber);
    grid.AddWordHexRow(s("Property 1"), {}, info.Property1);
    grid.AddByteRow(s("Location Type"), enumText(kLocationTypes, info.LocationType), info.LocationType);
    grid.AddByteRow(s("Property 2"), {}, info.Property2);
    Address(grid, s("Address of Location Data"), info.LocationDataPosition);
    TLN_TmcLocationData data;
    if (!reader->ReadLocationData(region->index, int(group->index), int(node.index), data)) return;
    grid.AddSectionHeader(s("TMC Location Data"));
    grid.AddHexDecRow(s("Location Type Code"), {}, data.LocationTypeCode);
    grid.AddWordHexRow(s("Property 2"), {}, data.Value4);
    textAddress(grid, "Address of Road Name 1", *reader, data.RoadName1Position);
    textAddress(grid, "Address of Road Name 2", *reader, data.RoadName2Position);
    grid.AddWordRow(s("Location Number of Road Section"), {}, data.RoadSectionLocationNumber);
    grid.AddWordHexRow(s("Property 3"), {}, data.Property3);
    textAddress(grid, "Address of Crossing Road Name 1", *reader, data.CrossingRoadName1Position);
    textAddress(grid, "Address of Crossing Road Name 2", *reader, data.CrossingRoadName2Position);
    grid.AddWordRow(s("Previous Crossroad Location Number"), {}, data.PreviousCrossroad);
    grid.AddWordRow(s("Next Crossroad Location Number"), {}, data.NextCrossroad);
    grid.AddHexDecRow(s("Property 4"), {}, data.Property4);
    grid.AddHexDecRow(s("Property 5"), {}, data.Property5);
    grid.AddHexDecRow(s("Property 6"), {}, data.Property6);
    grid.AddLatLonRow(s("Latitude and Longitude of the Location"), false, data.Location);
}

void ShowTmcMessage(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("TMC Message Record"));
    const auto reader = tmcOf(node);
    const int partition = (node.kind - kMessage) / 10;
    TLN_TmcMessage message;
    bool read = false;
    if (reader) {
        switch (partition) {
        case 0:
            read = reader->ReadMessageRecord(node.index, message);
            break;
        case 1:
            read = reader->ReadMessageRecord2(node.index, message);
            break;
        case 2:
            read = reader->ReadMessageRecord3(node.index, message);
            break;
        default:
            break;
        }
    }
    if (!read) return;
    grid.AddWordHexRow(s("Message Number"), {}, message.MessageNumber);
    if (partition < 2) grid.AddHexDecRow(s("Property 1"), {}, message.Property1);
    textAddress(grid, "Address of Message Character String", *reader, message.TextPosition);
    if (partition == 0) grid.AddHexDecRow(s("Property 2"), {}, message.Property2);
}

void ShowManagementHeader32_5(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const TLN_KiwiMap* map = context.data.map.get();
    // Below "Management 32" the node is sub-record 5 of header 31; as a header of its own (index 20) it is
    // that header for both parts.
    const bool subRecord = node.parent && node.parent->kind == kManagement32;
    const int topIndex = subRecord ? kManagement32Header : int(node.index);
    partview::ManagementHeader(context, node, topIndex, HelpDocument::DataVolume);
    grid.AddSectionHeader(s("Management Header Record 32/5"));
    if (map) {
        const TLN_Management_Header top = map->GetManagementHeader(topIndex);
        managementRecordRows(grid, map,
                             subRecord && top.Address >= 0 ? map->AllDataManager().ReadManagementHeaderRecord(
                                                                 kManager21SubRecord, top.Address)
                                                           : top);
    }
    grid.AddSectionHeader(s("Management Distribution Header"), s("ALL DATA"));
    const TLN_Manager21* reader = node.held.As<TLN_Manager21>();
    if (!reader || !reader->IsValid()) return;
    Hex32(grid, s("Management Distribution Header Size"), reader->HeaderSize());
    grid.AddLatLonRow(s("Coverage Area Low-Left Corner"), false, reader->CoverageLowerLeft());
    grid.AddLatLonRow(s("Coverage Area Upper-Right Corner"), false, reader->CoverageUpperRight());
    grid.AddWordHexRow(s("Level Code"), {}, reader->LevelCode());
    Count(grid, s("Size of BitMask in bits"), reader->BitMaskBits());
    grid.AddWordRow(s("Number of Records in Main Table"), {}, reader->MainTableRecordCount());
    for (int p = 0; p < 3; ++p)
        grid.AddWordHexRow(s("Property ") + QString::number(p + 1), {}, reader->Property(p));
    Frame(grid, s("Main Table offset"), s("Main Table size"), reader->MainTablePosition(),
          reader->MainTableSize());
    Frame(grid, s("Second Table offset"), s("Second Table size"), reader->SecondTablePosition(),
          reader->SecondTableSize());
    for (int p = 3; p < 6; ++p)
        grid.AddWordHexRow(s("Property ") + QString::number(p + 1), {}, reader->Property(p));
}

void ShowLocalizationFrame(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    partview::ManagementHeader(context, node, int(node.index), HelpDocument::DataVolume);
    const auto reader = localOf(context, node);
    grid.AddSectionHeaderAt(s("Localization Data Management Frame"), {},
                            reader ? reader->Base() : node.recordOffset);
    if (!reader) return;
    Hex32(grid, s("Size of Management Header"), reader->ManagementHeaderSize());
    grid.AddLatLonRow(s("Main Map Central Point"), false, reader->MainMapCentralPoint());
    grid.AddWordRow(s("Number of Areas"), {}, reader->NumberOfAreas());
    grid.AddWordRow(s("Number of Languages"), {}, reader->NumberOfLanguages());
    grid.AddEmptyRow();
    for (int i = 0; i < reader->LanguageCount(); ++i)
        grid.AddTextRow(Text(reader->GetLanguageName(i)), {});
}

void ShowAreaRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Area Data Management Information"));
    const auto reader = localOf(context, node);
    if (!reader || node.index < 0 || node.index >= reader->AreaCount()) return;
    const TLN_Area& area = reader->GetArea(int(node.index));
    grid.AddWordRow(s("Area Code"), {}, area.AreaCode);
    grid.AddTextRow(s("Area Toponim"), Text(area.Toponym));
    grid.AddHexDecRow(s("Property 1"), {}, area.Property1);
    grid.AddLatLonRow(s("Main City of the Area"), false, area.MainCity);
    grid.AddWordHexRow(s("Property 2"), {}, area.Property2);
    grid.AddByteRow(s("Property 3"), {}, area.Property3);
    grid.AddTextRow(s("Language"), Text(area.Language));
}

void ShowManagementHeader32(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(s("Management Header Record 32/") + QString::number(node.index));
    const TLN_KiwiMap* map = context.data.map.get();
    if (!map || node.index < 0 || node.index > 15) return;
    const TLN_Management_Header top = map->GetManagementHeader(kManagement32Header);
    if (top.Address < 0) return;
    const TLN_Management_Header sub =
        map->AllDataManager().ReadManagementHeaderRecord(int(node.index), top.Address);
    Address(grid, s("Address of the Management Header"), sub.Address);
    grid.AddHexDecRow(s("Size of the Management Header"), {}, sub.Size);
    grid.SetValueCell(s("Management File Name"), Text(sub.Name));
}

void RegisterTmcAndLocalViews(NodeKinds& table) {
    table.SetView(127, ShowRdsTmcManagement);
    table.SetView(2100, ShowTmcRegion);
    table.SetView(2110, ShowTmcGroup);
    table.SetView(2111, ShowTmcGroup);
    table.SetView(2120, WithErrorRows(ShowTmcLocation));
    table.SetView(2121, WithErrorRows(ShowTmcLocation));
    for (int partition = 0; partition < 3; ++partition)
        table.SetView(kMessage + 10 * partition, ShowTmcMessage);
    table.SetView(120, ShowManagementHeader32_5);
    table.SetView(129, ShowLocalizationFrame);
    table.SetView(1600, ShowAreaRecord);
    table.SetView(180, ShowManagementHeader32);
}
