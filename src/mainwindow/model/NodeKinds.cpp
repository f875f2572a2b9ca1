#include "mainwindow/model/NodeKinds.h"

#include "mainwindow/model/kinds/KindFamilies.h"

const NodeKinds& NodeKinds::Table() {
    static const NodeKinds table = [] {
        NodeKinds t;
        RegisterHeaderKinds(t);
        RegisterAllDataKinds(t);
        RegisterMainMapKinds(t);
        RegisterRegionKinds(t);
        RegisterParameterKinds(t);
        RegisterPictureKinds(t);
        RegisterVoiceKinds(t);
        RegisterIndexKinds(t);
        RegisterTmcAndLocalKinds(t);
        return t;
    }();
    return table;
}

void NodeKinds::Register(KindInfo info) {
    rows_[info.kind] = std::move(info);
}

const KindInfo& NodeKinds::Resolve(int kind) const {
    const auto row = rows_.find(kind);
    if (row != rows_.end()) return row->second;
    if (kind == kKindInvalid) return invalid_;
    if (kind >= 104 && kind <= 170) return managementHeader_;
    return notImplemented_;
}

void NodeKinds::Show(KindContext& context, RecordNode& node) const {
    const KindInfo& info = Resolve(node.kind);
    if (info.view) info.view(context, node);
}

void NodeKinds::Build(KindContext& context, RecordNode& node,
                      std::vector<std::unique_ptr<RecordNode>>& out) const {
    const KindInfo& info = Resolve(node.kind);
    if (info.builder) info.builder(context, node, out);
}
