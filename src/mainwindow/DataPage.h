// The Data tab: the record tree on the left of a splitter, and on the right the inner tabs
// "Информационная панель" (the field grid, the picture panel, the play, stop and language buttons) and
// "Выборка данных" (the category and matching grids with their record counts).
#pragma once

#include <QWidget>

class FlatButton;
class FieldGridModel;
class FieldGridView;
class IndexTablesSheet;
class QLabel;
class QSplitter;
class QTabWidget;
class QTableView;
class QTreeView;

class DataPage : public QWidget {
    Q_OBJECT
public:
    // Width of the tree panel as the window layout has it.
    static constexpr int kInitialTreeWidth = 300;

    DataPage(FieldGridModel* gridModel, QWidget* parent = nullptr);

    int TreePanelWidth() const;
    // Sets the tree panel's width, the rest going to the right side. False (and nothing changed) while the
    // page is not shown.
    bool SetTreePanelWidth(int width);

    QSplitter* splitter = nullptr;
    QTreeView* treeView = nullptr;
    QTabWidget* innerTabs = nullptr;
    QWidget* infoSheet = nullptr;
    QWidget* matchingSheet = nullptr; // the index tables tab (indexSheet)
    IndexTablesSheet* indexSheet = nullptr;
    FieldGridView* fieldGrid = nullptr;
    QWidget* graphicPanel = nullptr;
    QLabel* graphicImage = nullptr;
    FlatButton* playSpeedBtn = nullptr;
    FlatButton* stopSpeedBtn = nullptr;
    FlatButton* langBtn1 = nullptr;
    FlatButton* langBtn2 = nullptr;
    FlatButton* dbSettingsBtn1 = nullptr;
    QTableView* categoryGrid = nullptr;
    QTableView* matchingGrid = nullptr;
    QLabel* label3 = nullptr;
    QLabel* label4 = nullptr;
    QLabel* categoryCount = nullptr;
    QLabel* matchingCount = nullptr;
};
