// The row blocks the ALLDATA and main map management views share, written from their tables.
#include "mainwindow/model/views/ManagementRows.h"

#include <algorithm>

#include "kiwi/display/KiwiFormat.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/ViewSupport.h"

namespace management {

QString StoredText(const std::string& value) {
    return QString::fromLatin1(value.data(), qsizetype(value.size())).trimmed();
}

QString PlainText(const std::string& value) {
    return QString::fromStdString(value);
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::shared_ptr<TLN_KiwiMap> ViewMapOf(KindContext& context, const RecordNode& node) {
    if (auto held = node.held.Shared<TLN_KiwiMap>()) return held;
    return context.data.map;
}

void PlaceHexViewer(KindContext& context, const RecordNode& node, const std::shared_ptr<TLN_Stream>& stream,
                    int64_t offset) {
    // Selection places it at the node's own offset, or at the start for a node without a position.
    if (stream == node.stream && std::max<int64_t>(0, offset) == std::max<int64_t>(0, node.recordOffset))
        return;
    context.host.ShowInHexViewer(stream, offset);
}

QString ParcelKindName(int identifier) {
    return enumText(kParcelKindNames, identifier);
}

void AddLevelDivisionRows(FieldGrid& grid, std::string_view name, const TLN_Division& division) {
    grid.AddDWordRow(QStringLiteral("Number of Latitudinal ") + Text(name),
                     QStringLiteral("Total Number = ") + QString::number(uint32_t(division.Y) * division.X),
                     division.Y);
    grid.AddDWordRow(QStringLiteral("Number of Longitudinal ") + Text(name), {}, division.X);
}

void AddFrameOffsetRow(FieldGrid& grid, const QString& name, const TLN_Frame_Reference& frame) {
    grid.AddInt64HexRow(name, QStringLiteral("Size = ") + PlainText(FormatHex64Spaced(frame.Size)),
                        frame.Position);
}

void AddLatitudeEdgeRow(FieldGrid& grid, std::string_view name, int32_t latitude) {
    grid.AddTextRow(Text(name), PlainText(FormatLatitude(latitude)), PlainText(FormatDegrees(latitude)));
}

void AddLongitudeEdgeRow(FieldGrid& grid, std::string_view name, int32_t longitude) {
    grid.AddTextRow(Text(name), PlainText(FormatLongitude(longitude)), PlainText(FormatDegrees(longitude)));
}

} // namespace management
