// A parcel's data frames read once: the main map data frame (distribution header and every frame it
// references) in one read and the route guidance data frame in one more, kept in the map's span cache so
// that the map view, the record tree and the converter share them.
#pragma once

#include <cstdint>
#include <memory>

#include "kiwi/io/FrameSpan.h"
#include "kiwi/map/MainMapFrame.h"
#include "kiwi/map/MainMapRecords.h"

class TLN_KiwiMap;

struct TLN_Parcel_Frames {
    uint8_t Level = 0;
    std::shared_ptr<TLN_Stream> Stream;
    // The main map data frame as read (cut at the end of the stream).
    TLN_FrameSpan Parcel;
    // Whether the distribution header and its frame table could be read.
    bool HasHeader = false;
    TLN_MM_Distribution_Header Header;
    TLN_MM_Frame_Table Table;
    // The basic frames (roads, background, names) and the first extended frame (infrastructure links),
    // each cut at the end of the parcel's data; empty when absent or outside it.
    TLN_FrameSpan Road;
    TLN_FrameSpan Background;
    TLN_FrameSpan Name;
    TLN_FrameSpan InfraLink;
    // The route guidance data frame, its header and its first two basic frames (guidance data and
    // character strings).
    TLN_FrameSpan RouteGuidance;
    bool HasRouteGuidance = false;
    TLN_RG_Distribution_Header RouteGuidanceHeader;
    TLN_FrameSpan Guidance;
    TLN_FrameSpan Strings;

    // Frame reference i of the frame table (basic frames first, then extended), cut at the parcel's data.
    TLN_FrameSpan Frame(int index) const;
};

// Reads (or takes from the map's span cache) the frames of the parcel whose main map data frame lies at
// address in stream, size bytes long (the parcel record's address and size). Null when the frame cannot
// be read at all.
std::shared_ptr<const TLN_Parcel_Frames> LoadParcelFrames(TLN_KiwiMap& map,
                                                          const std::shared_ptr<TLN_Stream>& stream,
                                                          uint8_t level, int64_t address, uint32_t size);
// The same for a parcel record (undivided: a divided parcel's record has no frame).
std::shared_ptr<const TLN_Parcel_Frames> LoadParcelFrames(TLN_KiwiMap& map, uint8_t level,
                                                          const TLN_MM_Parcel_Managenent_Record& parcel);
