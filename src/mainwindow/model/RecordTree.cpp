#include "mainwindow/model/RecordTree.h"

RecordNode* RecordTree::AddRoot(std::unique_ptr<RecordNode> node) {
    node->parent = nullptr;
    const int row = int(roots_.size());
    if (observer_) observer_->BeginInsert(nullptr, row, row);
    roots_.push_back(std::move(node));
    if (observer_) observer_->EndInsert();
    return roots_.back().get();
}

void RecordTree::Clear() {
    if (observer_) observer_->BeginReset();
    current_ = nullptr;
    roots_.clear();
    if (observer_) observer_->EndReset();
}
