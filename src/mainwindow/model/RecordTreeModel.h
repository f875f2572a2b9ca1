// The record tree as a Qt item model for the tree view: one column of captions, the kind in a user role,
// children fetched lazily on first expansion (one insertion per build), the show dispatch on selection and
// the deferred tree changes that selecting a more-node or collapsing a walked block make. QtCore only.
#pragma once

#include <memory>
#include <vector>

#include <QAbstractItemModel>
#include <QPersistentModelIndex>
#include <QString>

#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordTree.h"

class RecordTreeModel : public QAbstractItemModel, private RecordTree::Observer {
    Q_OBJECT
public:
    // The node's kind code and its index ("Data") as ints / qint64.
    static constexpr int KindRole = Qt::UserRole;
    static constexpr int IndexRole = Qt::UserRole + 1;

    // The model observes tree until it is destroyed; context gives builders and views their grid, host and
    // open readers (both outlive the model).
    RecordTreeModel(RecordTree& tree, KindContext& context, QObject* parent = nullptr);
    ~RecordTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    // Runs the node's builder (RecordTree::Expand). A builder error is reported through Failed and
    // ExpansionFailed; the node then stays expandable but is not fetched again (views lay out expanded
    // nodes again and again) until it is collapsed.
    void fetchMore(const QModelIndex& parent) override;

    RecordTree& Tree() const { return tree_; }
    RecordNode* Node(const QModelIndex& index) const;
    QModelIndex IndexOf(const RecordNode* node) const;

public slots:
    // The show dispatch for the selected node. A selected more-node turns its page and shows its entry
    // later from the event loop (never inside the view's selection handler). A selection that moves
    // because rows are being removed (the view picks a neighbour of a deleted current node) is shown later
    // too, once the tree is whole again.
    void Select(const QModelIndex& index);
    // A collapsed node may be built again after a failure; a collapsed block walked to one parcel loses its
    // children, later from the event loop.
    void Collapsed(const QModelIndex& index);

public:
    // Appends children that a view made for node, later from the event loop (a view runs inside the
    // selection handler, which must not change the tree); dropped when node is deleted meanwhile or has
    // children by then.
    void AddChildrenLater(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children);

signals:
    // A builder or view threw; message is its text.
    void Failed(const QString& message);
    // The current node is about to be deleted: the field grid and hex viewer should be cleared.
    void CurrentNodeDeleted();
    // Building index's children failed: a view that expanded it should collapse it again.
    void ExpansionFailed(const QModelIndex& index);

private:
    void BeginInsert(RecordNode* parent, int first, int last) override;
    void EndInsert() override;
    void BeginRemove(RecordNode* parent, int first, int last) override;
    void EndRemove() override;
    void BeginReset() override;
    void EndReset() override;
    void Changed(RecordNode* node) override;
    void CurrentReset() override;

    // Runs work, reporting an exception through Failed; returns whether it completed.
    template <typename Work> bool guarded(Work&& work);
    void turnPage(const QPersistentModelIndex& index);

    RecordTree& tree_;
    KindContext& context_;
    // The node selected last (a more-node's entry is shown only while it stays selected).
    QPersistentModelIndex selected_;
    // Nodes whose build failed, not fetched again until collapsed.
    std::vector<QPersistentModelIndex> failedBuilds_;
    // Rows are being removed or the model reset: selections wait until it is done.
    int removing_ = 0;
};
