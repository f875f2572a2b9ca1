// Text dumps of the record tree for tests and the probe, and the crawl that expands and selects every
// node of a tree to a bounded depth and node count.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mainwindow/model/NodeKinds.h"
#include "mainwindow/model/RecordTree.h"

// One line for node: caption, kind, index, offset, the file-name part of its file name, whether it is
// expandable and the class of the reader it holds, e.g.
//   "Level 0" kind 9 index 0 offset 8222 file "" expandable 1 reader TLN_KiwiMap
std::string DumpNodeLine(const RecordNode& node);

struct CrawlOptions {
    // Nodes at this depth (roots are depth 0) are listed but not expanded.
    int maxDepth = 12;
    // The crawl stops after this many nodes.
    int maxNodes = 20000;
    // Nodes of this kind are listed but not expanded (0: none).
    int leaveClosed = 0;
    // Runs the show dispatch on every node (views read their records).
    bool select = true;
    // Called for each node after it was selected and expanded (before its children are visited), with
    // its depth and what the selection or the expansion raised ("select: ...", "expand: ..."; "" when
    // nothing).
    std::function<void(RecordNode& node, int depth, const std::string& error)> visit;
};

struct CrawlResult {
    int nodes = 0;
    int selectErrors = 0;
    int expandErrors = 0;
    // The node cap stopped the crawl.
    bool capped = false;
};

// Visits the tree depth first in row order: each node is selected, then expanded (a more-node turns its
// page, its later siblings are visited in turn), then its children are visited, down to maxDepth.
CrawlResult CrawlTree(RecordTree& tree, KindContext& context, const CrawlOptions& options);

// The tree's lines, indented by two blanks per depth, crawled with options (no selection unless asked).
std::string DumpTree(RecordTree& tree, KindContext& context, CrawlOptions options);

class ViewHostLog;
// The program's show of every node as text: the tree's lines as DumpTree writes them, every node selected,
// each followed (indented one step deeper) by its field grid rows ("| " + a DumpGrid line) and the lines
// of what its view asked of log, which must be context's host. Ends with the line
// "nodes N select errors S expand errors E" (+ " capped"). options.select and options.visit are replaced.
std::string DumpShownTree(RecordTree& tree, KindContext& context, ViewHostLog& log, CrawlOptions options);

struct OpenData;
struct OpenOutcome;
// An opened source as the probe and the tests look at it, with a field grid and a logging view host of its
// own (children that views add are attached to tree): with shown, DumpShownTree; else the tree's lines
// without selecting, then the same summary line. The grid is cleared before it returns.
std::string DumpSource(RecordTree& tree, OpenData& data, CrawlOptions options, bool shown);
// The opening's messages, one line each ("error: " or "information: " + the text, line breaks as blanks,
// folder written as "<dir>" so that the text does not depend on where the source lies).
std::string DumpOpenMessages(const OpenOutcome& outcome, const QString& folder);
