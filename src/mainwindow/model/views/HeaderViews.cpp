// The record views of LOADING.KWI, the CMP list and COVERAGE.BIN: what each record of those small files
// holds, row by row, with the picture of a coverage item shown through the host.
#include "mainwindow/model/views/HeaderViews.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/PartViewSupport.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>

#include <QImage>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/Loading.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/ViewSupport.h"

namespace {

QString text(const std::string& value) {
    return QString::fromLatin1(value.data(), qsizetype(value.size())).trimmed();
}

QString qs(const std::string& value) {
    return QString::fromStdString(value);
}

void loadingHelp(FieldGrid& grid) {
    grid.SetHelpLink(helpDocumentPath(HelpDocument::Loading));
}

const TLN_System_Identification_Info* systemAt(const TLN_Loading& loading, int64_t index) {
    const auto& systems = loading.Systems();
    return index >= 0 && size_t(index) < systems.size() ? &systems[size_t(index)] : nullptr;
}

constexpr std::array<std::string_view, 4> kModuleCategories{"Initial program", "Program", "Library", "Data"};

// The list a CMP node reads through: its own, else the one the window holds.
TLN_CompressionManager* compressionOf(KindContext& context, const RecordNode& node,
                                      std::shared_ptr<TLN_CompressionManager>* shared = nullptr) {
    std::shared_ptr<TLN_CompressionManager> list = node.held.Shared<TLN_CompressionManager>();
    if (!list) list = context.data.compression;
    if (shared) *shared = list;
    return list.get();
}

// The entry of a kind 5 node: read at its offset; a "13.CMP" list has no such records, so its entry is
// taken by index (and must be the one at the node's offset).
bool readEntry(TLN_CompressionManager& list, const RecordNode& node, TLN_Compression_Record& entry) {
    if (list.Kind() != CmpListKind::List13) return list.ReadEntry(node.recordOffset, entry) >= 0;
    const std::vector<TLN_Compression_Record> entries = list.Entries();
    if (node.index < 0 || size_t(node.index) >= entries.size()) return false;
    entry = entries[size_t(node.index)];
    return entry.entryPosition == node.recordOffset;
}

} // namespace

void ShowLoadingFrame(KindContext& context, RecordNode& node) {
    const TLN_Loading* loading = node.held.As<TLN_Loading>();
    if (!loading || !loading->IsValid()) {
        partview::ErrorRow(context.grid, node);
        return;
    }
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(QStringLiteral("Loading Module Management Frame"),
                          qs(folderPart(loading->GetFileName())));
    loadingHelp(grid);
    grid.AddDWordRow(QStringLiteral("Number of Accommodated Systems"), {}, uint32_t(loading->SystemCount()));
    partview::ErrorRow(grid, node);
}

void ShowSystemInfo(KindContext& context, RecordNode& node) {
    const TLN_Loading* loading = node.held.As<TLN_Loading>();
    const TLN_System_Identification_Info* system = loading ? systemAt(*loading, node.index) : nullptr;
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(QStringLiteral("System Identification Information"),
                          system ? text(system->MakerName) : QString());
    loadingHelp(grid);
    if (!system) return;
    const TLN_PointRecord& point = system->Point;
    grid.AddLatLonRow(QStringLiteral("Latitude and Longitude of the Maker''s Office Location"), true,
                      TLN_Point{point.X, point.Y});
    grid.AddWordRow(QStringLiteral("Floor of The Makers''s Office"), {}, point.ByteValue);
    grid.AddDateRow(QStringLiteral("Date of Maker Identification"), {}, point.WordValue);
    grid.AddEmptyRow();
    grid.AddWordRow(QStringLiteral("Number of Accommodated Modules"), {}, system->UnitCount);
}

