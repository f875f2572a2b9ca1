// The "Ошибка" rows of an "(Error)" node.
#include "mainwindow/model/views/ErrorRows.h"

#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/RecordNode.h"

void AddErrorRows(FieldGrid& grid, const RecordNode& node) {
    for (const QString& line : node.error.split(u'\n', Qt::SkipEmptyParts))
        grid.AddTextRow(QStringLiteral("Ошибка"), {}, line);
}

ViewFn WithErrorRows(void (*view)(KindContext&, RecordNode&)) {
    return [view](KindContext& context, RecordNode& node) {
        view(context, node);
        AddErrorRows(context.grid, node);
    };
}
