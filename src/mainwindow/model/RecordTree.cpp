// The record tree's mechanics: show dispatch, building on expansion, paging, deletion and the current node.
#include "mainwindow/model/RecordTree.h"

#include <algorithm>

#include "kiwi/cmp/DecompFileStream.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/kinds/FallbackViews.h"
#include "mainwindow/model/kinds/Paging.h"

RecordNode* RecordTree::AddRoot(std::unique_ptr<RecordNode> node) {
    std::vector<std::unique_ptr<RecordNode>> one;
    RecordNode* added = node.get();
    one.push_back(std::move(node));
    insert(nullptr, roots_.size(), std::move(one));
    return added;
}

void RecordTree::Clear() {
    if (observer_) {
        if (current_) observer_->CurrentReset();
        observer_->BeginReset();
    }
    current_ = nullptr;
    roots_.clear();
    if (observer_) observer_->EndReset();
}

void RecordTree::Select(KindContext& context, RecordNode& node) {
    // Whatever rows the previous record's provider gave are gone before anything else changes.
    context.grid.Clear();
    // A record without a position (an all-ones address read as -1) shows its stream from the start, and so
    // does one whose stored position lies past the end of its stream (the view says so).
    const auto offsetIn = [&node](TLN_Stream& stream) {
        return node.recordOffset < 0 || node.recordOffset >= stream.Size() ? 0 : node.recordOffset;
    };
    bool fileMissing = false;
    if (node.stream) {
        context.host.ShowInHexViewer(node.stream, offsetIn(*node.stream));
    } else if (!node.fileName.empty()) {
        // The file is tested first: opening a missing one raises before the node could say so.
        std::shared_ptr<TLN_Stream> stream;
        if (SourceFileExists(node.fileName)) {
            try {
                stream = TLN_DecompFileStream::Create(node.fileName);
            } catch (const std::exception& error) {
                node.error = QString::fromUtf8(error.what());
                stream.reset();
            }
        } else {
            fileMissing = true;
        }
        if (stream) {
            const int64_t offset = offsetIn(*stream);
            context.host.ShowOwnedStreamInHexViewer(std::move(stream), offset);
        } else
            context.host.ShowInHexViewer(nullptr, 0);
    } else {
        context.host.ShowInHexViewer(nullptr, 0);
    }
    current_ = &node;
    if (fileMissing) {
        ShowMissingFile(context, node);
        return;
    }
    kinds_.Show(context, node);
}

bool RecordTree::Expand(KindContext& context, RecordNode& node) {
    if (node.IsMoreNode()) TurnPage(context, node);
    if (node.built || !node.hasChildren) return false;
    if (!node.children.empty()) {
        // Children added by a view: the builder does nothing for a node that has some.
        node.built = true;
        node.hasChildren = false;
        return false;
    }
    std::vector<std::unique_ptr<RecordNode>> children;
    kinds_.Build(context, node, children);
    node.built = true;
    node.hasChildren = false;
    if (children.empty()) {
        if (observer_) observer_->Changed(&node);
        return false;
    }
    insert(&node, 0, std::move(children));
    // A builder that found the node's records cut short marks the node itself: its caption changed.
    if (observer_ && !node.error.isEmpty()) observer_->Changed(&node);
    return true;
}

void RecordTree::TurnPage(KindContext& context, RecordNode& more) {
    if (!more.IsMoreNode()) return;
    std::vector<std::unique_ptr<RecordNode>> page;
    kinds_.Build(context, more, page);
    RestorePagedEntry(more);
    if (observer_) observer_->Changed(&more);
    const int row = more.Row(siblingsOf(more));
    if (row >= 0 && !page.empty()) insert(more.parent, size_t(row) + 1, std::move(page));
}

void RecordTree::AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) {
    if (children.empty()) return;
    insert(&node, node.children.size(), std::move(children));
}

void RecordTree::RemoveChildren(RecordNode& node) {
    if (node.children.empty()) return;
    for (const auto& child : node.children)
        resetCurrentInside(*child);
    if (observer_) observer_->BeginRemove(&node, 0, int(node.children.size()) - 1);
    node.children.clear();
    if (observer_) observer_->EndRemove();
}

void RecordTree::Remove(RecordNode& node) {
    auto& siblings = siblingsOf(node);
    const int row = node.Row(siblings);
    if (row < 0) return;
    resetCurrentInside(node);
    RecordNode* parent = node.parent;
    if (observer_) observer_->BeginRemove(parent, row, row);
    siblings.erase(siblings.begin() + row);
    renumber(siblings, size_t(row));
    if (observer_) observer_->EndRemove();
}

bool RecordTree::ResetPartialBlock(RecordNode& node) {
    if (node.kind != 11 || !node.partialWalk) return false;
    RemoveChildren(node);
    node.partialWalk = false;
    node.built = false;
    node.hasChildren = true;
    if (observer_) observer_->Changed(&node);
    return true;
}

std::vector<std::unique_ptr<RecordNode>>& RecordTree::siblingsOf(RecordNode& node) {
    return node.parent ? node.parent->children : roots_;
}

void RecordTree::insert(RecordNode* parent, size_t row, std::vector<std::unique_ptr<RecordNode>> nodes) {
    auto& siblings = parent ? parent->children : roots_;
    if (row > siblings.size()) row = siblings.size();
    for (auto& node : nodes)
        node->parent = parent;
    if (observer_) observer_->BeginInsert(parent, int(row), int(row + nodes.size()) - 1);
    siblings.insert(siblings.begin() + long(row), std::make_move_iterator(nodes.begin()),
                    std::make_move_iterator(nodes.end()));
    renumber(siblings, row);
    if (observer_) observer_->EndInsert();
}

void RecordTree::resetCurrentInside(const RecordNode& node) {
    if (!current_ || !node.Contains(current_)) return;
    // The view that showed the node must let go of it before it is deleted.
    if (observer_) observer_->CurrentReset();
    current_ = nullptr;
}

void RecordTree::renumber(std::vector<std::unique_ptr<RecordNode>>& siblings, size_t from) {
    for (size_t i = from; i < siblings.size(); ++i)
        siblings[i]->row = int(i);
}
