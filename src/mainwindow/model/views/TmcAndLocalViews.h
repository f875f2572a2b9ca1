// The record views of the RDS-TMC data (management, regions, groups, locations, messages), of the
// localisation data (the frame and its areas) and of the sub-records of management header 32.
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowRdsTmcManagement(KindContext& context, RecordNode& node);     // kind 127
void ShowTmcRegion(KindContext& context, RecordNode& node);            // kind 2100
void ShowTmcGroup(KindContext& context, RecordNode& node);             // kind 2110
void ShowTmcLocation(KindContext& context, RecordNode& node);          // kind 2120
void ShowTmcMessage(KindContext& context, RecordNode& node);           // kinds 2180, 2190, 2200
void ShowManagementHeader32_5(KindContext& context, RecordNode& node); // kind 120
void ShowLocalizationFrame(KindContext& context, RecordNode& node);    // kind 129
void ShowAreaRecord(KindContext& context, RecordNode& node);           // kind 1600
void ShowManagementHeader32(KindContext& context, RecordNode& node);   // kind 180

// Attaches the views above to their kinds.
void RegisterTmcAndLocalViews(NodeKinds& table);
