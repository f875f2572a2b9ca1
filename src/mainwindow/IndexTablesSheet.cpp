// Building the index tables tab and showing tables in its grids.
#include "mainwindow/IndexTablesSheet.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "mainwindow/model/index/IndexTableModel.h"
#include "widgets/flat/FlatButton.h"

namespace {

// Pixels added to a column's characters for the cell's margins.
constexpr int kColumnPadding = 10;

QTableView* dataGrid(QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    return grid;
}

int slot(IndexGrid grid) {
    return grid == IndexGrid::Category ? 0 : 1;
}

} // namespace

IndexTablesSheet::IndexTablesSheet(QWidget* parent) : QWidget(parent) {
    categoryGrid = dataGrid(this);
    matchingGrid = dataGrid(this);
    label3 = new QLabel(this);
    label4 = new QLabel(this);
    categoryCount = new QLabel(this);
    matchingCount = new QLabel(this);
    categoryRepresentation = new QLabel(this);
    matchingRepresentation = new QLabel(this);
    langBtn2 = new FlatButton(this);
    langBtn2->setText(QStringLiteral("ENG"));
    langBtn2->setEnabled(false);
    dbSettingsBtn1 = new FlatButton(this);
    dbSettingsBtn1->SetGlyph(
        style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(16, 16).toImage());
    dbSettingsBtn1->setAccessibleName(QStringLiteral("Table settings"));
    auto* categoryBar = new QHBoxLayout();
    categoryBar->addWidget(categoryRepresentation);
    categoryBar->addSpacing(12);
    categoryBar->addWidget(label3);
    categoryBar->addWidget(categoryCount);
    categoryBar->addStretch();
    categoryBar->addWidget(dbSettingsBtn1);
    categoryBar->addWidget(langBtn2);
    auto* matchingBar = new QHBoxLayout();
    matchingBar->addWidget(matchingRepresentation);
    matchingBar->addSpacing(12);
    matchingBar->addWidget(label4);
    matchingBar->addWidget(matchingCount);
    matchingBar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(categoryBar);
    layout->addWidget(categoryGrid, 1);
    layout->addLayout(matchingBar);
    layout->addWidget(matchingGrid, 1);
}

IndexTablesSheet::~IndexTablesSheet() {
    // The grids let go of their models before the models go.
    categoryGrid->setModel(nullptr);
    matchingGrid->setModel(nullptr);
}

void IndexTablesSheet::ShowTable(IndexGrid grid, std::shared_ptr<IndexTable> table) {
    QTableView* view = Grid(grid);
    std::unique_ptr<IndexTableModel>& model = models_[slot(grid)];
    std::unique_ptr<IndexTableModel> old = std::move(model);
    if (table) model = std::make_unique<IndexTableModel>(std::move(table));
    view->setModel(model.get());
    old.reset();
    QLabel* representation = grid == IndexGrid::Category ? categoryRepresentation : matchingRepresentation;
    QLabel* count = grid == IndexGrid::Category ? categoryCount : matchingCount;
    const bool shown = model && model->RecordCount() > 0;
    representation->setText(shown ? model->Table()->Representation() : QString());
    count->setText(shown ? QString::number(model->RecordCount()) : QString());
    view->setVisible(shown);
    representation->setVisible(shown);
    (grid == IndexGrid::Category ? label3 : label4)->setVisible(shown);
    count->setVisible(shown);
    if (!model) return;
    const int digit = view->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < model->columnCount(); ++c) {
        const int characters = model->headerData(c, Qt::Horizontal, IndexTableModel::WidthRole).toInt();
        if (characters > 0) view->horizontalHeader()->resizeSection(c, characters * digit + kColumnPadding);
    }
}

IndexTable* IndexTablesSheet::Table(IndexGrid grid) const {
    const auto& model = models_[slot(grid)];
    return model ? model->Table().get() : nullptr;
}

bool IndexTablesSheet::HasRecords() const {
    for (const auto& model : models_)
        if (model && model->RecordCount() > 0) return true;
    return false;
}
