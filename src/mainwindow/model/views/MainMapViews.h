// The record views of the main map's management data below "Map Data": level, block set, block, divided
// parcel and the main map distribution header of a parcel, with the row providers of the block and parcel
// lists.
#pragma once

#include <cstdint>
#include <memory>

#include "mainwindow/model/FieldGrid.h"

class NodeKinds;
class TLN_KiwiMap;
class TLN_Stream;
struct KindContext;
struct RecordNode;

void ShowLevelRecord(KindContext& context, RecordNode& node);      // kind 9
void ShowBlockSetRecord(KindContext& context, RecordNode& node);   // kind 10
void ShowBlockRecord(KindContext& context, RecordNode& node);      // kind 11
void ShowParcelManagement(KindContext& context, RecordNode& node); // kind 12
void ShowMainMapHeader(KindContext& context, RecordNode& node);    // kind 14

// The rows of a block set's blocks: "Block " + i with the address and size of its parcel management
// information, or "Block " + i alone when its record does not read. Each row's record is read once for
// its three cells.
RowTextProvider BlockRowText(std::shared_ptr<TLN_KiwiMap> map, uint8_t level, uint32_t blockSet);
// The rows of the parcel list of the parcel management information at position in stream: "Parcel " + i
// with the address and size of its main map data frame, or "Parcel " + i alone.
RowTextProvider ParcelRowText(std::shared_ptr<TLN_KiwiMap> map, uint8_t level,
                              std::shared_ptr<TLN_Stream> stream, int64_t position);

// Attaches the views above to their kinds.
void RegisterMainMapManagementViews(NodeKinds& table);
