// The record views of the small files: LOADING.KWI (loading frame, system, module, unit), the CMP list of
// compressed files and COVERAGE.BIN.
#pragma once

#include <memory>

#include "mainwindow/model/FieldGrid.h"

class NodeKinds;
class TLN_CompressionManager;
struct TLN_Compression_Record;
struct KindContext;
struct RecordNode;

void ShowLoadingFrame(KindContext& context, RecordNode& node);     // kind 1
void ShowSystemInfo(KindContext& context, RecordNode& node);       // kind 2
void ShowModuleInfo(KindContext& context, RecordNode& node);       // kind 3
void ShowUnitInfo(KindContext& context, RecordNode& node);         // kind 2000
void ShowCompressionFrame(KindContext& context, RecordNode& node); // kind 4
void ShowCompressionInfo(KindContext& context, RecordNode& node);  // kind 5
void ShowCoverageInfo(KindContext& context, RecordNode& node);     // kind 1500
void ShowCoverageItem(KindContext& context, RecordNode& node);     // kind 1510

// The rows of an entry's packed blocks: "Address of Packed Block " + i, the block's address, "Size = " and
// its size. The entry is read once, here; each row asks the list for block i only.
RowTextProvider PackedBlockRowText(std::shared_ptr<TLN_CompressionManager> list,
                                   const TLN_Compression_Record& entry);

// Attaches the views above to their kinds.
void RegisterHeaderViews(NodeKinds& table);
