// The record views of ALLDATA.KWI's upper records: the data volume, the management header records and the
// main map data management header.
#pragma once

#include "mainwindow/model/views/ViewSupport.h"

class NodeKinds;
struct KindContext;
struct RecordNode;

// Kind 7: the data volume record with its identification records and level management information;
// nothing at all when no valid map is open.
void ShowDataVolume(KindContext& context, RecordNode& node);
// Kinds 100 to 170 without a view of their own: the management header record of the node's index, with
// the data volume chapter as its help.
void ShowManagementHeader(KindContext& context, RecordNode& node);
// The management header record of a management node (kinds 100 to 170) as the first rows of its view,
// with document as its help: "Management Header Record " + (index + 1), its address, size and file name,
// and "Management Address exceeds the file size !!!" for a part past the end of ALLDATA.KWI. Nodes of
// other kinds (the roots of files opened alone) are no management records: nothing is added for them.
void AddManagementHeaderRows(KindContext& context, RecordNode& node, HelpDocument document);
// Kind 100: the management header, then the main map data management header of the map's part.
void ShowMainMapDataManagement(KindContext& context, RecordNode& node);

// Attaches the views of the ALLDATA and main map management records (these and the main map's levels,
// block sets, blocks and parcels) to their kinds.
void RegisterManagementViews(NodeKinds& table);
