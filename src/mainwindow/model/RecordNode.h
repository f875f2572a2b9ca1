// One node of the record tree: its kind, where its record lies, the reader its subtree reads through, and
// its children. Plain C++, so builders and views run and are tested without widgets.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "kiwi/io/Stream.h"
#include "mainwindow/model/HeldReader.h"

// Kind codes with a meaning of their own; every other code is one of the node kind table's.
inline constexpr int kKindInvalid = -1;
// A basic data frame of a kind no table names ("Unknown"): outside the ranges of real kinds.
inline constexpr int kKindUnknownFrame = 9000;

struct RecordNode {
    // The node kind (the kind table's code; kKindInvalid for a record that is not valid).
    int kind = 0;
    // The record's position in its parent's table ("Data"); some kinds store other values here.
    int64_t index = 0;
    QString caption;

    // Map level of the subtree (set by level nodes, inherited below).
    int32_t level = 0;
    // The stream of the file that holds the record; null when the node names a file instead.
    std::shared_ptr<TLN_Stream> stream;
    // Byte offset of the record in that stream: where the hex viewer goes on selection.
    int64_t recordOffset = 0;
    // The file to open for the hex viewer when the node has no stream.
    std::string fileName;
    // A value some record views keep per node.
    uint32_t extra = 0;
    // The reader the subtree reads through; the node that created it holds the first reference.
    HeldReader held;
    // Why a node captioned "  (Error)" is one (a missing file, the reader's reason); not inherited.
    QString error;

    // View context that the node kind table keeps in overloaded fields elsewhere.
    int64_t blockSetIndex = -1; // block nodes: the block set number
    int64_t frameSize = 0;      // parcel nodes: the frame size
    bool partialWalk = false;   // block nodes whose children were built for a walk to one parcel
    int indexDepth = 0;         // index data nodes: the next-level depth
    // Nodes below a parcel: where the parcel's main map data frame lies in stream and its size in bytes, so
    // that each frame's builder reads the parcel's frames again (from the map's cache). Inherited.
    int64_t parcelFrameAddress = -1;
    int64_t parcelFrameSize = 0;

    // The node can be expanded and its children are not built yet.
    bool hasChildren = false;
    // The builder ran (children attached, possibly none).
    bool built = false;
    // For a ". . . . ." node (a more-node of a paged list): the kind, caption and expandability of the
    // entry it stands for (its other fields are already the entry's), and the first index of the next page.
    // pagedKind 0: an ordinary node.
    int pagedKind = 0;
    QString pagedCaption;
    bool pagedHasChildren = false;
    int64_t pageNext = 0;

    RecordNode* parent = nullptr;
    std::vector<std::unique_ptr<RecordNode>> children;
    // The node's row among its siblings as the tree last numbered it (a hint: Row checks it first).
    int row = 0;

    // A new child that inherits level, stream, offset, file name, extra and the held reader from parent (or
    // starts empty when parent is null), with the given kind, caption and index. Not attached: builders
    // collect children in a list and attach them all at once on success.
    static std::unique_ptr<RecordNode> MakeChild(const RecordNode* parent, int kind, const QString& caption,
                                                 int64_t index = 0);
    // Row of this node among its parent's children (or among roots, given them); -1 when not found.
    int Row(const std::vector<std::unique_ptr<RecordNode>>& siblings) const;
    // Attaches child below parent at once: for builders whose children come with children of their own
    // ("its children are added with it"); marks parent built.
    static RecordNode* Adopt(RecordNode& parent, std::unique_ptr<RecordNode> child);

    bool IsMoreNode() const { return pagedKind != 0; }
    // True when node is this node or lies below it.
    bool Contains(const RecordNode* node) const;
    // Whether the tree should offer to expand the node: children attached, or a builder not yet run.
    bool Expandable() const { return !children.empty() || (hasChildren && !built); }
};
