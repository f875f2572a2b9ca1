// Record-tree nodes: making children that inherit from their parent, and finding nodes among siblings.
#include "mainwindow/model/RecordNode.h"

std::unique_ptr<RecordNode> RecordNode::MakeChild(const RecordNode* parent, int kind, const QString& caption,
                                                  int64_t index) {
    auto node = std::make_unique<RecordNode>();
    if (parent) {
        node->level = parent->level;
        node->stream = parent->stream;
        node->recordOffset = parent->recordOffset;
        node->fileName = parent->fileName;
        node->extra = parent->extra;
        node->held = parent->held;
        node->blockSetIndex = parent->blockSetIndex;
        node->indexDepth = parent->indexDepth;
        node->parcelFrameAddress = parent->parcelFrameAddress;
        node->parcelFrameSize = parent->parcelFrameSize;
    }
    node->kind = kind;
    node->caption = caption;
    node->index = index;
    return node;
}

int RecordNode::Row(const std::vector<std::unique_ptr<RecordNode>>& siblings) const {
    if (row >= 0 && size_t(row) < siblings.size() && siblings[size_t(row)].get() == this) return row;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return int(i);
    return -1;
}

RecordNode* RecordNode::Adopt(RecordNode& parent, std::unique_ptr<RecordNode> child) {
    child->parent = &parent;
    child->row = int(parent.children.size());
    parent.children.push_back(std::move(child));
    parent.built = true;
    parent.hasChildren = false;
    return parent.children.back().get();
}

bool RecordNode::Contains(const RecordNode* node) const {
    for (; node; node = node->parent)
        if (node == this) return true;
    return false;
}
