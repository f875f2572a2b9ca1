// An index table as a read-only Qt table model for a data grid: column names in the header (with each
// column's width in characters), every field as text. A table of variable-length records is fetched in
// steps (canFetchMore/fetchMore), so that the grid never asks for records that need a long walk first.
#pragma once

#include <memory>

#include <QAbstractTableModel>

#include "mainwindow/model/index/IndexTable.h"

class IndexTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The width of a column in characters, in headerData of the horizontal header.
    static constexpr int WidthRole = Qt::UserRole;
    // Rows a fetch adds to a table of variable-length records.
    static constexpr int kFetchRows = 4096;

    explicit IndexTableModel(std::shared_ptr<IndexTable> table, QObject* parent = nullptr);

    const std::shared_ptr<IndexTable>& Table() const { return table_; }
    // The records the table holds (the rows shown may be fewer until fetched).
    int64_t RecordCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // Why the last field that could not be read failed ("" when none failed).
    const QString& ErrorString() const { return error_; }

private:
    std::shared_ptr<IndexTable> table_;
    // Rows shown: all records of fixed size (at most INT_MAX), the fetched ones otherwise.
    int rows_ = 0;
    mutable QString error_;
};
