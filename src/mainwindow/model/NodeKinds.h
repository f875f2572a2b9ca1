// The one table of record-tree node kinds: for every kind code the name of its record view, the view itself
// and the builder of its children. Each family of kinds registers its rows from its own file; the main
// window and the tree only dispatch through the table.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "mainwindow/model/FieldGrid.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordNode.h"
#include "mainwindow/model/ViewHost.h"

// What a view or builder works with besides its node.
struct KindContext {
    FieldGrid& grid;
    ViewHost& host;
    OpenData& data;
};

// Fills the field grid (and asks the host for side effects) for a selected node.
using ViewFn = std::function<void(KindContext&, RecordNode&)>;
// Builds the children of node into out (not yet attached). May throw: the tree then attaches nothing.
using BuilderFn =
    std::function<void(KindContext&, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out)>;

struct KindInfo {
    int kind = 0;
    // The record view's name, as the node kind table gives it ("ShowLoadingFrame", "ShowNotImplemented",
    // ...). Register keeps the name already in the table when this is null.
    const char* viewName = "ShowNotImplemented";
    ViewFn view;       // empty: the view is not built yet, "Sorry. Not Implimented" is shown
    BuilderFn builder; // empty: the kind has no children
};

class NodeKinds {
public:
    // A table with the fallback rows only (tests build their own tables with it). This and Table() live in
    // kinds/KindTable.cpp, with the views they name.
    NodeKinds();
    // The table with every family registered.
    static const NodeKinds& Table();

    // Adds or replaces the row of info.kind (a null view name keeps the name the row has).
    void Register(KindInfo info);
    // Names a kind's view without building it (the table of every kind starts so).
    void Name(int kind, const char* viewName);
    // Attach the view or the builder to a kind's row, keeping its name (a row named "ShowNotImplemented"
    // is made when the kind has none).
    void SetView(int kind, ViewFn view);
    void SetBuilder(int kind, BuilderFn builder);

    // The row for kind, with the fallbacks: kind -1 shows "Invalid data !!!"; kinds 104 to 170 without a row
    // of their own show the management header; any other kind without a row is not implemented.
    const KindInfo& Resolve(int kind) const;
    bool Has(int kind) const { return rows_.count(kind) != 0; }
    const std::map<int, KindInfo>& Rows() const { return rows_; }

    // Shows node: clears the grid (and its virtual rows), then runs the resolved view, or the
    // not-implemented view when the kind's view is not built.
    void Show(KindContext& context, RecordNode& node) const;
    // Builds node's children into out with the resolved builder; nothing when the kind has none.
    void Build(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out) const;

private:
    KindInfo& row(int kind);

    std::map<int, KindInfo> rows_;
    KindInfo invalid_;
    KindInfo managementHeader_;
    KindInfo notImplemented_;
};
