// The views of a level, a block set, a block and a divided parcel's management information, and the row
// providers that list a block set's blocks and a block's parcels without making thousands of rows.
#include "mainwindow/model/views/MainMapViews.h"

#include <algorithm>
#include <climits>

#include "kiwi/display/KiwiFormat.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/ManagementRows.h"
#include "mainwindow/model/views/ViewSupport.h"

using namespace management;

namespace {

void managementHelp(FieldGrid& grid) {
    grid.SetHelpLink(helpDocumentPath(HelpDocument::MainMapManagement));
}

// The level record of the node's level; null without a map or for a level the map does not have.
const TLN_Level_Management_Record* levelOf(const TLN_KiwiMap* map, const RecordNode& node) {
    return map && node.level >= 0 && node.level <= 255 ? map->Level(uint8_t(node.level)) : nullptr;
}

// A node field that numbers a record (a block set or block index), when it can be one.
bool recordNumber(int64_t value, uint32_t& number) {
    if (value < 0 || value > int64_t(UINT32_MAX)) return false;
    number = uint32_t(value);
    return true;
}

// " (" + file + ")" after a list entry whose record lies in a file of its own.
QString fileSuffix(const std::string& fileName) {
    return fileName.empty() ? QString() : QStringLiteral("   (") + StoredText(fileName) + QLatin1Char(')');
}

void frameCountRows(FieldGrid& grid, const QString& remark, uint8_t basic, uint8_t extended) {
    grid.AddWordRow(QStringLiteral("Number of Basic Data Frame Management Records"), remark, basic);
    grid.AddWordRow(QStringLiteral("Number of Extended Data Frame Management Records"), remark, extended);
}

void classCodeRows(FieldGrid& grid, const char* name, const std::vector<uint16_t>& codes) {
    grid.AddEmptyRow();
    for (size_t i = 0; i < codes.size(); ++i)
        grid.AddByteRow(QString::fromLatin1(name) + QString::number(i), {}, uint8_t(codes[i] & 0xFF));
}

// A count of list entries as virtual rows (the lists hold at most 65 536 entries).
int rowCount(int64_t entries) {
    return int(std::clamp<int64_t>(entries, 0, INT_MAX / 2));
}

} // namespace

void ShowLevelRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    const TLN_Level_Management_Record* level = levelOf(map.get(), node);
    if (level) PlaceHexViewer(context, node, map->PartStream(), level->Position);
    grid.AddSectionHeaderAt(QStringLiteral("Level Management Record ") + QString::number(node.level), {},
                            level ? level->Position : node.recordOffset);
    managementHelp(grid);
    if (!level) return;
    grid.AddByteRow(QStringLiteral("Level Code"), {}, uint8_t(level->LevelCode));
    grid.AddTextRow(QStringLiteral("Number of Regular Parcels Integrated on the Next-higher Level"),
                    QStringLiteral("%1 x %1").arg(level->IntegratedCount));
    grid.AddTextRow(QStringLiteral("Number of Regular Parcels Divided on the Next-lower Level"),
                    QStringLiteral("1/%1 x 1/%1").arg(level->DividedCount));
    frameCountRows(grid, QStringLiteral("Main Map Data Frame"), level->MainMapBasicCount,
                   level->MainMapExtendedCount);
    frameCountRows(grid, QStringLiteral("Route Guidance Data Frame"), level->RouteGuidanceBasicCount,
                   level->RouteGuidanceExtendedCount);
    for (size_t i = 0; i < kDisplayScaleFlagNames.size(); ++i)
        grid.AddDWordRow(Text(kDisplayScaleFlagNames[i]), QStringLiteral("Scale in cm"), level->Scales[i]);
    for (const LevelDivisionRows& rows : kLevelDivisionRows)
        AddLevelDivisionRows(grid, rows.name,
                             rows.pair ? level->*rows.pair : level->Divisions[size_t(rows.divisionType)]);
    grid.AddInt64HexRow(QStringLiteral("Offset to the Top of the Block Set Management Records of the Level"),
                        {}, level->BlockSetTablePosition);
    grid.AddHexDecRow(QStringLiteral("Node Record Size"), {}, level->NodeRecordSize);
    if (!level->HasClassLists) return;
    grid.AddSectionHeader(QStringLiteral("Expansion Field"));
    grid.AddWordRow(QStringLiteral("Number of Road Display Classes"), {}, level->RoadClassCount);
    grid.AddWordRow(QStringLiteral("Number of Background Display Classes"), {}, level->BackgroundClassCount);
    grid.AddWordRow(QStringLiteral("Number of Name Display Classes"), {}, level->NameClassCount);
    classCodeRows(grid, "Road Display Class Code ", level->RoadClassCodes);
    classCodeRows(grid, "Background Display Class Code ", level->BackgroundClassCodes);
    classCodeRows(grid, "Name Display Class Code ", level->NameClassCodes);
}

