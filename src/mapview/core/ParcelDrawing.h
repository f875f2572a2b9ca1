// What the map view draws of one parcel, decoded once from its data frames: background figures with their
// styles, road polylines with their class codes, names with their placement fields, infrastructure link
// polylines and route planning references. Points are viewer units from the parcel's lower left corner,
// so one decoding serves every origin and zoom of the level.
#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "kiwi/display/BackgroundStyles.h"
#include "kiwi/frames/MapString.h"
#include "kiwi/map/MainMapFrame.h"

struct TLN_Parcel_Frames;
struct TLN_Level_Management_Record;

// The smallest box holding a run of points (viewer units, Y up, edges included).
struct LocalBox {
    int32_t minX = 0, minY = 0, maxX = -1, maxY = -1;
    void Add(QPoint p);
};

struct DrawnFigure {
    uint32_t first = 0;
    uint32_t count = 0;
    // 1 line, 2 area (points draw nothing and are not kept).
    uint8_t shape = 0;
    uint16_t style = 0;
    LocalBox box;
};

struct DrawnLine {
    uint32_t first = 0;
    uint32_t count = 0;
    // The road display class code (roads); 0 for infrastructure links.
    uint16_t classCode = 0;
    LocalBox box;
};

struct DrawnName {
    QPoint anchor;
    uint8_t type = 0;
    uint16_t typeCode = 0;
    QString text;
    // String type 2: the anchor's offsets; 2, 3 and 6: the multiplication constant.
    int8_t offsetX = 0;
    int8_t offsetY = 0;
    uint8_t shift = 0;
    // String type 5: degrees; 90 is text along the X axis.
    uint16_t angle = 0;
    // String type 6: 0 above, 1 below, 2 left, 3 right.
    uint8_t placement = 0;
};

struct ParcelDrawing {
    std::vector<QPoint> points;
    std::vector<TLN_CanvasStyle> styles;
    std::vector<DrawnFigure> figures;
    std::vector<DrawnLine> roads;
    std::vector<DrawnName> names;
    std::vector<DrawnName> objectNames;
    std::vector<DrawnLine> links;
    std::vector<TLN_Route_Region> regions;

    // Bytes held, for the cache's budget.
    size_t Bytes() const;
};

// What decides a decoding besides the frames: the element filter (display scale flags let through), the
// layers to decode, the text code pages, the name language and the data volume's system number.
struct ParcelDecodeOptions {
    uint8_t filter = 31;
    int layers = 7;
    TLN_TextPages pages;
    uint32_t language = 0;
    uint32_t systemNumber = 0;
};

// The background display class code of class index i: the level's list, or without lists the built-in
// list 31, 30, ..., 0 that the roads use too.
uint16_t BackgroundClassCode(const TLN_Level_Management_Record& level, int i);
uint16_t RoadClassCode(const TLN_Level_Management_Record& level, int i);
// Whether a background class is drawn at all and which filter its figures take.
bool BackgroundClassDrawn(uint16_t classCode);
uint8_t BackgroundClassFilter(uint16_t classCode, uint8_t filter);

std::shared_ptr<const ParcelDrawing> DecodeParcelDrawing(const TLN_Parcel_Frames& frames,
                                                         const TLN_Level_Management_Record& level,
                                                         const ParcelDecodeOptions& options);
