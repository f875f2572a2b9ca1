// Writes the field grid as text lines for golden files and the probe.
#include "support/model/GridDump.h"

#include "mainwindow/model/FieldGrid.h"

namespace {

QString escaped(QString text) {
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"));
}

QString cells(const FieldGridModel& model, int row, RowTag tag) {
    return QString::number(int(tag)) + QLatin1Char('|') + escaped(model.CellText(row, 0)) + QLatin1Char('|') +
           escaped(model.CellText(row, 1)) + QLatin1Char('|') + escaped(model.CellText(row, 2));
}

QString payload(const FieldGridModel& model, const FieldRow& row) {
    if (row.tag == RowTag::ColorSwatch)
        return QStringLiteral("|colour=") +
               QStringLiteral("%1").arg(row.colour, 8, 16, QLatin1Char('0')).toUpper();
    if (row.tag == RowTag::Image) {
        const QImage* image = model.Image(row.imageIndex);
        const QString size = image && !image->isNull()
                                 ? QStringLiteral("%1x%2").arg(image->width()).arg(image->height())
                                 : QStringLiteral("missing");
        return QStringLiteral("|image=%1 ").arg(row.imageIndex) + size;
    }
    return {};
}

} // namespace

QString DumpGrid(const FieldGridModel& model, int virtualLimit) {
    QString out;
    const int rows = model.rowCount();
    int virtualWritten = 0;
    for (int row = 0; row < rows; ++row) {
        if (model.IsVirtualRow(row)) {
            if (virtualWritten == virtualLimit) {
                const int rest = model.FirstVirtualRow() + model.VirtualRowCount() - row;
                out += QStringLiteral("…(%1 more)\n").arg(rest);
                row += rest - 1;
                continue;
            }
            ++virtualWritten;
            out += cells(model, row, RowTag::Plain) + QLatin1Char('\n');
            continue;
        }
        const FieldRow& stored = model.Row(row);
        out += cells(model, row, stored.tag) + payload(model, stored) + QLatin1Char('\n');
    }
    if (!model.HelpUrl().isEmpty()) out += QStringLiteral("@help ") + model.HelpUrl() + QLatin1Char('\n');
    return out;
}
