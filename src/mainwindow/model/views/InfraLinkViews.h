// The record views of a parcel's TMC infrastructure link data frame: the frame's header and parcel
// infrastructure corresponding distribution header, an area's reference record, a mesh information record,
// the link count of a road type group, an infrastructure link data record and a road link corresponding
// record.
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowInfraLinkFrame(KindContext& context, RecordNode& node);        // kind 2300
void ShowInfraLinkReference(KindContext& context, RecordNode& node);    // kind 2310
void ShowMeshInformation(KindContext& context, RecordNode& node);       // kind 2320
void ShowInfraLinkCount(KindContext& context, RecordNode& node);        // kind 2330
void ShowInfraLinkRecord(KindContext& context, RecordNode& node);       // kind 2340
void ShowRoadLinkCorresponding(KindContext& context, RecordNode& node); // kind 2350

// Attaches the views above to their kinds.
void RegisterInfraLinkViews(NodeKinds& table);
