// The record views of a parcel's road data frame: the frame's distribution header, a road display class,
// a multilink and the connection of one of its nodes (with its additional node information, link shape
// data and street address record).
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowRoadFrame(KindContext& context, RecordNode& node);          // kind 15
void ShowRoadDisplayClass(KindContext& context, RecordNode& node);   // kind 23
void ShowMultiLink(KindContext& context, RecordNode& node);          // kind 25
void ShowLinkNodeConnection(KindContext& context, RecordNode& node); // kind 26

// Attaches the views above to their kinds.
void RegisterRoadViews(NodeKinds& table);