RowTextProvider BlockRowText(std::shared_ptr<TLN_KiwiMap> map, uint8_t level, uint32_t blockSet) {
    using Cache = RowRecordCache<TLN_Block_Management_Record>;
    auto cache = std::make_shared<Cache>([map = std::move(map), level, blockSet](int row, auto& block) {
        return map && row >= 0 && map->ReadBlock(level, blockSet, uint32_t(row), block);
    });
    return [cache](int row, int column, QString& cell) {
        const TLN_Block_Management_Record* block = cache->Get(row);
        if (!block) {
            if (column != 0) return false;
            cell = QStringLiteral("Block %1").arg(row);
            return true;
        }
        switch (column) {
        case 0:
            cell = QStringLiteral("Block %1   (Address of Parcel Management Information)").arg(row) +
                   fileSuffix(block->FileName);
            return true;
        case 1:
            cell = PlainText(FormatHex32Spaced(block->Address));
            return true;
        case 2:
            cell = QStringLiteral("Size = ") + PlainText(FormatHex64Spaced(block->Size));
            return true;
        default:
            return false;
        }
    };
}

RowTextProvider ParcelRowText(std::shared_ptr<TLN_KiwiMap> map, uint8_t level,
                              std::shared_ptr<TLN_Stream> stream, int64_t position) {
    using Cache = RowRecordCache<TLN_MM_Parcel_Managenent_Record>;
    auto cache = std::make_shared<Cache>(
        [map = std::move(map), level, stream = std::move(stream), position](int row, auto& parcel) {
            return map && row >= 0 && map->ReadParcel(stream, level, uint32_t(row), parcel, false, position);
        });
    return [cache](int row, int column, QString& cell) {
        const TLN_MM_Parcel_Managenent_Record* parcel = cache->Get(row);
        if (!parcel) {
            if (column != 0) return false;
            cell = QStringLiteral("Parcel %1").arg(row);
            return true;
        }
        switch (column) {
        case 0:
            cell = QStringLiteral("Parcel %1  (Address of Main Map Data Frame)").arg(row) +
                   fileSuffix(parcel->FileName);
            return true;
        case 1:
            cell = PlainText(FormatHex32Spaced(parcel->Address));
            return true;
        case 2:
            cell = QStringLiteral("Size = ") + PlainText(FormatHex64Spaced(parcel->Size));
            return true;
        default:
            return false;
        }
    };
}

void ShowBlockSetRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    const TLN_Level_Management_Record* level = levelOf(map.get(), node);
    uint32_t number = 0;
    TLN_BlockSet_Management_Record set;
    // A record without a block table still reads: its fields are shown, its blocks are none.
    if (level && recordNumber(node.index, number)) map->ReadBlockSet(uint8_t(node.level), number, set);
    const bool read = set.Position >= 0;
    if (read) PlaceHexViewer(context, node, map->PartStream(), set.Position);
    grid.AddSectionHeaderAt(QStringLiteral("Block Set Management Record ") + QString::number(node.index), {},
                            read ? set.Position : node.recordOffset);
    managementHelp(grid);
    if (!read) return;
    grid.AddByteRow(QStringLiteral("Level Code"), {}, set.LevelCode);
    grid.AddWordRow(QStringLiteral("Block Set Number"), {}, set.BlockSetNumber);
    grid.AddInt64HexRow(QStringLiteral("Offset to Block Management Table"), {}, set.BlockTablePosition);
    grid.AddHexDecRow(QStringLiteral("Size of Block Management Table"), {}, set.BlockTableSize);
    grid.AddSectionHeader(QStringLiteral("Block Management Table"));
    grid.SetVirtualRows(rowCount(level->BlockCount()), BlockRowText(map, uint8_t(node.level), number));
}

