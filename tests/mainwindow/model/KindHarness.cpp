// The headless stand-in for the record tree around the builders.
#include "KindHarness.h"

#include <iterator>

#include "mainwindow/model/kinds/KindFamilies.h"
#include "mainwindow/model/kinds/Paging.h"

namespace harness {

KindHarness::KindHarness() {
    RegisterRegionKinds(table);
    RegisterParameterKinds(table);
    RegisterPictureKinds(table);
    RegisterVoiceKinds(table);
    RegisterIndexKinds(table);
    RegisterTmcAndLocalKinds(table);
}

std::vector<RecordNode*> KindHarness::Expand(RecordNode& node) {
    std::vector<std::unique_ptr<RecordNode>> built;
    table.Build(context, node, built);
    std::vector<RecordNode*> children;
    for (auto& child : built) {
        child->parent = &node;
        children.push_back(child.get());
        node.children.push_back(std::move(child));
    }
    node.built = true;
    node.hasChildren = !node.children.empty();
    return children;
}

void KindHarness::NextPage(RecordNode& more) {
    std::vector<std::unique_ptr<RecordNode>> page;
    table.Build(context, more, page);
    RestorePagedEntry(more);
    RecordNode& parent = *more.parent;
    auto at = parent.children.begin() + more.Row(parent.children) + 1;
    for (auto& node : page)
        node->parent = &parent;
    parent.children.insert(at, std::make_move_iterator(page.begin()), std::make_move_iterator(page.end()));
}

std::unique_ptr<RecordNode> Root(int kind, const QString& caption, HeldReader held,
                                 std::shared_ptr<TLN_Stream> stream) {
    auto root = RecordNode::MakeChild(nullptr, kind, caption);
    root->held = std::move(held);
    root->stream = std::move(stream);
    root->hasChildren = true;
    return root;
}

std::vector<QString> Captions(const RecordNode& node) {
    std::vector<QString> captions;
    for (const auto& child : node.children)
        captions.push_back(child->caption);
    return captions;
}

std::vector<int> Kinds(const RecordNode& node) {
    std::vector<int> kinds;
    for (const auto& child : node.children)
        kinds.push_back(child->kind);
    return kinds;
}

void Remove(RecordNode& node, size_t row) {
    node.children.erase(node.children.begin() + std::ptrdiff_t(row));
}

} // namespace harness
