// The record views of a parcel's route guidance data: the route guidance distribution header, the
// guidance data frame with its toward name, direction indicator and road structure records, and the
// character string data frame with its records (whose natural voice data plays through the host).
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowRouteGuidanceHeader(KindContext& context, RecordNode& node); // kind 40
void ShowGuidanceFrame(KindContext& context, RecordNode& node);       // kind 41
void ShowStringFrame(KindContext& context, RecordNode& node);         // kind 42
void ShowStringRecord(KindContext& context, RecordNode& node);        // kind 46
void ShowTowardName(KindContext& context, RecordNode& node);          // kind 433
void ShowDirectionIndicator(KindContext& context, RecordNode& node);  // kind 435
void ShowRoadStructure(KindContext& context, RecordNode& node);       // kind 436

// Attaches the views above to their kinds.
void RegisterGuidanceViews(NodeKinds& table);
