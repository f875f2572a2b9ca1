// The record views of the route planning data (REGION.KWI or the ALLDATA "Region" part): the distribution
// header, level records, region records with their route planning frame headers, route nodes and links.
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowRegionHeader(KindContext& context, RecordNode& node);    // kinds 1400, 101
void ShowRegionLevel(KindContext& context, RecordNode& node);     // kind 1410
void ShowRegionRecord(KindContext& context, RecordNode& node);    // kinds 1420, 1421
void ShowRouteNodeRecord(KindContext& context, RecordNode& node); // kind 1430
void ShowRouteLinkRecord(KindContext& context, RecordNode& node); // kind 1440

// Attaches the views above to their kinds.
void RegisterRegionViews(NodeKinds& table);
