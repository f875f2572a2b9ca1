// The "Выборка данных" tab of the Data tab: the category and matching data grids that show index tables,
// each with its representation name and "Записей в таблице:" record count.
#pragma once

#include <memory>

#include <QWidget>

#include "mainwindow/model/ViewHost.h"

class FlatButton;
class IndexTable;
class IndexTableModel;
class QLabel;
class QTableView;

class IndexTablesSheet : public QWidget {
    Q_OBJECT
public:
    explicit IndexTablesSheet(QWidget* parent = nullptr);
    ~IndexTablesSheet() override;

    // Shows table in one grid (its columns as wide as their characters), or closes that grid.
    void ShowTable(IndexGrid grid, std::shared_ptr<IndexTable> table);
    // The table a grid shows; null when closed.
    IndexTable* Table(IndexGrid grid) const;
    QTableView* Grid(IndexGrid grid) const {
        return grid == IndexGrid::Category ? categoryGrid : matchingGrid;
    }
    // True while a grid shows a table with records.
    bool HasRecords() const;

    QTableView* categoryGrid = nullptr;
    QTableView* matchingGrid = nullptr;
    QLabel* label3 = nullptr; // "Записей в таблице:" of the category grid
    QLabel* label4 = nullptr; // "Записей в таблице:" of the matching grid
    QLabel* categoryCount = nullptr;
    QLabel* matchingCount = nullptr;
    QLabel* categoryRepresentation = nullptr;
    QLabel* matchingRepresentation = nullptr;
    FlatButton* langBtn2 = nullptr;
    FlatButton* dbSettingsBtn1 = nullptr;

private:
    std::unique_ptr<IndexTableModel> models_[2];
};
