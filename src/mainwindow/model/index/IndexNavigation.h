// Walking from a row of the category or matching grid to the record tree node of the next level or of a
// POI record, as double-clicks and the grids' popup menu do: by the search kind of the record shown, the
// row's next-level fields lead to a node, which the window then selects. A target that is not there
// beeps (through the host) and nothing changes; roots are found by their kind.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordTree.h"
#include "mainwindow/model/ViewHost.h"

class IndexTable;

class IndexNavigation {
public:
    IndexNavigation(RecordTree& tree, KindContext& context) : tree_(tree), context_(context) {}

    // The node a double-click on row of the grid's table leads to from node (the node shown); null after
    // a beep.
    RecordNode* DoubleClick(IndexGrid grid, IndexTable* table, RecordNode* node, int64_t row);
    // Which of the popup's three next-level items apply to row: the table has an "NXKD" field, and its
    // text has at least 4 (two levels) or 6 characters (three levels).
    static std::array<bool, 3> NextItems(IndexTable* table, int64_t row);
    // The popup's next-level item `level` (1 to 3): the first does what a double-click does; the others
    // jump to the second or third level of "SRHG" and "SRHA" records by the address in "NXST".
    RecordNode* NextLevel(IndexGrid grid, IndexTable* table, RecordNode* node, int64_t row, int level);

    // The tree operations of the handlers; each returns the node to select, or null after a beep.
    // Child i of the "Next Level" node of the search record above node.
    RecordNode* GotoNextLevelNode(RecordNode* node, int64_t i);
    // Child i of the search record's child at address, added as "Degenerate Next Level" when missing.
    RecordNode* GotoDegenerateNextLevel(RecordNode* node, int64_t i, int64_t address);
    // The first item of POI record n (from 1) of the index data node above node.
    RecordNode* GotoIndexDataItem(RecordNode* node, int64_t n);

    // The search kind (declaration of the detailed search record) node belongs to; "" when none.
    std::string SearchKindOf(const RecordNode* node);

private:
    RecordNode* beep();
    // The children node's view would add, added now when it has none.
    void ensureChildren(RecordNode& node);
    // The nearest detailed search record (kind 310) at or above node whose level is the first.
    static RecordNode* searchRecordOf(RecordNode* node);

    RecordTree& tree_;
    KindContext& context_;
};
