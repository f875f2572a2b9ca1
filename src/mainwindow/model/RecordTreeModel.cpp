// The record tree's item model: indices over RecordNode pointers and the tree's change notifications.
#include "mainwindow/model/RecordTreeModel.h"

#include <algorithm>
#include <exception>

#include <QMetaObject>

#include "mainwindow/model/VisibleText.h"

RecordTreeModel::RecordTreeModel(RecordTree& tree, KindContext& context, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), context_(context) {
    tree_.SetObserver(this);
}

RecordTreeModel::~RecordTreeModel() {
    tree_.SetObserver(nullptr);
}

RecordNode* RecordTreeModel::Node(const QModelIndex& index) const {
    return index.isValid() ? static_cast<RecordNode*>(index.internalPointer()) : nullptr;
}

QModelIndex RecordTreeModel::IndexOf(const RecordNode* node) const {
    if (!node) return {};
    const auto& siblings = node->parent ? node->parent->children : tree_.Roots();
    const int row = node->Row(siblings);
    return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<RecordNode*>(node));
}

QModelIndex RecordTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    const RecordNode* owner = Node(parent);
    const auto& children = owner ? owner->children : tree_.Roots();
    if (size_t(row) >= children.size()) return {};
    return createIndex(row, 0, children[size_t(row)].get());
}

QModelIndex RecordTreeModel::parent(const QModelIndex& child) const {
    const RecordNode* node = Node(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int RecordTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const RecordNode* node = Node(parent);
    return int(node ? node->children.size() : tree_.Roots().size());
}

int RecordTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant RecordTreeModel::data(const QModelIndex& index, int role) const {
    const RecordNode* node = Node(index);
    if (!node) return {};
    switch (role) {
    case Qt::DisplayRole:
        // Captions taken from data (codes, names) may hold bytes that are not text.
        return VisibleText(node->caption);
    case KindRole:
        return node->kind;
    case IndexRole:
        return qint64(node->index);
    default:
        return {};
    }
}

bool RecordTreeModel::hasChildren(const QModelIndex& parent) const {
    const RecordNode* node = Node(parent);
    return node ? node->Expandable() : !tree_.Roots().empty();
}

bool RecordTreeModel::canFetchMore(const QModelIndex& parent) const {
    const RecordNode* node = Node(parent);
    if (!node || !(node->IsMoreNode() || (node->hasChildren && !node->built && node->children.empty())))
        return false;
    return std::find(failedBuilds_.begin(), failedBuilds_.end(), parent) == failedBuilds_.end();
}

void RecordTreeModel::fetchMore(const QModelIndex& parent) {
    RecordNode* node = Node(parent);
    if (!node || !canFetchMore(parent)) return;
    if (guarded([&] { tree_.Expand(context_, *node); })) return;
    failedBuilds_.emplace_back(parent);
    emit ExpansionFailed(parent);
}

void RecordTreeModel::Select(const QModelIndex& index) {
    RecordNode* node = Node(index);
    selected_ = index;
    if (!node) return;
    if (removing_ > 0) {
        const QPersistentModelIndex later(index);
        QMetaObject::invokeMethod(
            this,
            [this, later] {
                if (later.isValid() && selected_ == later) Select(later);
            },
            Qt::QueuedConnection);
        return;
    }
    if (!node->IsMoreNode()) {
        guarded([&] { tree_.Select(context_, *node); });
        return;
    }
    // A more-node is not shown itself: it becomes its entry, which is shown once the page has turned.
    const QPersistentModelIndex later(index);
    QMetaObject::invokeMethod(
        this, [this, later] { turnPage(later); }, Qt::QueuedConnection);
}

void RecordTreeModel::turnPage(const QPersistentModelIndex& index) {
    RecordNode* node = index.isValid() ? Node(index) : nullptr;
    if (!node) return;
    // Expanding it may have turned the page meanwhile; the entry is shown unless another node was
    // selected since.
    if (guarded([&] { tree_.TurnPage(context_, *node); }) && selected_ == index)
        guarded([&] { tree_.Select(context_, *node); });
}

void RecordTreeModel::Collapsed(const QModelIndex& index) {
    // Forgets failures of nodes collapsed or deleted since.
    std::erase_if(failedBuilds_,
                  [&](const QPersistentModelIndex& failed) { return !failed.isValid() || failed == index; });
    const QPersistentModelIndex later(index);
    QMetaObject::invokeMethod(
        this,
        [this, later] {
            if (RecordNode* node = later.isValid() ? Node(later) : nullptr) tree_.ResetPartialBlock(*node);
        },
        Qt::QueuedConnection);
}

void RecordTreeModel::AddChildrenLater(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) {
    if (children.empty()) return;
    const QPersistentModelIndex later(IndexOf(&node));
    auto waiting = std::make_shared<std::vector<std::unique_ptr<RecordNode>>>(std::move(children));
    QMetaObject::invokeMethod(
        this,
        [this, later, waiting] {
            RecordNode* owner = later.isValid() ? Node(later) : nullptr;
            if (owner && owner->children.empty()) tree_.AddChildren(*owner, std::move(*waiting));
        },
        Qt::QueuedConnection);
}

template <typename Work> bool RecordTreeModel::guarded(Work&& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        emit Failed(QString::fromStdString(error.what()));
    } catch (...) {
        emit Failed(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void RecordTreeModel::BeginInsert(RecordNode* parent, int first, int last) {
    beginInsertRows(IndexOf(parent), first, last);
}

void RecordTreeModel::EndInsert() {
    endInsertRows();
}

void RecordTreeModel::BeginRemove(RecordNode* parent, int first, int last) {
    ++removing_;
    beginRemoveRows(IndexOf(parent), first, last);
}

void RecordTreeModel::EndRemove() {
    endRemoveRows();
    --removing_;
}

void RecordTreeModel::BeginReset() {
    ++removing_;
    beginResetModel();
}

void RecordTreeModel::EndReset() {
    endResetModel();
    --removing_;
}

void RecordTreeModel::Changed(RecordNode* node) {
    const QModelIndex at = IndexOf(node);
    if (!at.isValid()) return;
    emit dataChanged(at, at);
    // The expand indicator of a node whose build added nothing: views ask hasChildren again on a layout
    // change, which must not happen inside the view's own expansion, so it is posted.
    const QPersistentModelIndex later(at);
    QMetaObject::invokeMethod(
        this,
        [this, later] {
            if (!later.isValid()) return;
            emit layoutAboutToBeChanged({later});
            emit layoutChanged({later});
        },
        Qt::QueuedConnection);
}

void RecordTreeModel::CurrentReset() {
    emit CurrentNodeDeleted();
}
