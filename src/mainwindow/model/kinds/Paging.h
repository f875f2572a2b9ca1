// Paging of long lists in the record tree: a page of at most 500 entries whose last entry becomes the
// ". . . . ." more-node while entries remain after it; selecting or expanding that node turns it back into
// its entry and adds the next page after it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "mainwindow/model/RecordNode.h"

inline constexpr int64_t kPageSize = 500;
inline const QString kMoreNodeCaption = QStringLiteral(". . . . .");

// Makes the node of entry index of a list (with its kind, caption, offset and expandability); nullptr for
// an entry whose record does not read (the index still counts towards the page).
using PageEntryMaker = std::function<std::unique_ptr<RecordNode>(int64_t index)>;

// Appends to out the entries first .. first + 499 of a list of total entries (fewer at its end). When
// entries remain after the page (first + 500 < total), the last node of the page becomes a more-node of
// moreKind. The builder of the list's parent calls it with first = 0; the builder registered for moreKind
// (called with the more-node) calls it with first = more.pageNext, making the entries as siblings of the
// more-node (children of more.parent), and the tree inserts them after it.
void AddPage(int64_t first, int64_t total, int moreKind, const PageEntryMaker& make,
             std::vector<std::unique_ptr<RecordNode>>& out);

// Turns a node into the more-node of moreKind standing for its own entry; next = the first index of the
// page after it.
void MakeMoreNode(RecordNode& node, int moreKind, int64_t next);
// Turns a more-node back into the entry it stands for.
void RestorePagedEntry(RecordNode& node);
