// The views of the data volume, the management header records and the main map data management header,
// row by row in the order of their fields.
#include "mainwindow/model/views/ManagementViews.h"

#include <string_view>
#include <vector>

#include "kiwi/core/FileNames.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/kinds/ManagementPart.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/MainMapViews.h"
#include "mainwindow/model/views/ManagementRows.h"

using namespace management;

namespace {

// The kinds of the management header records (64 of them, and the codes reserved up to 170).
constexpr int kFirstManagementKind = 100;
constexpr int kLastManagementKind = 170;

void identificationRows(FieldGrid& grid, const IdentificationRows& names,
                        const TLN_NamedPointRecord& record) {
    grid.SetValueCell(Text(names.heading), {});
    grid.AddLatLonRow(Text(names.position), names.withMaker, TLN_Point{record.X, record.Y});
    grid.AddWordRow(Text(names.floor), {}, record.ByteValue);
    grid.AddDateRow(Text(names.date), {}, record.WordValue);
    grid.AddTextRow(Text(names.text), StoredText(record.Name), QStringLiteral("Defined by maker"));
}

void backgroundDefaultRow(FieldGrid& grid, const char* name, int bit, uint16_t defaults) {
    const auto value = uint16_t((defaults >> bit) & 1);
    grid.AddWordHexRow(QString::fromLatin1(name), enumText(kBackgroundDefaults, value), value);
}

// The level lists of the data volume: one block per data type, its levels numbered from 0 each time.
void levelManagementRows(FieldGrid& grid, const TLN_Data_Volume& volume) {
    grid.AddSectionHeader(QStringLiteral("Level Management Information"));
    grid.AddDWordRow(QStringLiteral("Number of Data Types"),
                     QStringLiteral("Number of Data Types described below"), uint32_t(volume.DataTypeCount));
    for (size_t t = 0; t < volume.LevelInformation.size(); ++t) {
        const TLN_Data_Level_Information& type = volume.LevelInformation[t];
        const QString typeName = enumText(kDataTypeNames, int64_t(t));
        grid.AddSectionHeader(QStringLiteral("< Level Management Header >"));
        grid.AddByteRow(QStringLiteral("Data Type"), typeName, type.DataType);
        grid.AddWordRow(QStringLiteral("Total Number of Levels"), {}, type.LevelCount);
        for (size_t j = 0; j < type.Levels.size(); ++j) {
            grid.AddEmptyRow();
            grid.SetValueCell(typeName + QStringLiteral("  Level ") + QString::number(j), {});
            grid.AddByteRow(QStringLiteral("Level Code"), {}, type.Levels[j].LevelCode);
            grid.AddWordRow(QStringLiteral("Total Number of Block Management Records"), {},
                            type.Levels[j].BlockRecordCount);
        }
    }
}

} // namespace

void ShowDataVolume(KindContext& context, RecordNode& node) {
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    if (!map || !map->IsValid()) return;
    const TLN_Data_Volume& volume = map->AllDataManager().DataVolume();
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(QStringLiteral("Data Volume"), PlainText(fileNamePart(map->Path())));
    grid.SetHelpLink(helpDocumentPath(HelpDocument::DataVolume));
    const TLN_NamedPointRecord* records[3] = {&volume.Maker, &volume.DataAuthor, &volume.System};
    for (size_t i = 0; i < kIdentificationRows.size(); ++i) {
        if (i > 0) grid.AddEmptyRow();
        identificationRows(grid, kIdentificationRows[i], *records[i]);
    }
    grid.AddEmptyRow();
    grid.AddTextRow(QStringLiteral("Format Version Number"), StoredText(volume.FormatVersionNumber));
    grid.AddTextRow(QStringLiteral("Data Version Number"), StoredText(volume.DataVersionNumber),
                    QStringLiteral("year/month/day/serial number"));
    grid.AddTextRow(QStringLiteral("Disk Title"), StoredText(volume.DiskTitle));
    grid.AddWordHexRow(QStringLiteral("Data Contents"), {}, volume.DataContents);
    grid.AddTextRow(QStringLiteral("Media Version Number"), StoredText(volume.MediaVersionNumber));
    grid.AddLatLonRow(QStringLiteral("Lower Left Corner of the Coverage Area"), false,
                      volume.CoverageLowerLeft);
    grid.AddLatLonRow(QStringLiteral("Upper Right Corner of the Coverage Area"), false,
                      volume.CoverageUpperRight);
    grid.AddWordRow(QStringLiteral("Logical Sector Size"), {}, volume.LogicalSectorSize);
    grid.AddWordRow(QStringLiteral("Sector Size"), {}, volume.SectorSize);
    backgroundDefaultRow(grid, "Background data Default (with Map Data)", 15, volume.BackgroundDataDefaults);
    backgroundDefaultRow(grid, "Background data Default (No Map Data)", 14, volume.BackgroundDataDefaults);
    levelManagementRows(grid, volume);
    AddErrorRows(grid, node);
}

