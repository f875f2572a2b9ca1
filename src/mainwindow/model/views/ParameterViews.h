// The record views of the parameter data (the ALLDATA "Parameters" part or a parameter file listed in
// PCT2MNG.KWI): distribution header, management records, colour palettes and landmark frames with their
// pattern tables (patterns shown as images in the grid).
#pragma once

class NodeKinds;
struct KindContext;
struct RecordNode;

void ShowAllDataParametersHeader(KindContext& context, RecordNode& node); // kind 103
void ShowParametersHeader(KindContext& context, RecordNode& node);        // kind 1320
void ShowParameterManagement(KindContext& context, RecordNode& node);     // kind 190
void ShowColorPaletteTable(KindContext& context, RecordNode& node);       // kind 191
void ShowColor(KindContext& context, RecordNode& node);                   // kind 192
void ShowLandmarkDataFrame(KindContext& context, RecordNode& node);       // kinds 194, 196, 198
void ShowLandmarkPatternTable(KindContext& context, RecordNode& node);    // kind 195
void ShowLandmarkPatternTable2(KindContext& context, RecordNode& node);   // kind 197
void ShowLandmarkPatternTable3(KindContext& context, RecordNode& node);   // kind 199

// Attaches the views above to their kinds.
void RegisterParameterViews(NodeKinds& table);