void ShowBlockRecord(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    const TLN_Level_Management_Record* level = levelOf(map.get(), node);
    uint32_t blockSet = 0;
    uint32_t number = 0;
    TLN_Block_Management_Record block;
    bool found = false;
    if (level && recordNumber(node.blockSetIndex, blockSet) && recordNumber(node.index, number))
        found = map->ReadBlock(uint8_t(node.level), blockSet, number, block);
    const bool read = block.Position >= 0;
    if (read) PlaceHexViewer(context, node, map->PartStream(), block.Position);
    grid.AddSectionHeaderAt(QStringLiteral("Block Management Record ") + QString::number(node.index), {},
                            read ? block.Position : node.recordOffset);
    managementHelp(grid);
    if (!read) return;
    grid.AddInt64HexRow(QStringLiteral("Address of Parcel Management Information"), {}, block.Address);
    grid.AddHexDecRow(QStringLiteral("Size of Parcel Management Information"), {}, block.Size);
    if (map->FileNameDesignation())
        grid.AddTextRow(QStringLiteral("File name of Parcel Management Information"),
                        StoredText(block.FileName));
    const auto levelNumber = uint8_t(node.level);
    TLN_Parcel_Management_Info info;
    if (!found || !map->ReadParcelManagement(block.Stream, levelNumber, info, block.Address)) return;
    grid.AddSectionHeaderAt(QStringLiteral("Parcel Management Information "),
                            QStringLiteral("Main Map Data Management "), block.Address);
    grid.AddByteRow(QStringLiteral("Division Type Number"), {}, info.DivisionType);
    grid.AddByteRow(QStringLiteral("List Type Number"), {}, info.ListType);
    if (!info.FileName.empty())
        grid.SetValueCell(QStringLiteral("File Name of Parcel Management Information"),
                          StoredText(info.FileName));
    if (level->RouteGuidanceBasicCount + level->RouteGuidanceExtendedCount > 0)
        grid.AddInt64HexRow(QStringLiteral("Offset to Route Guidance Parcel Management List"), {},
                            info.RouteGuidanceListPosition);
    grid.SetVirtualRows(rowCount(info.StoredRecordCount),
                        ParcelRowText(map, levelNumber, block.Stream, block.Address));
}

void ShowParcelManagement(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(QStringLiteral("Parcel Management Information "), QStringLiteral("Main Map Data"),
                            node.recordOffset);
    managementHelp(grid);
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    TLN_Parcel_Management_Info info;
    if (!levelOf(map.get(), node) ||
        !map->ReadParcelManagement(node.stream, uint8_t(node.level), info, node.recordOffset))
        return;
    grid.AddByteRow(QStringLiteral("Division Type Number"), {}, info.DivisionType);
    grid.AddByteRow(QStringLiteral("List Type Number"), {}, info.ListType);
    grid.SetValueCell(QStringLiteral("File Name of Parcel Management Information"),
                      StoredText(info.FileName));
    // The word as stored: an offset in words from the information (all ones for none).
    const int64_t words =
        info.RouteGuidanceListPosition < 0 ? 0xFFFF : (info.RouteGuidanceListPosition - info.Position) / 2;
    grid.AddWordHexRow(QStringLiteral("Offset to Route Guidance Parcel Management List"), {},
                       uint16_t(words));
}

void RegisterMainMapManagementViews(NodeKinds& table) {
    // A record or frame the file cuts short is an "(Error)" node: its view ends with why.
    table.SetView(9, WithErrorRows(ShowLevelRecord));
    table.SetView(10, WithErrorRows(ShowBlockSetRecord));
    table.SetView(11, WithErrorRows(ShowBlockRecord));
    table.SetView(12, WithErrorRows(ShowParcelManagement));
    table.SetView(14, WithErrorRows(ShowMainMapHeader));
}
