// The stand-in item model over the record tree: nodes as they stand (roots and children already built),
// told of every change by the tree's observer calls. It builds no children itself.
#include "mainwindow/TreeModelSeam.h"

#include <QAbstractItemModel>

#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordTree.h"

namespace {
class StandInTreeModel final : public QAbstractItemModel,
                               public RecordTree::Observer,
                               public RecordTreeBinding {
public:
    StandInTreeModel(RecordTree& tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
        tree_.SetObserver(this);
    }
    ~StandInTreeModel() override { tree_.SetObserver(nullptr); }

    QAbstractItemModel* Model() override { return this; }

    void AttachChildren(RecordNode& parent, std::vector<std::unique_ptr<RecordNode>> children) override {
        if (children.empty()) return;
        const int first = int(parent.children.size());
        beginInsertRows(IndexOf(&parent), first, first + int(children.size()) - 1);
        for (auto& child : children) {
            child->parent = &parent;
            parent.children.push_back(std::move(child));
        }
        endInsertRows();
    }

    RecordNode* NodeAt(const QModelIndex& index) const override {
        return index.isValid() ? static_cast<RecordNode*>(index.internalPointer()) : nullptr;
    }

    QModelIndex IndexOf(const RecordNode* node) const override {
        if (!node) return {};
        const int row = node->Row(siblingsOf(node->parent));
        return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<RecordNode*>(node));
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        const auto& list = siblingsOf(NodeAt(parent));
        if (column != 0 || row < 0 || row >= int(list.size())) return {};
        return createIndex(row, 0, list[size_t(row)].get());
    }

    QModelIndex parent(const QModelIndex& child) const override {
        const RecordNode* node = NodeAt(child);
        return node ? IndexOf(node->parent) : QModelIndex();
    }

    int rowCount(const QModelIndex& parent) const override {
        if (parent.column() > 0) return 0;
        return int(siblingsOf(NodeAt(parent)).size());
    }

    int columnCount(const QModelIndex&) const override { return 1; }

    bool hasChildren(const QModelIndex& parent) const override {
        const RecordNode* node = NodeAt(parent);
        if (!node) return !tree_.Roots().empty();
        return !node->children.empty() || (node->hasChildren && !node->built);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const RecordNode* node = NodeAt(index);
        if (!node || role != Qt::DisplayRole) return {};
        return node->caption;
    }

    void BeginInsert(RecordNode* parent, int first, int last) override {
        beginInsertRows(IndexOf(parent), first, last);
    }
    void EndInsert() override { endInsertRows(); }
    void BeginRemove(RecordNode* parent, int first, int last) override {
        beginRemoveRows(IndexOf(parent), first, last);
    }
    void EndRemove() override { endRemoveRows(); }
    void BeginReset() override { beginResetModel(); }
    void EndReset() override { endResetModel(); }
    void Changed(RecordNode* node) override {
        const QModelIndex at = IndexOf(node);
        if (at.isValid()) emit dataChanged(at, at);
    }

private:
    const std::vector<std::unique_ptr<RecordNode>>& siblingsOf(const RecordNode* parent) const {
        return parent ? parent->children : tree_.Roots();
    }

    RecordTree& tree_;
};
} // namespace

std::unique_ptr<RecordTreeBinding> MakeRecordTreeBinding(RecordTree& tree, KindContext&) {
    // The caller owns the model through the binding, so it has no QObject parent.
    return std::make_unique<StandInTreeModel>(tree, nullptr);
}
