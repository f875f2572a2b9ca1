// The record views of a parcel's background data frame: the frame's distribution header, an element
// management entry, a background type unit header and a minimum graphics data record.
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowBackgroundFrame(KindContext& context, RecordNode& node);    // kind 16
void ShowElementManagement(KindContext& context, RecordNode& node);  // kind 27
void ShowBackgroundTypeUnit(KindContext& context, RecordNode& node); // kind 28
void ShowMinimumGraphics(KindContext& context, RecordNode& node);    // kind 29

// Attaches the views above to their kinds.
void RegisterBackgroundViews(NodeKinds& table);
