// What the kind families of the data parts share: row registration and the steps of making children.
#include "mainwindow/model/kinds/FamilyBuilders.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/io/WholeRead.h"

namespace family {

void RegisterRow(NodeKinds& table, int kind, const char* viewName, BuilderFn builder) {
    if (!table.Has(kind)) {
        table.Register(KindInfo{kind, viewName, {}, std::move(builder)});
        return;
    }
    KindInfo row = table.Rows().at(kind);
    if (!row.builder) row.builder = std::move(builder);
    if (std::strcmp(row.viewName, KindInfo().viewName) == 0) row.viewName = viewName;
    table.Register(std::move(row));
}

const RecordNode& ParentOf(const RecordNode& node) {
    if (!node.parent) throw std::logic_error("the record lies under a node that is not in the tree");
    return *node.parent;
}

QString Numbered(const char* text, int64_t n) {
    return QString::fromUtf8(text) + QString::number(n);
}

std::unique_ptr<RecordNode> Child(const RecordNode& parent, int kind, const QString& caption, int64_t index,
                                  int64_t recordOffset, bool expandable) {
    auto child = RecordNode::MakeChild(&parent, kind, caption, index);
    child->recordOffset = recordOffset;
    child->hasChildren = expandable;
    return child;
}

namespace {

void markError(RecordNode& node, const QString& text) {
    if (node.error.split(u'\n').contains(text)) return;
    node.error = node.error.isEmpty() ? text : node.error + u'\n' + text;
    const QString mark = QStringLiteral("  (Error)");
    if (!node.caption.endsWith(mark)) node.caption += mark;
}

} // namespace

void MarkError(RecordNode& node, const std::string& reason) {
    if (!reason.empty()) markError(node, QString::fromStdString(reason));
}

void MarkError(RecordNode& node, const Failure& reason) {
    if (reason) markError(node, RussianReason(reason));
}

Failure ShortRecord(TLN_Stream& stream, const std::string& what, int64_t position, int64_t bytes) {
    if (position < 0 || bytes <= 0) return {};
    const int64_t held = std::clamp<int64_t>(stream.Size() - position, 0, bytes);
    if (held == bytes) return {};
    return whole::Short(stream, what, position, bytes, held);
}

void AttachBuilt(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) {
    for (auto& child : children)
        RecordNode::Adopt(node, std::move(child));
    node.built = true;
    node.hasChildren = !node.children.empty();
}

} // namespace family
