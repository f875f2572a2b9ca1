// Where the record tree's item model joins the Data tab. The window asks only this binding for the model
// of TreeView1 and for the node behind an index. Until the record tree model (lazy children through the
// node kind table, paging, collapse of partial blocks) is built, a flat stand-in shows the tree as it
// stands; MakeRecordTreeBinding is the one place to switch to the real model.
#pragma once

#include <memory>
#include <vector>

#include <QModelIndex>

class QAbstractItemModel;
class RecordTree;
struct KindContext;
struct RecordNode;

class RecordTreeBinding {
public:
    virtual ~RecordTreeBinding() = default;
    virtual QAbstractItemModel* Model() = 0;
    // The node behind index; null for the invisible root.
    virtual RecordNode* NodeAt(const QModelIndex& index) const = 0;
    virtual QModelIndex IndexOf(const RecordNode* node) const = 0;
    // Appends children to parent and tells the view (a record view that adds its items when shown).
    virtual void AttachChildren(RecordNode& parent, std::vector<std::unique_ptr<RecordNode>> children) = 0;
};

// The model over tree (it becomes the tree's observer). context is what builders get when children are
// built; the binding keeps a reference to both and must not outlive them.
std::unique_ptr<RecordTreeBinding> MakeRecordTreeBinding(RecordTree& tree, KindContext& context);
