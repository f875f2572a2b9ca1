// The children of an "ALL DATA" root: one node per management header record of the data volume, with the
// readers of the parts that their subtrees read through.
#pragma once

#include <memory>
#include <vector>

#include "kiwi/parts/ManagementHeader.h"
#include "mainwindow/model/NodeKinds.h"

class TLN_KiwiMap;

// The names of management header records 0 to 6 ("Map", "Region", ...; " Data" and " Data Management"
// follow them in captions and headers).
extern const char* const kManagementPartNames[7];

// True when a management header names no file of its own and its address lies at or beyond the end of
// the ALLDATA stream: the node's caption gets "  (Error)" and its view says the address exceeds the file.
bool ManagementAddressBeyondEnd(const TLN_KiwiMap& map, const TLN_Management_Header& header);

// AddAllDataNodes: walks the 64 management headers of the map held by node (or of the open map), skipping
// absent ones, and appends their nodes to out. A part reader that cannot be created (its constructor
// throws) marks that node "(Error)"; the walk goes on.
void AddAllDataNodes(KindContext& context, RecordNode& node, std::vector<std::unique_ptr<RecordNode>>& out);
