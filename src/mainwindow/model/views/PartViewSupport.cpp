// The shared rows of the data parts' record views.
#include "mainwindow/model/views/PartViewSupport.h"

#include "kiwi/core/RussianFailureTexts.h"
#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/views/ErrorRows.h"
#include "mainwindow/model/views/ManagementViews.h"

namespace partview {

QString Text(const std::string& value) {
    return QString::fromStdString(value);
}

void Help(FieldGrid& grid, HelpDocument document) {
    grid.SetHelpLink(helpDocumentPath(document));
}

void ManagementHeader(KindContext& context, const RecordNode& node, int headerIndex, HelpDocument document) {
    // The management view reads header headerIndex of the node's map: a stand-in node names it (a
    // sub-record node such as "Management 32/5" has another index of its own).
    RecordNode header;
    header.kind = 100 + headerIndex;
    header.index = headerIndex;
    header.caption = node.caption;
    header.level = node.level;
    header.stream = node.stream;
    header.recordOffset = node.recordOffset;
    header.fileName = node.fileName;
    header.held = node.held;
    header.error = node.error;
    AddManagementHeaderRows(context, header, document);
}

void ErrorRow(FieldGrid& grid, const RecordNode& node) {
    AddErrorRows(grid, node);
}

namespace {

void reasonRows(FieldGrid& grid, const RecordNode& node, const QString& reason) {
    const QStringList shown = node.error.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : reason.split(u'\n', Qt::SkipEmptyParts))
        if (!shown.contains(line)) grid.AddTextRow(QStringLiteral("Ошибка"), {}, line);
}

} // namespace

void ReasonRows(FieldGrid& grid, const RecordNode& node, const std::string& reason) {
    reasonRows(grid, node, QString::fromStdString(reason));
}

void ReasonRows(FieldGrid& grid, const RecordNode& node, const Failure& reason) {
    if (reason) reasonRows(grid, node, RussianReason(reason));
}

void Address(FieldGrid& grid, const QString& name, int64_t position, const QString& remark) {
    grid.AddInt64HexRow(name, remark, position);
}

void Frame(FieldGrid& grid, const QString& addressName, const QString& sizeName, int64_t position,
           int64_t size) {
    Address(grid, addressName, position);
    Hex32(grid, sizeName, size);
}

void Hex32(FieldGrid& grid, const QString& name, int64_t value, const QString& remark) {
    grid.AddHexDecRow(name, remark, uint32_t(value));
}

void Count(FieldGrid& grid, const QString& name, int64_t value, const QString& remark) {
    grid.AddDWordRow(name, remark, uint32_t(value));
}

} // namespace partview