void ShowModuleInfo(KindContext& context, RecordNode& node) {
    const TLN_Loading* loading = node.held.As<TLN_Loading>();
    const TLN_System_Identification_Info* system =
        loading && node.parent ? systemAt(*loading, node.parent->index) : nullptr;
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(QStringLiteral("Module Information"));
    loadingHelp(grid);
    if (!system || node.index < 0 || size_t(node.index) >= system->Units.size()) return;
    const TLN_Unit_Record_AISIN& unit = system->Units[size_t(node.index)];
    // The module record keeps its flags in the low byte of its first word and the day it is switched on
    // in its second; it stores no day it is switched off.
    const uint8_t flags = uint8_t(unit.ModuleWord1 & 0xFF);
    grid.AddTextRow(QStringLiteral("Module Name"), text(unit.ModuleName));
    grid.AddTextRow(QStringLiteral("Module Title"), text(unit.UnitName));
    grid.AddTextRow(QStringLiteral("Module Version Number"), text(unit.UnitIdentifier));
    grid.AddYesNoRow(QStringLiteral("Diagnostic service module"), {}, (flags & 0x50) != 0);
    grid.AddYesNoRow(QStringLiteral("Test module"), {}, (flags & 0x28) != 0);
    grid.AddTextRow(QStringLiteral("Module Category"), enumText(kModuleCategories, flags & 0x03));
    grid.AddDateRow(QStringLiteral("Date when the function of the module ON"), {}, unit.ModuleWord2);
    grid.AddDateRow(QStringLiteral("Date when the function of the module OFF"), {}, 0);
    grid.AddInt64HexRow(QStringLiteral("Address of the Module Code"), {}, unit.ModuleAddress);
    grid.AddHexDecRow(QStringLiteral("Size of the Module Code"), {}, unit.ModuleSize);
    const int64_t files = unit.StoredFileCount >= 0 ? unit.StoredFileCount : int64_t(unit.Files.size());
    grid.AddDWordRow(QStringLiteral("Number of Units in module"), {}, uint32_t(files));
    partview::ErrorRow(grid, node);
}

void ShowUnitInfo(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(QStringLiteral("Unit Information"), {}, node.recordOffset);
    const TLN_Loading* loading = node.held.As<TLN_Loading>();
    TLN_Unit_Identification unit;
    if (!loading || !loading->ReadIdentification(node.recordOffset, unit)) return;
    grid.AddTextRow(QStringLiteral("Unit Name"), text(unit.Name));
    grid.AddTextRow(QStringLiteral("Unit Version"), text(unit.Version));
    grid.AddTextRow(QStringLiteral("Date"), text(unit.Date));
    grid.AddTextRow(QStringLiteral("Copyright"), text(unit.Copyright));
    grid.AddInt64HexRow(QStringLiteral("RAM Memory Offset of the Unit"), {}, int64_t(unit.RamOffset));
    grid.AddHexDecRow(QStringLiteral("Unit Size"), {}, unit.Size);
    grid.AddHexDecRow(QStringLiteral("Unit Checksum"), {}, unit.Checksum);
}

void ShowCompressionFrame(KindContext& context, RecordNode& node) {
    const TLN_CompressionManager* list = compressionOf(context, node);
    if (!list || (!list->IsValid() && node.error.isEmpty())) return;
    context.grid.AddSectionHeader(QStringLiteral("Compression Management Frame"),
                                  qs(fileNamePart(list->ListFileName())));
    if (list->IsValid())
        context.grid.AddDWordRow(QStringLiteral("Number of Compressed Files"), {}, list->EntryCount());
    partview::ErrorRow(context.grid, node);
}

RowTextProvider PackedBlockRowText(std::shared_ptr<TLN_CompressionManager> list,
                                   const TLN_Compression_Record& entry) {
    return [list = std::move(list), entry](int row, int column, QString& cell) {
        if (!list || row < 0) return false;
        switch (column) {
        case 0:
            cell = QStringLiteral("Address of Packed Block %1").arg(row);
            return true;
        case 1:
        case 2: {
            TLN_Block_Info block;
            list->GetBlockInfo(entry, row, block);
            cell = column == 1 ? qs(FormatHex32Spaced(block.offset))
                               : QStringLiteral("Size = ") + qs(FormatHex64Spaced(block.size));
            return true;
        }
        default:
            return false;
        }
    };
}

