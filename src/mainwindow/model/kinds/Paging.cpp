// Paging of long lists: pages of 500 entries and the more-node that stands for the last one.
#include "mainwindow/model/kinds/Paging.h"

#include <algorithm>

void AddPage(int64_t first, int64_t total, int moreKind, const PageEntryMaker& make,
             std::vector<std::unique_ptr<RecordNode>>& out) {
    if (first < 0 || first >= total) return;
    const int64_t end = std::min(total, first + kPageSize);
    RecordNode* last = nullptr;
    for (int64_t index = first; index < end; ++index) {
        std::unique_ptr<RecordNode> node = make(index);
        if (!node) continue;
        last = node.get();
        out.push_back(std::move(node));
    }
    // Only when entries remain: a page that reaches the end of the list keeps its last entry (a list of
    // 501 entries shows entry 500 after the first page turns).
    if (last && end < total) MakeMoreNode(*last, moreKind, end);
}

void MakeMoreNode(RecordNode& node, int moreKind, int64_t next) {
    node.pagedKind = node.kind;
    node.pagedCaption = node.caption;
    node.pagedHasChildren = node.hasChildren;
    node.pageNext = next;
    node.kind = moreKind;
    node.caption = kMoreNodeCaption;
    // The more-node is expandable so that expanding it turns the page, whatever its entry is.
    node.hasChildren = true;
}

void RestorePagedEntry(RecordNode& node) {
    if (!node.IsMoreNode()) return;
    node.kind = node.pagedKind;
    node.caption = node.pagedCaption;
    node.hasChildren = node.pagedHasChildren;
    node.pagedKind = 0;
    node.pagedCaption.clear();
    node.pagedHasChildren = false;
    node.pageNext = 0;
}
