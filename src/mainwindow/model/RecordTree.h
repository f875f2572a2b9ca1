// The record tree's nodes and the mechanics every kind shares: roots, building children on first expansion
// (attached all at once, only when the builder succeeds), paging of long lists with a ". . . . ." node, the
// collapse of a block walked to one parcel, and the current node that the field grid shows.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordNode.h"

class RecordTree {
public:
    // A tree dispatching through kinds (the program's table unless a test gives its own).
    explicit RecordTree(const NodeKinds& kinds = NodeKinds::Table()) : kinds_(kinds) {}
    RecordTree(const RecordTree&) = delete;
    RecordTree& operator=(const RecordTree&) = delete;

    const NodeKinds& Kinds() const { return kinds_; }
    const std::vector<std::unique_ptr<RecordNode>>& Roots() const { return roots_; }
    // Appends a root (a node without a parent); returns it.
    RecordNode* AddRoot(std::unique_ptr<RecordNode> node);
    // Deletes every node (each held reader is released once, by its last holder) and the current node.
    void Clear();

    RecordNode* Current() const { return current_; }
    void SetCurrent(RecordNode* node) { current_ = node; }

    // The show dispatch of a selected node: clears the field grid (and its virtual rows), places the hex
    // viewer on the node's stream, or on a decompressing stream of its file that the viewer then owns,
    // makes the node current and shows it through its kind. A node whose file does not exist clears the
    // hex viewer and shows "Sorry. File doesn''t exists" instead (the file is never opened). A more-node
    // is shown as it is: turning its page changes the tree, so the caller does that afterwards, deferred
    // (TurnPage, then Select). Throws what the view throws.
    void Select(KindContext& context, RecordNode& node);

    // The first expansion of node: a more-node first turns its page; then, unless the node's children are
    // built already, the kind's builder runs into a list that is attached in one insertion when it
    // succeeds. A builder that adds nothing turns the node's expand indicator off. When the builder
    // throws, nothing is attached, the node stays unexpanded and expandable, and the exception goes on to
    // the caller. Returns true when children were attached.
    bool Expand(KindContext& context, RecordNode& node);
    // Turns a more-node into the entry it stands for and inserts the next page (built by the builder of
    // the more-node's kind) after it. When that builder throws nothing changes and the exception goes on.
    void TurnPage(KindContext& context, RecordNode& more);

    // Appends children built elsewhere (views that add items when shown).
    void AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children);
    // Deletes node's children; resets the current node when it was among them.
    void RemoveChildren(RecordNode& node);
    // Deletes node (a root or a child) with its subtree; resets the current node when it was inside.
    void Remove(RecordNode& node);
    // The collapse of a block node (kind 11) whose children were built for a walk to one parcel: they are
    // deleted and the block can be expanded again into all its parcels. Returns whether it applied.
    bool ResetPartialBlock(RecordNode& node);

    // Called around structural changes so a model can tell its views (begin/end insert, remove, reset).
    struct Observer {
        virtual ~Observer() = default;
        virtual void BeginInsert(RecordNode* parent, int first, int last) = 0;
        virtual void EndInsert() = 0;
        virtual void BeginRemove(RecordNode* parent, int first, int last) = 0;
        virtual void EndRemove() = 0;
        virtual void BeginReset() = 0;
        virtual void EndReset() = 0;
        // The node's caption, kind or expandability changed.
        virtual void Changed(RecordNode* node) = 0;
        // The current node is about to be deleted: whatever shows it (field grid, hex viewer) must let go.
        virtual void CurrentReset() {}
    };
    void SetObserver(Observer* observer) { observer_ = observer; }

private:
    std::vector<std::unique_ptr<RecordNode>>& siblingsOf(RecordNode& node);
    // Inserts nodes at row of parent's children (or of the roots).
    void insert(RecordNode* parent, size_t row, std::vector<std::unique_ptr<RecordNode>> nodes);
    void resetCurrentInside(const RecordNode& node);
    static void renumber(std::vector<std::unique_ptr<RecordNode>>& siblings, size_t from);

    const NodeKinds& kinds_;
    std::vector<std::unique_ptr<RecordNode>> roots_;
    RecordNode* current_ = nullptr;
    Observer* observer_ = nullptr;
};
