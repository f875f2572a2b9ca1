// The index table model.
#include "mainwindow/model/index/IndexTableModel.h"

#include <algorithm>
#include <climits>

#include "mainwindow/model/VisibleText.h"

namespace {
int clampedRows(int64_t count) {
    return int(std::clamp<int64_t>(count, 0, INT_MAX));
}
} // namespace

IndexTableModel::IndexTableModel(std::shared_ptr<IndexTable> table, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)) {
    if (!table_) return;
    rows_ = table_->Sequential() ? clampedRows(std::min<int64_t>(table_->RecordCount(), kFetchRows))
                                 : clampedRows(table_->RecordCount());
}

int64_t IndexTableModel::RecordCount() const {
    return table_ ? table_->RecordCount() : 0;
}

int IndexTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int IndexTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_ ? 0 : table_->ColumnCount();
}

QVariant IndexTableModel::data(const QModelIndex& index, int role) const {
    // A row outside the table ("Bookmark not found") has no data; a field that cannot be read is empty.
    if (role != Qt::DisplayRole || !table_ || !index.isValid() || index.row() >= rows_) return {};
    try {
        // A text column of a damaged or misread table may hold bytes that are not text.
        return VisibleText(table_->FieldText(index.row(), index.column()));
    } catch (const std::exception& error) {
        error_ = QString::fromUtf8(error.what());
        return QString();
    }
}

QVariant IndexTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!table_) return {};
    if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= table_->ColumnCount()) return {};
    const IndexColumn& column = table_->Layout().Columns()[size_t(section)];
    if (role == Qt::DisplayRole) return VisibleText(QString::fromStdString(column.name));
    if (role == WidthRole) return column.width;
    return {};
}

Qt::ItemFlags IndexTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

bool IndexTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && table_ && rows_ < clampedRows(table_->RecordCount());
}

void IndexTableModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    const int more = std::min(kFetchRows, clampedRows(table_->RecordCount()) - rows_);
    // The positions of the new rows are walked now, once; rows past a broken walk stay empty.
    table_->SeekRecord(int64_t(rows_) + more - 1);
    beginInsertRows({}, rows_, rows_ + more - 1);
    rows_ += more;
    endInsertRows();
}
