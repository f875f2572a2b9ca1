// The node kind table: its rows, the fallbacks for kinds without one, and the show and build dispatch. The
// views it starts with and the program's table are set up in kinds/KindTable.cpp, above the views.
#include "mainwindow/model/NodeKinds.h"

KindInfo& NodeKinds::row(int kind) {
    KindInfo& info = rows_[kind];
    info.kind = kind;
    return info;
}

void NodeKinds::Register(KindInfo info) {
    KindInfo& existing = row(info.kind);
    if (!info.viewName) info.viewName = existing.viewName;
    existing = std::move(info);
}

void NodeKinds::Name(int kind, const char* viewName) {
    row(kind).viewName = viewName;
}

void NodeKinds::SetView(int kind, ViewFn view) {
    row(kind).view = std::move(view);
}

void NodeKinds::SetBuilder(int kind, BuilderFn builder) {
    row(kind).builder = std::move(builder);
}

const KindInfo& NodeKinds::Resolve(int kind) const {
    const auto found = rows_.find(kind);
    if (found != rows_.end()) return found->second;
    if (kind == kKindInvalid) return invalid_;
    if (kind >= 104 && kind <= 170) return managementHeader_;
    return notImplemented_;
}

void NodeKinds::Show(KindContext& context, RecordNode& node) const {
    context.grid.Clear();
    const KindInfo& info = Resolve(node.kind);
    if (info.view)
        info.view(context, node);
    else
        notImplemented_.view(context, node);
}

void NodeKinds::Build(KindContext& context, RecordNode& node,
                      std::vector<std::unique_ptr<RecordNode>>& out) const {
    const KindInfo& info = Resolve(node.kind);
    if (info.builder) info.builder(context, node, out);
}
