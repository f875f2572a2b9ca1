// Paging of a long list of record-tree entries (the regions of a level, the images of a picture file): a
// page holds at most 500 entries and, when entries remain after it, its last node is the ". . . . ."
// more-node that stands for the entry at its place and brings the next page when selected or expanded.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "mainwindow/model/RecordNode.h"

namespace paging {

inline constexpr int64_t kPageSize = 500;
inline constexpr const char* kMoreCaption = ". . . . .";

// Makes entry `index` of the list as an ordinary node (kind, caption, offset, expandability), not attached.
using EntryMaker = std::function<std::unique_ptr<RecordNode>(int64_t index)>;

} // namespace paging

// Builds one page of a list of `total` entries into out.
//  - more == nullptr: the first page, entries 0 onward: out becomes the list node's children.
//  - more = a more-node of this list: the page after it, entries more->index + 1 onward, goes to out, to be
//    inserted as more's siblings right after it; more itself becomes the entry it stands for (its kind,
//    caption, offset and so on from makeEntry; its parent, children and built flag stay). It is changed
//    only after every node of the page was made, so a maker that throws leaves it as it was.
// A page holds min(500, entries left) nodes; when entries remain after it, its last node becomes a
// more-node: caption ". . . . .", kind moreKind, pagedKind = the entry's kind, the entry's index and
// offset, expandable. A more-node whose index lies outside the list raises std::out_of_range.
void AddPage(RecordNode* more, int64_t total, int moreKind, const paging::EntryMaker& makeEntry,
             std::vector<std::unique_ptr<RecordNode>>& out);