void ShowCompressionInfo(KindContext& context, RecordNode& node) {
    std::shared_ptr<TLN_CompressionManager> shared;
    TLN_CompressionManager* list = compressionOf(context, node, &shared);
    TLN_Compression_Record entry;
    if (!list || !readEntry(*list, node, entry)) {
        context.grid.AddSectionHeaderAt(QStringLiteral("Compression Information"), node.caption,
                                        node.recordOffset);
        return;
    }
    FieldGrid& grid = context.grid;
    grid.AddSectionHeaderAt(QStringLiteral("Compression Information"), qs(entry.name), node.recordOffset);
    grid.AddInt64HexRow(QStringLiteral("Address of the Compression Management Information"), {},
                        entry.tablePosition);
    const uint16_t type = entry.compressionType;
    grid.AddTextRow(
        QStringLiteral("Compression Type"), QStringLiteral("%1.%2").arg(type & 0xFF).arg(type >> 8),
        QStringLiteral("(") + qs(CompressionTypeName(type)) + QStringLiteral(") ") + QString::number(type));
    grid.AddWordRow(QStringLiteral("Length of the filename"), {}, entry.nameLength);
    if (entry.tablePosition > 0 && type != 0) {
        grid.AddTextRow(QStringLiteral("Signature"), qs(entry.tag));
        grid.AddDWordRow(QStringLiteral("Number of Packed Blocks"), {}, entry.blockCount);
        grid.AddHexDecRow(QStringLiteral("Size of Unpacked File"), {}, uint32_t(entry.fileSize));
    }
    if (type == 1 || type == 2) {
        grid.AddSectionHeader(QStringLiteral("A Sequence of Packed Block Records"));
        // A damaged block table lists nothing rather than billions of rows read from garbage.
        if (entry.tableValid && entry.blockCount > 0)
            grid.SetVirtualRows(int(std::min<uint32_t>(entry.blockCount, INT_MAX / 2)),
                                PackedBlockRowText(shared, entry));
    }
}

void ShowCoverageInfo(KindContext& context, RecordNode& node) {
    context.grid.AddSectionHeader(QStringLiteral("Coverage Information"), QStringLiteral("COVERAGE.BIN"));
    const TLN_Coverage* coverage = node.held.As<TLN_Coverage>();
    if (coverage && coverage->IsValid())
        context.grid.AddDWordRow(QStringLiteral("Number of Picture Items"), {},
                                 uint32_t(coverage->StoredCount()));
    partview::ErrorRow(context.grid, node);
}

void ShowCoverageItem(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    grid.AddSectionHeader(QStringLiteral("Coverage Information Item"), node.caption);
    const TLN_Coverage* coverage = node.held.As<TLN_Coverage>();
    QImage picture;
    if (coverage && node.index >= 0 && node.index < coverage->Count()) {
        const TLN_CoverageBMP item = coverage->GetItem(int(node.index));
        if (coverage->LoadPicture(item.Name, picture) && !picture.isNull()) {
            grid.AddWordHexRow(QStringLiteral("Picture Type Code"), {}, item.Code);
            grid.AddDWordRow(QStringLiteral("Picture Heigth"), {}, uint32_t(picture.height()));
            grid.AddDWordRow(QStringLiteral("Picture Width"), {}, uint32_t(picture.width()));
            context.host.ShowPicture(picture);
            return;
        }
    }
    grid.AddTextRow({}, QStringLiteral("File doesnt exist or is unreadable"));
    context.host.Beep();
}

void RegisterHeaderViews(NodeKinds& table) {
    table.SetView(1, ShowLoadingFrame);
    table.SetView(2, ShowSystemInfo);
    table.SetView(3, ShowModuleInfo);
    table.SetView(2000, WithErrorRows(ShowUnitInfo));
    table.SetView(4, ShowCompressionFrame);
    table.SetView(5, WithErrorRows(ShowCompressionInfo));
    table.SetView(1500, ShowCoverageInfo);
    table.SetView(1510, ShowCoverageItem);
}