void AddManagementHeaderRows(KindContext& context, RecordNode& node, HelpDocument document) {
    if (node.kind < kFirstManagementKind || node.kind > kLastManagementKind) return;
    const int64_t index = node.index;
    FieldGrid& grid = context.grid;
    const QString part = index >= 0 && index < 7 ? QString::fromLatin1(kManagementPartNames[index]) +
                                                       QStringLiteral(" Data Management")
                                                 : QString();
    grid.AddSectionHeader(QStringLiteral("Management Header Record ") + QString::number(index + 1), part);
    grid.SetHelpLink(helpDocumentPath(document));
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    if (!map || index < 0 || index >= kManagementHeaderCount) return;
    // A record the file cuts short has no values to show, only why.
    if (!map->AllDataManager().ManagementHeaderError(int(index)).empty()) {
        AddErrorRows(grid, node);
        return;
    }
    const TLN_Management_Header header = map->GetManagementHeader(int(index));
    grid.AddInt64HexRow(QStringLiteral("Address of the Management Header"), {}, header.Address);
    grid.AddHexDecRow(QStringLiteral("Size of the Management Header"), {}, header.Size);
    grid.SetValueCell(QStringLiteral("Management File Name"), StoredText(header.Name));
    if (ManagementAddressBeyondEnd(*map, header))
        grid.AddSubHeader(QStringLiteral("Management Address exceeds the file size !!!"));
    // Why the node is an "(Error)" one, in the wide remark column.
    if (!node.error.isEmpty()) grid.AddTextRow(QStringLiteral("Ошибка"), {}, node.error);
}

void ShowManagementHeader(KindContext& context, RecordNode& node) {
    AddManagementHeaderRows(context, node, HelpDocument::DataVolume);
}

void ShowMainMapDataManagement(KindContext& context, RecordNode& node) {
    AddManagementHeaderRows(context, node, HelpDocument::MainMapManagement);
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    // A map without a main map part has no header to show.
    if (!map || !map->PartStream()) return;
    PlaceHexViewer(context, node, map->PartStream(), map->PartBase());
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(QStringLiteral("Parcel Data Management Distribution Header"),
                            QStringLiteral("Main Map Data Management"), map->PartBase());
    grid.AddHexDecRow(QStringLiteral("Header Size"), {}, map->HeaderSize());
    grid.AddYesNoRow(QStringLiteral("File Name Designation"), {}, map->FileNameDesignation());
    AddLatitudeEdgeRow(grid, "Latitude of Upper Edge of Coverage Area", map->CoverageNorth());
    AddLatitudeEdgeRow(grid, "Latitude of Lower Edge of Coverage Area", map->CoverageSouth());
    AddLongitudeEdgeRow(grid, "Longitude of Left Edge of Coverage Area", map->CoverageWest());
    AddLongitudeEdgeRow(grid, "Longitude of Right Edge of Coverage Area", map->CoverageEast());
    grid.AddHexDecRow(QStringLiteral("Size of Level Management Record"), {}, map->LevelRecordSize());
    grid.AddHexDecRow(QStringLiteral("Size of Block Set Management Record"), {}, map->BlockSetRecordSize());
    grid.AddHexDecRow(QStringLiteral("Size of Block Management Record"), {}, map->BlockRecordSize());
    grid.AddWordRow(QStringLiteral("Total Number of Level Management Records "), {}, map->LevelRecordCount());
    grid.AddWordRow(QStringLiteral("Total Number of Block Set Management Records"), {},
                    map->BlockSetRecordCount());
    // Levels to show: the node opens (it is expandable from the start; this only keeps it so).
    if (!node.built && map->LevelCount() > 0) node.hasChildren = true;
}

void RegisterManagementViews(NodeKinds& table) {
    table.SetView(7, ShowDataVolume);
    // Every management kind that has no view of its own shows its header record.
    std::vector<int> plain;
    for (const auto& [kind, info] : table.Rows())
        if (kind >= kFirstManagementKind && kind <= kLastManagementKind && !info.view &&
            std::string_view(info.viewName) == "ShowManagementHeader")
            plain.push_back(kind);
    for (int kind : plain)
        table.SetView(kind, ShowManagementHeader);
    table.SetView(100, ShowMainMapDataManagement);
    RegisterMainMapManagementViews(table);
}
