// The record views of a parcel's name data frame: the frame's distribution header, a name data
// management entry and a name data record with its string.
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowNameFrame(KindContext& context, RecordNode& node);      // kind 17
void ShowNameManagement(KindContext& context, RecordNode& node); // kind 30
void ShowNameRecord(KindContext& context, RecordNode& node);     // kind 31

// Attaches the views above to their kinds.
void RegisterNameViews(NodeKinds& table);
