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
    }
    node->kind = kind;
    node->caption = caption;
    node->index = index;
    return node;
}

int RecordNode::Row(const std::vector<std::unique_ptr<RecordNode>>& siblings) const {
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return int(i);
    return -1;
}
