// Paging of long record-tree lists with the ". . . . ." more-node.
#include "mainwindow/model/kinds/PagedList.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

// more takes over everything of entry but its place in the tree.
void becomeEntry(RecordNode& more, std::unique_ptr<RecordNode> entry) {
    RecordNode* parent = more.parent;
    auto children = std::move(more.children);
    const bool built = more.built;
    more = std::move(*entry);
    more.parent = parent;
    more.children = std::move(children);
    more.built = built;
    more.pagedKind = 0;
}

} // namespace

void AddPage(RecordNode* more, int64_t total, int moreKind, const paging::EntryMaker& makeEntry,
             std::vector<std::unique_ptr<RecordNode>>& out) {
    std::unique_ptr<RecordNode> entry;
    int64_t first = 0;
    if (more) {
        if (more->index < 0 || more->index >= total)
            throw std::out_of_range("the list has no entry " + std::to_string(more->index));
        entry = makeEntry(more->index);
        first = more->index + 1;
    }
    const int64_t count = std::clamp<int64_t>(total - first, 0, paging::kPageSize);
    std::vector<std::unique_ptr<RecordNode>> page;
    page.reserve(size_t(count));
    for (int64_t i = first; i < first + count; ++i)
        page.push_back(makeEntry(i));
    // Entries remain after the page: its last node brings the next one.
    if (count > 0 && first + count < total) {
        RecordNode& last = *page.back();
        last.pagedKind = last.kind;
        last.kind = moreKind;
        last.caption = QString::fromLatin1(paging::kMoreCaption);
        last.hasChildren = true;
    }
    if (more) becomeEntry(*more, std::move(entry));
    for (auto& node : page)
        out.push_back(std::move(node));
}
