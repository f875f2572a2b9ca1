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
    RecordTree() = default;
    RecordTree(const RecordTree&) = delete;
    RecordTree& operator=(const RecordTree&) = delete;

    const std::vector<std::unique_ptr<RecordNode>>& Roots() const { return roots_; }
    // Appends a root (a node without a parent); returns it.
    RecordNode* AddRoot(std::unique_ptr<RecordNode> node);
    // Deletes every node (each held reader is released once, by its last holder) and the current node.
    void Clear();

    RecordNode* Current() const { return current_; }
    void SetCurrent(RecordNode* node) { current_ = node; }

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
    };
    void SetObserver(Observer* observer) { observer_ = observer; }

private:
    std::vector<std::unique_ptr<RecordNode>> roots_;
    RecordNode* current_ = nullptr;
    Observer* observer_ = nullptr;
};
