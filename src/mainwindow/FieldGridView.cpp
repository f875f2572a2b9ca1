// The field grid's table view.
#include "mainwindow/FieldGridView.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include "mainwindow/FieldGridDelegate.h"
#include "mainwindow/model/FieldGrid.h"
#include "widgets/Services.h"

const QString FieldGridView::kJumpActionText = QStringLiteral(u"Показать данные по Адресу");

FieldGridView::FieldGridView(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new FieldGridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Fixed heights: the view never measures rows, so virtual rows are read only when painted.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);

    menu_ = new QMenu(this);
    jumpAction_ = menu_->addAction(kJumpActionText);
    connect(jumpAction_, &QAction::triggered, this, [this] { JumpFromRow(menuRow_); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &FieldGridView::ShowContextMenu);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { JumpFromRow(index.row()); });
    connect(this, &QAbstractItemView::clicked, this, &FieldGridView::OpenHelp);
}

void FieldGridView::UseContextMenu(QMenu* menu, QAction* jumpAction) {
    if (!menu || !jumpAction) return;
    if (menu_ && menu_->parent() == this) menu_->deleteLater();
    menu_ = menu;
    jumpAction_ = jumpAction;
    connect(jumpAction_, &QAction::triggered, this, [this] { JumpFromRow(menuRow_); });
}

void FieldGridView::SetGridModel(FieldGridModel* model) {
    if (gridModel_) disconnect(gridModel_, nullptr, this, nullptr);
    gridModel_ = model;
    setModel(model);
    if (!model) return;
    RestoreColumnWidths();
    clearSpans();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { LayOutRows(first, last); });
    // A cleared grid is the grid as it started: the header forgets section sizes on a reset anyway.
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        RestoreColumnWidths();
        clearSpans();
        LayOutRows(0, gridModel_->rowCount() - 1);
    });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) { LayOutRows(from.row(), to.row()); });
    LayOutRows(0, model->rowCount() - 1);
}

void FieldGridView::RestoreColumnWidths() {
    for (int c = 0; c < 3; ++c)
        setColumnWidth(c, FieldGridModel::kColumnWidths[c]);
}

void FieldGridView::LayOutRows(int first, int last) {
    if (!gridModel_ || first < 0) return;
    // Only stored rows carry images; a range of virtual rows is skipped whole.
    for (int row = first; row <= last; ++row) {
        if (gridModel_->IsVirtualRow(row)) {
            row = gridModel_->FirstVirtualRow() + gridModel_->VirtualRowCount() - 1;
            continue;
        }
        if (row >= gridModel_->rowCount()) break;
        const FieldRow& stored = gridModel_->Row(row);
        if (stored.tag == RowTag::SectionHeader || stored.tag == RowTag::SubHeader) {
            const int columns = !stored.value.isEmpty() ? 1 : !stored.remark.isEmpty() ? 2 : 3;
            if (columns != columnSpan(row, 0)) setSpan(row, 0, 1, columns);
        }
        if (stored.tag != RowTag::Image) continue;
        const QImage* image = gridModel_->Image(stored.imageIndex);
        if (image && !image->isNull()) verticalHeader()->resizeSection(row, image->height() + 8);
    }
}

void FieldGridView::ShowContextMenu(const QPoint& position) {
    if (!gridModel_) return;
    const QModelIndex index = indexAt(position);
    menuRow_ = index.isValid() ? index.row() : -1;
    menuIndex_ = index;
    jumpAction_->setEnabled(menuRow_ >= 0 && gridModel_->JumpOffset(menuRow_).has_value());
    // popup(), not exec(): the menu never blocks the event loop.
    menu_->popup(viewport()->mapToGlobal(position));
}

void FieldGridView::JumpFromRow(int row) {
    if (!gridModel_ || row < 0) return;
    const auto offset = gridModel_->JumpOffset(row);
    if (!offset) return;
    const std::string file = gridModel_->JumpFile(row);
    if (file.empty())
        emit jumpRequested(*offset);
    else
        emit fileJumpRequested(QString::fromStdString(file), *offset);
}

QUrl FieldGridView::HelpLinkUrl() const {
    if (!gridModel_ || gridModel_->HelpUrl().isEmpty()) return {};
    const QUrl document(gridModel_->HelpUrl());
    return helpBase_.isValid() ? helpBase_.resolved(document) : document;
}

bool FieldGridView::IsHelpLink(const QModelIndex& index) const {
    // The row's tag decides, not its position: only a Help link row opens the document.
    return gridModel_ && index.column() == 2 &&
           RowTag(index.data(FieldGridModel::TagRole).toInt()) == RowTag::HelpLink &&
           index.data().toString() == QLatin1String("Help");
}

void FieldGridView::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && IsHelpLink(currentIndex()))
        OpenHelp(currentIndex());
    else
        QTableView::keyPressEvent(event);
}

QModelIndex FieldGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if ((action != MoveNext && action != MovePrevious) || !next.isValid() || next.column() == 2) return next;
    const QModelIndex link = next.siblingAtColumn(2);
    if (!IsHelpLink(link)) return next;
    if (action == MoveNext || currentIndex().row() != next.row()) return link;
    // Back from the link: the last cell of the row above, where a spanned title starts.
    const int row = next.row() - 1;
    if (row < 0) return currentIndex();
    int column = 0;
    while (column + columnSpan(row, column) < model()->columnCount())
        column += columnSpan(row, column);
    return model()->index(row, column);
}

void FieldGridView::OpenHelp(const QModelIndex& index) {
    if (!urlOpener_ || !IsHelpLink(index)) return;
    const QUrl url = HelpLinkUrl();
    if (!url.isValid() || url.isEmpty()) return;
    // The documents are not shipped with the program: a missing one is named with the folder it is looked
    // for in, where the user can put it.
    if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile()) {
        if (messenger_)
            messenger_->Information(
                this, QStringLiteral("Документ справки не найден: ") + gridModel_->HelpUrl() +
                          QStringLiteral("\rДокументы справки ищутся в папке ") +
                          QDir::toNativeSeparators(helpBase_.isLocalFile() ? helpBase_.toLocalFile()
                                                                           : helpBase_.toString()));
        return;
    }
    // There, but no program on this system shows it: the document is named, or only standard error would say.
    if (!urlOpener_->Open(url) && messenger_)
        messenger_->Information(
            this, QStringLiteral("Нет программы для показа документа справки: ") +
                      QDir::toNativeSeparators(url.isLocalFile() ? url.toLocalFile() : url.toString()));
}
