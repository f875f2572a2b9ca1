// The walk to a selected parcel's node: finding the nodes on the way, replacing the block's children and
// building the parcel's node.
#include "mainwindow/model/ParcelWalk.h"

#include <functional>

#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/RecordTreeModel.h"
#include "mainwindow/model/kinds/MainMapAccess.h"

namespace {

using Siblings = std::vector<std::unique_ptr<RecordNode>>;

RecordNode* find(const Siblings& siblings, const std::function<bool(const RecordNode&)>& wanted) {
    for (const auto& node : siblings)
        if (!node->IsMoreNode() && wanted(*node)) return node.get();
    return nullptr;
}

RecordNode* captioned(const Siblings& siblings, const QString& caption) {
    return find(siblings, [&](const RecordNode& node) { return node.caption == caption; });
}

RecordNode* withData(const Siblings& siblings, int kind, int64_t index) {
    return find(siblings, [&](const RecordNode& node) { return node.kind == kind && node.index == index; });
}

// Builds node's children through the model (nothing when they are built); false when it has none.
bool expand(RecordTreeModel& model, RecordNode& node) {
    const QModelIndex at = model.IndexOf(&node);
    if (model.canFetchMore(at)) model.fetchMore(at);
    return !node.children.empty();
}

} // namespace

ParcelIndices ParcelIndicesOf(const TLN_Level_Management_Record& level, const TLN_ParcelNumber& number) {
    ParcelIndices indices;
    indices.blockSet = uint32_t(number.BlockSetY) * level.BlockSets.X + number.BlockSetX;
    indices.block = uint32_t(number.BlockY) * level.Blocks.X + number.BlockX;
    indices.parcel = uint32_t(number.ParcelY) * level.Parcels.X + number.ParcelX;
    indices.subParcel = uint32_t(number.SubY) * number.CountX + number.SubX;
    return indices;
}

ParcelWalk WalkToParcel(RecordTreeModel& model, TLN_KiwiMap& map, const TLN_ParcelNumber& number) {
    ParcelWalk walk;
    RecordTree& tree = model.Tree();
    const TLN_Level_Management_Record* level = map.Level(number.Level);
    if (!level) return walk;
    const ParcelIndices indices = ParcelIndicesOf(*level, number);

    // Down to the block: each node found is expanded before its children are looked at.
    RecordNode* node = captioned(tree.Roots(), QStringLiteral("ALL DATA"));
    if (!node || !expand(model, *node)) return walk;
    walk.path.push_back(node);
    node = captioned(node->children, QStringLiteral("Map Data"));
    if (!node || !expand(model, *node)) return walk;
    walk.path.push_back(node);
    node = withData(node->children, 9, number.Level);
    if (!node || !expand(model, *node)) return walk;
    walk.path.push_back(node);
    node = withData(node->children, 10, indices.blockSet);
    if (!node || !expand(model, *node)) return walk;
    walk.path.push_back(node);
    RecordNode* block = withData(node->children, 11, indices.block);
    if (!block) return walk;
    walk.path.push_back(block);

    // The parcel's record first: without it the block keeps its children.
    TLN_MM_Parcel_Managenent_Record record;
    if (!map.FindParcel(number, false, record)) return walk;

    // The block's own parcels are not built: the walk replaces them with the one parcel at once.
    tree.RemoveChildren(*block);
    block->partialWalk = true;
    block->built = true;
    block->hasChildren = false;
    std::vector<std::unique_ptr<RecordNode>> added;
    RecordNode* parcel = nullptr;
    if (record.IsDivided()) {
        auto divided = MakeDividedParcelNode(*block, record, indices.parcel);
        TLN_MM_Parcel_Managenent_Record sub;
        if (divided->stream && map.ReadParcelInFile(divided->stream, number.Level, divided->fileName, sub,
                                                    false, indices.subParcel, divided->recordOffset)) {
            const int64_t data = -(int64_t(indices.subParcel) + 1);
            parcel = RecordNode::Adopt(*divided, MakeParcelNode(map, *divided, sub, indices.subParcel, data));
        }
        walk.path.push_back(divided.get());
        added.push_back(std::move(divided));
    } else {
        auto regular = MakeParcelNode(map, *block, record, indices.parcel, int64_t(indices.parcel) + 1);
        parcel = regular.get();
        added.push_back(std::move(regular));
    }
    tree.AddChildren(*block, std::move(added));
    if (!parcel) return walk;
    expand(model, *parcel);
    walk.parcel = parcel;
    return walk;
}
