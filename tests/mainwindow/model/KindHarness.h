// A headless stand-in for the record tree around the builders of the node kind table: a table with the
// data-part families registered, the context builders run in (field grid, a recording view host, open
// data), and the two tree steps the builders rely on (attaching children, inserting the next page).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordNode.h"
#include "support/model/ViewHostLog.h"

namespace harness {

class KindHarness {
public:
    KindHarness();

    FieldGridModel model;
    FieldGrid grid{model};
    // Records every side effect a view or builder asks for, one line each.
    ViewHostLog host;
    OpenData data;
    KindContext context{grid, host, data};
    NodeKinds table;

    // Runs the builder of node's kind and attaches what it built as node's children (as the tree does on
    // the first expansion); returns the children.
    std::vector<RecordNode*> Expand(RecordNode& node);
    // Turns the page of a ". . . . ." node as the tree does when it is selected or expanded: the builder of
    // its kind makes the next page, the node becomes its entry again and the page follows it.
    void NextPage(RecordNode& more);
};

// A root node of kind with its reader and stream.
std::unique_ptr<RecordNode> Root(int kind, const QString& caption, HeldReader held,
                                 std::shared_ptr<TLN_Stream> stream = nullptr);
std::vector<QString> Captions(const RecordNode& node);
std::vector<int> Kinds(const RecordNode& node);
// Detaches and deletes child `row` of node (as the tree does when it removes a node).
void Remove(RecordNode& node, size_t row);

} // namespace harness
