// The record views of the index data's search frames: detailed search records (with their category and
// matching tables opened in the data grids and their next-level nodes by search kind), search frames of
// zones and next levels, and next-level entries.
#pragma once

#include <memory>
#include <vector>

class IndexTable;
class NodeKinds;
struct KindContext;
struct RecordNode;
struct TLN_Detailed_Info_Rec;

void ShowDetailedSearchRecord(KindContext& context, RecordNode& node); // kind 310
void ShowSearchFrame(KindContext& context, RecordNode& node);          // kind 320
void ShowNextLevel(KindContext& context, RecordNode& node);            // kinds 330 to 380

// The "Item " n nodes of the detailed search records of a search frame node (kind 320); none when its
// file is missing or its header does not read.
std::vector<std::unique_ptr<RecordNode>> SearchFrameItems(KindContext& context, RecordNode& frameNode);
// The next-level nodes of a detailed search record (item of kind 310) by its search kind, one per row of
// its category table (the row's index is the node's), then its "Degenerate Next Level" and "Next Level"
// search frames when the record has a next-level frame.
std::vector<std::unique_ptr<RecordNode>> NextLevelNodes(KindContext& context, const RecordNode& item,
                                                        const TLN_Detailed_Info_Rec& record,
                                                        IndexTable* category);

// The children the view of an index node adds when first shown (volume, POI, search frame, character
// information and detailed search records); none for other nodes.
std::vector<std::unique_ptr<RecordNode>> IndexViewChildren(KindContext& context, RecordNode& node);

// Attaches the views above to their kinds.
void RegisterIndexSearchViews(NodeKinds& table);
