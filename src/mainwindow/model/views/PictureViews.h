// The record views of the picture data: the PCT2MNG.KWI list of managements, the image management header
// of a picture file (or of the ALLDATA "Graphic" part), palette sets, colour tables as swatches, image
// data records with their CLUT, GIF or BMP picture shown over the grid, and extended picture headers.
#pragma once

#include <string>

#include <QImage>

class NodeKinds;
class TLN_GraphicManager;
struct KindContext;
struct RecordNode;
struct TLN_ImageDataRecord;

void ShowImageManagementHeader(KindContext& context, RecordNode& node);      // kinds 105, 1310
void ShowPaletteSets(KindContext& context, RecordNode& node);                // kinds 1200, 1201
void ShowImageDataCount(KindContext& context, RecordNode& node);             // kind 1202
void ShowPaletteSet(KindContext& context, RecordNode& node);                 // kind 1210
void ShowColorTable(KindContext& context, RecordNode& node);                 // kind 1220
void ShowImageDataRecord(KindContext& context, RecordNode& node);            // kinds 1230, 1231
void ShowPictureAssignedManagements(KindContext& context, RecordNode& node); // kinds 130, 1300
void ShowExtendedPictureHeader(KindContext& context, RecordNode& node);      // kinds 126, 1315

// The picture of image i: a CLUT image decoded with classification 0, a GIF, or a BMP (at most the
// record's bytes are read, and a BMP too large to hold is not decoded); a null image for other types or
// data that do not decode, and for a GIF why in *why when given.
QImage ImageDataPicture(const TLN_GraphicManager& reader, int i, const TLN_ImageDataRecord& record,
                        std::string* why = nullptr);

// Attaches the views above to their kinds.
void RegisterPictureViews(NodeKinds& table);
