// The children of an "ALL DATA" root: one node per management header record of the data volume, with the
// readers of the parts that their subtrees read through.
#pragma once

#include <memory>
#include <vector>

#include "mainwindow/model/NodeKinds.h"

// AddAllDataNodes: walks the 64 management headers of the map held by node (or of the open map), skipping
// absent ones, and appends their nodes to out. A part reader that cannot be created (its constructor
// throws) marks that node "(Error)"; the walk goes on.
void AddAllDataNodes(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out);
