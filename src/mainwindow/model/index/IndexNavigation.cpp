// Walking from index table rows to record tree nodes.
#include "mainwindow/model/index/IndexNavigation.h"

#include "kiwi/index/IndexManager.h"
#include "mainwindow/model/index/IndexTable.h"
#include "mainwindow/model/views/IndexSearchViews.h"
#include "mainwindow/model/views/IndexViewSupport.h"

using namespace indexview;

namespace {

bool is(const std::string& kind, std::initializer_list<const char*> kinds) {
    for (const char* k : kinds)
        if (kind == k) return true;
    return false;
}

RecordNode* childAt(RecordNode& node, int64_t i) {
    return i >= 0 && size_t(i) < node.children.size() ? node.children[size_t(i)].get() : nullptr;
}

// The first "h"-marked hex digits of a field's text as a number ("0012AB34h..." → 0x0012AB34).
std::optional<int64_t> leadingHex(const QString& text, int digits) {
    if (text.size() < digits) return std::nullopt;
    bool ok = false;
    const qlonglong value = text.left(digits).toLongLong(&ok, 16);
    return ok ? std::optional<int64_t>(value) : std::nullopt;
}

} // namespace

RecordNode* IndexNavigation::beep() {
    context_.host.Beep();
    return nullptr;
}

void IndexNavigation::ensureChildren(RecordNode& node) {
    if (!node.children.empty()) return;
    auto children = IndexViewChildren(context_, node);
    if (children.empty()) return;
    node.hasChildren = true;
    tree_.AddChildren(node, std::move(children));
}

RecordNode* IndexNavigation::searchRecordOf(RecordNode* node) {
    for (RecordNode* at = node; at; at = at->parent)
        if (at->kind == kSearchItem && at->indexDepth == 0) return at;
    return nullptr;
}

std::string IndexNavigation::SearchKindOf(const RecordNode* node) {
    for (const RecordNode* at = node; at; at = at->parent) {
        if (at->kind != kSearchItem) continue;
        TLN_Detailed_Info_Rec record;
        return DetailedSearchRecordOf(context_, *at, record) ? record.DataDeclaration : std::string();
    }
    return {};
}

RecordNode* IndexNavigation::GotoNextLevelNode(RecordNode* node, int64_t i) {
    RecordNode* search = searchRecordOf(node);
    if (!search) return beep();
    ensureChildren(*search);
    RecordNode* next = nullptr;
    for (const auto& child : search->children)
        if (child->kind == kSearchFrame && child->caption == QStringLiteral("Next Level")) next = child.get();
    if (!next) return beep();
    ensureChildren(*next);
    RecordNode* target = childAt(*next, i);
    if (!target) return beep();
    // Its next levels are made again when it is shown.
    tree_.RemoveChildren(*target);
    return target;
}

RecordNode* IndexNavigation::GotoDegenerateNextLevel(RecordNode* node, int64_t i, int64_t address) {
    RecordNode* search = searchRecordOf(node);
    if (!search) return beep();
    ensureChildren(*search);
    RecordNode* level = nullptr;
    for (const auto& child : search->children)
        if (child->kind == kSearchFrame && child->recordOffset == address) level = child.get();
    if (!level) {
        auto added = RecordNode::MakeChild(search, kSearchFrame, QStringLiteral("Degenerate Next Level"),
                                           int64_t(search->children.size()));
        added->recordOffset = address;
        added->indexDepth = search->indexDepth + 1;
        level = added.get();
        search->hasChildren = true;
        std::vector<std::unique_ptr<RecordNode>> one;
        one.push_back(std::move(added));
        tree_.AddChildren(*search, std::move(one));
    }
    ensureChildren(*level);
    RecordNode* target = childAt(*level, i);
    return target ? target : beep();
}

