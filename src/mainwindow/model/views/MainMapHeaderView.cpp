// The view of a parcel's main map distribution header: where the parcel lies, what kind of parcel it is,
// its route guidance frame and route planning regions, its data frames and its eight neighbours.
#include "kiwi/core/FileNames.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/MainMapViews.h"
#include "mainwindow/model/views/ManagementRows.h"
#include "mainwindow/model/views/ViewSupport.h"

using namespace management;

namespace {

void routeGuidanceRows(FieldGrid& grid, const TLN_MM_Distribution_Header& header) {
    grid.AddInt64HexRow(QStringLiteral("Offset to Route Guidance Data Frame"), {},
                        header.RouteGuidancePosition);
    grid.AddHexDecRow(QStringLiteral("Size of Route Guidance Data Frame"), {}, header.RouteGuidanceSize);
    grid.AddWordRow(QStringLiteral("Number of Regions used for Route Planning Data"), {}, header.RegionCount);
    grid.AddEmptyRow();
    for (const TLN_Route_Region& region : header.Regions) {
        grid.AddWordRow(QStringLiteral("Level Code for Route Planning Data"), {}, region.LevelCode);
        grid.AddWordRow(QStringLiteral("Region Number for Route Planning Data"), {}, region.RegionNumber);
        grid.AddEmptyRow();
    }
}

void frameRows(FieldGrid& grid, const TLN_MM_Distribution_Header& header) {
    grid.AddSectionHeader(QStringLiteral("Basic/Extended Data Frame Management Records"));
    for (size_t i = 0; i < kBasicFrameOffsetNames.size() && i < header.Basic.size(); ++i)
        AddFrameOffsetRow(grid, Text(kBasicFrameOffsetNames[i]), header.Basic[i]);
    for (size_t e = 0; e < header.Extended.size(); ++e)
        if (header.Extended[e].Size != 0)
            AddFrameOffsetRow(grid, QStringLiteral("Offset to Extended Data Frame %1").arg(e),
                              header.Extended[e]);
}

void adjacentFrameRows(FieldGrid& grid, const QString& remark, int64_t address, uint32_t size) {
    grid.AddInt64HexRow(QStringLiteral("Offset to Adjecent Main Map Data Frame "), remark, address);
    grid.AddHexDecRow(QStringLiteral("Size of Adjecent Main Map Data Frame"), {}, size);
    grid.AddEmptyRow();
}

void adjacentRows(FieldGrid& grid, const TLN_MM_Distribution_Header& header) {
    grid.AddSectionHeader(QStringLiteral("Adjacent Parcel Address Information"));
    for (size_t d = 0; d < header.Adjacent.size(); ++d) {
        const TLN_Adjacent_Parcel& adjacent = header.Adjacent[d];
        const QString direction = Text(kAdjacentDirections[d]);
        // A neighbour without a size of its own is divided: its sub-parcels are listed instead.
        if (adjacent.Size == 0 && adjacent.Address > 0) {
            for (size_t k = 0; k < adjacent.List.size(); ++k) {
                grid.SetValueCell(QStringLiteral("Adjacent Divided Parcel ") + direction + QLatin1Char(' ') +
                                      QString::number(k),
                                  {});
                adjacentFrameRows(grid, QStringLiteral("Divided Parcel"), adjacent.List[k].Position,
                                  adjacent.List[k].Size);
            }
            continue;
        }
        grid.SetValueCell(QStringLiteral("Adjacent Parcel ") + direction, {});
        adjacentFrameRows(grid, {}, adjacent.Address, adjacent.Size);
    }
}

} // namespace

void ShowMainMapHeader(KindContext& context, RecordNode& node) {
    FieldGrid& grid = context.grid;
    const std::shared_ptr<TLN_KiwiMap> map = ViewMapOf(context, node);
    TLN_MM_Distribution_Header header;
    const bool found =
        map && node.level >= 0 && node.level <= 255 &&
        map->ReadMainMapHeader(node.stream, uint8_t(node.level), header, true, node.recordOffset);
    const QString kind = found ? ParcelKindName(header.Identifier) : QString();
    grid.AddSectionHeaderAt(QStringLiteral("Main Map Distribution Header"), kind, node.recordOffset);
    grid.SetHelpLink(helpDocumentPath(HelpDocument::MainMapDistribution));
    if (!found) return;
    if (node.frameSize > 0)
        grid.AddHexDecRow(QStringLiteral("Frame Size (File Name of Main Map Data Frame)"),
                          PlainText(fileNamePart(node.stream->FileName())), uint32_t(node.frameSize));
    grid.AddHexDecRow(QStringLiteral("Header Size"), {}, header.HeaderSize);
    grid.AddLatLonRow(QStringLiteral("Lower Left Reference Parcel ID Number"), false,
                      TLN_Point{header.ReferenceX, header.ReferenceY});
    grid.AddWordRow(QStringLiteral("Lower Left Reference Parcel Location Code Y-axis"), {},
                    header.LocationCodeY);
    grid.AddWordRow(QStringLiteral("Lower Left Reference Parcel Location Code X-axis"), {},
                    header.LocationCodeX);

    grid.AddByteRow(QStringLiteral("Divided/Integrated Identifier"), kind, header.Identifier);
    grid.AddYesNoRow(QStringLiteral("Adjacent Parcel Address Information Flag"), {}, header.AdjacentFlag);
    grid.AddByteRow(QStringLiteral("Type Number given by the Number of Managed Parcels"), {},
                    header.TypeNumber);
    grid.AddWordRow(QStringLiteral("Number of Divided/Inregrated Parcels in Latitudinal Direction"), {},
                    header.LatitudinalNumber);
    grid.AddWordRow(QStringLiteral("Number of Divided/Inregrated Parcels in Longitudinal Direction"), {},
                    header.LongitudinalNumber);

    grid.AddHexDecRow(QStringLiteral("Practical Management Code"),
                      QStringLiteral("Area Code = ") + QString::number(header.AreaCodeWord >> 24),
                      header.AreaCodeWord);
    grid.AddDWordRow(QStringLiteral("Data Source Flag (Scale)"), {}, header.Scale);
    // The reader gives the lengths in metres already (a stored 0x8003 is 300 m): shown as they are, not a
    // hundredth of them under the same "(meter)".
    grid.AddFloatRow(QStringLiteral("Real-length Data in Normalized Longitudinal(X-axis) Direction"),
                     QStringLiteral("(meter)"), float(header.RealLengthX));
    grid.AddFloatRow(QStringLiteral("Real-length Data in Normalized Latitudinal(Y-axis) Direction"),
                     QStringLiteral("(meter)"), float(header.RealLengthY));
    if (header.GeomagneticStrength != 0) {
        grid.AddWordRow(QStringLiteral("Geomagnetic Strength Data"), QStringLiteral("100 (nT)"),
                        header.GeomagneticStrength);
        grid.AddFloatRow(QStringLiteral("Geomagnetic Declination Data"), QStringLiteral("0.1 (degree)"),
                         float(header.GeomagneticDeclination));
    }
    routeGuidanceRows(grid, header);
    frameRows(grid, header);
    if (header.AdjacentFlag) adjacentRows(grid, header);
    if (header.TablesInsideHeader)
        grid.AddSectionHeader(QStringLiteral("Extension Filed"), QStringLiteral("Sorry, not implemented!"));
}
