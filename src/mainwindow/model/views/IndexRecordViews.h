// The record views of the index data's management records (INDEXDAT.KWI or the ALLDATA "Index" part): the
// data management frame header, volume and POI management records with their frames, individual expansion
// records, character information records and detailed POI records (whose table opens in the category
// grid). The views add the items below their records the first time they are shown.
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowIndexDataHeader(KindContext& context, RecordNode& node);           // kind 102
void ShowDataManagementFrameHeader(KindContext& context, RecordNode& node); // kind 1020
void ShowVolumeManagementRecord(KindContext& context, RecordNode& node);    // kind 300
void ShowPOIManagementRecord(KindContext& context, RecordNode& node);       // kind 301
void ShowExpansionFieldRecord(KindContext& context, RecordNode& node);      // kind 302
void ShowCharacterInfoRecord(KindContext& context, RecordNode& node);       // kind 303
void ShowDetailedPOIRecord(KindContext& context, RecordNode& node);         // kind 305

// Attaches the views above and the search views to their kinds.
void RegisterIndexViews(NodeKinds& table);