RecordNode* IndexNavigation::GotoIndexDataItem(RecordNode* node, int64_t n) {
    RecordNode* root = node;
    while (root && root->kind != kIndexRoot && root->kind != kIndexPart)
        root = root->parent;
    const auto reader = root ? ReaderOf(context_, *root) : nullptr;
    if (!reader) return beep();
    RecordNode* poi = childAt(*root, int64_t(reader->VolumeCount()) + n - 1);
    if (!poi || poi->kind != kPOI) return beep();
    ensureChildren(*poi);
    RecordNode* first = childAt(*poi, 0);
    return first ? first : beep();
}

RecordNode* IndexNavigation::DoubleClick(IndexGrid grid, IndexTable* table, RecordNode* node, int64_t row) {
    if (!table || !node || row < 0 || row >= table->RecordCount()) return beep();
    const std::string kind = SearchKindOf(node);
    const auto value = [&](const char* name) { return table->FieldDWord(row, name); };
    if (grid == IndexGrid::Matching) {
        if (is(kind, {"SRHA", "SRFW", "SRME", "SRHZ"})) {
            const auto next = value("NXST");
            return next ? GotoNextLevelNode(node, *next) : beep();
        }
        if (is(kind, {"SRTN", "SRAR", "SRAL"})) {
            for (const char* field : {"POIO", "POIG", "POIC"})
                if (const auto poi = value(field)) return GotoIndexDataItem(node, *poi);
            return beep();
        }
        if (kind == "SRMX") {
            const auto next = value("NXST");
            const QString level = table->FieldText(row, "NXKD").value_or(QString());
            if (next && (level == QStringLiteral("5h") || level == QStringLiteral("3h") ||
                         level == QStringLiteral("0h"))) {
                TLN_Detailed_Info_Rec record;
                RecordNode* search = searchRecordOf(node);
                if (!search || !DetailedSearchRecordOf(context_, *search, record) ||
                    !record.NextLevel.Exists())
                    return beep();
                return GotoDegenerateNextLevel(node, value("NXCT").value_or(0),
                                               record.NextLevel.DataPosition + int64_t(*next) * 2);
            }
            if (const auto poi = value("RPNS")) return GotoIndexDataItem(node, *poi);
        }
        return beep();
    }
    // The category grid: a search record's next-level nodes stand one for each row, in order.
    if (is(kind, {"SRZN", "SRHA", "SRFW", "SRMX", "SRME", "SRNC", "SRAR", "SRAL", "SRAG", "SRTN", "SRBT",
                  "SRHG", "SRRP"})) {
        RecordNode* search = node->kind == kSearchItem ? node : nullptr;
        if (!search) return beep();
        ensureChildren(*search);
        for (const auto& child : search->children)
            if (child->index == row &&
                (child->kind != kSearchFrame || child->caption != QStringLiteral("Next Level")) &&
                child->caption != QStringLiteral("Degenerate Next Level"))
                return child.get();
        return beep();
    }
    ensureChildren(*node);
    RecordNode* item = childAt(*node, row);
    return item ? item : beep();
}

std::array<bool, 3> IndexNavigation::NextItems(IndexTable* table, int64_t row) {
    const auto level =
        table && row >= 0 && row < table->RecordCount() ? table->FieldText(row, "NXKD") : std::nullopt;
    if (!level) return {false, false, false};
    return {true, level->size() >= 4, level->size() >= 6};
}

RecordNode* IndexNavigation::NextLevel(IndexGrid grid, IndexTable* table, RecordNode* node, int64_t row,
                                       int level) {
    if (level <= 1) return DoubleClick(grid, table, node, row);
    const std::string kind = SearchKindOf(node);
    if (!table || !is(kind, {"SRHG", "SRHA"}) || !NextItems(table, row)[size_t(std::min(level, 3) - 1)])
        return beep();
    // The level's address: the first 8 hex digits of "NXST".
    const auto address = leadingHex(table->FieldText(row, "NXST").value_or(QString()), 8);
    RecordNode* search = searchRecordOf(node);
    TLN_Detailed_Info_Rec record;
    if (!address || !search || !DetailedSearchRecordOf(context_, *search, record) ||
        !record.NextLevel.Exists())
        return beep();
    return GotoDegenerateNextLevel(node, level - 1, record.NextLevel.DataPosition + *address * 2);
}
