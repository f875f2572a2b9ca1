// What the main map's builders (and views) read through: the map a node's subtree holds, the level record
// of the node, the frames of the parcel a node lies in, and the parcel nodes the builders and the walk to a
// parcel make.
#pragma once

#include <memory>

#include "kiwi/frames/ParcelFrames.h"
#include "kiwi/map/KiwiMap.h"
#include "mainwindow/model/NodeKinds.h"

// The map held by node (inherited from the "Map Data" node), else the open map; null when neither.
inline TLN_KiwiMap* MapOf(KindContext& context, const RecordNode& node) {
    if (TLN_KiwiMap* map = node.held.As<TLN_KiwiMap>()) return map;
    return context.data.map.get();
}

// The level record of node's level; null for a level the map does not have.
inline const TLN_Level_Management_Record* LevelOf(const TLN_KiwiMap& map, const RecordNode& node) {
    return node.level >= 0 && node.level <= 255 ? map.Level(uint8_t(node.level)) : nullptr;
}

// The frames of the parcel node lies in (from the map's cache after the first read); null when the node
// lies in no parcel or its frame does not read.
inline std::shared_ptr<const TLN_Parcel_Frames> ParcelFramesOf(TLN_KiwiMap& map, const RecordNode& node) {
    if (node.parcelFrameAddress < 0 || node.parcelFrameSize <= 0 || node.parcelFrameSize > UINT32_MAX ||
        !LevelOf(map, node))
        return nullptr;
    return LoadParcelFrames(map, node.stream, uint8_t(node.level), node.parcelFrameAddress,
                            uint32_t(node.parcelFrameSize));
}

// A parcel node (kind 14, "Parcel n") for a parcel record: its offset is its main map data frame in the
// record's stream, and the frame's size is kept for its view and for the builders below it.
std::unique_ptr<RecordNode> MakeParcelNode(const TLN_KiwiMap& map, const RecordNode& parent,
                                           const TLN_MM_Parcel_Managenent_Record& parcel, uint32_t number,
                                           int64_t index);
// A divided parcel node (kind 12, "Divided Parcel n", Data n): a parcel record without a frame of its own,
// whose offset is its sub-parcels' parcel management information.
std::unique_ptr<RecordNode> MakeDividedParcelNode(const RecordNode& parent,
                                                  const TLN_MM_Parcel_Managenent_Record& parcel,
                                                  uint32_t number);

// The builders of the kinds below a parcel's frames (roads, background, names, route guidance and TMC
// infrastructure), registered by the main map family.
void RegisterParcelFrameKinds(NodeKinds& table);
