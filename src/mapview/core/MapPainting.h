// The renderer's inner parts: a draw entry (one parcel or sub-parcel to draw), the paint context that turns
// an entry's viewer units into client pixels and culls what lies outside the area to repaint, and the
// painters of each layer and of one name.
#pragma once

#include <QPoint>
#include <QRect>
#include <memory>
#include <vector>

#include "kiwi/frames/ParcelFrames.h"
#include "mapview/core/MapCanvas.h"
#include "mapview/core/MapRenderView.h"
#include "mapview/core/MapViewState.h"
#include "mapview/core/ParcelDrawing.h"

struct DrawEntry {
    int64_t address = -1;
    std::shared_ptr<TLN_Stream> stream;
    uint32_t size = 0;
    // The lower left corner of the parcel's block, and the cell (a whole parcel, or a sub-parcel's share).
    int64_t blockX = 0;
    int64_t blockY = 0;
    int64_t cellWidth = 4096;
    int64_t cellHeight = 4096;
    // Null when the parcel's frame could not be read: nothing of it is drawn. Held only until the parcel is
    // decoded, so that a paint of many parcels keeps their drawings and not their bytes.
    std::shared_ptr<const TLN_Parcel_Frames> frames;
    // The frame table's flags word (identifier, sub-parcel place), which the grid needs.
    uint16_t flags = 0;
    std::shared_ptr<const ParcelDrawing> drawing;
    // The parcel's own lower left corner: the block's plus its location codes in whole parcels.
    int64_t cornerX = 0;
    int64_t cornerY = 0;
};

class PaintContext {
public:
    PaintContext(MapCanvas& canvas, const QRect& clip, const MapRenderView& view);

    MapCanvas& canvas;
    const QRect clip;
    const MapRenderView& view;

    // The client pixel of a point given in viewer units from an entry's corner.
    QPoint Pixel(const DrawEntry& entry, QPoint local) const {
        return QPoint(int(FloorDiv(entry.cornerX - view.originX + local.x(), upp_)),
                      int(view.height - FloorDiv(entry.cornerY - view.originY + local.y(), upp_)));
    }
    // Whether a box of an entry, widened by margin pixels, meets the area to repaint.
    bool Visible(const DrawEntry& entry, const LocalBox& box, int margin) const;
    // Where patterns start: the client pixel of the level's lower left corner.
    QPoint BrushOrigin() const { return brushOrigin_; }
    // Client pixels of a run of an entry's points, in a buffer reused from call to call.
    const std::vector<QPoint>& Pixels(const DrawEntry& entry, uint32_t first, uint32_t count);

private:
    int64_t upp_;
    QPoint brushOrigin_;
    std::vector<QPoint> buffer_;
};

// Layer painters over one entry's decoded parcel.
void PaintFigures(PaintContext& context, const DrawEntry& entry);
void PaintRoads(PaintContext& context, const DrawEntry& entry);
void PaintNames(PaintContext& context, const DrawEntry& entry, const std::vector<DrawnName>& names);
void PaintLinks(PaintContext& context, const DrawEntry& entry);

// One name at a client pixel anchor, by its string type.
void PaintName(MapCanvas& canvas, QPoint anchor, const DrawnName& name, const std::vector<QImage>* icons);
// The image list index of a string type 6 name's icon; -1 for none.
int NameIconIndex(uint16_t typeCode);
// The one-way arrow turned by degrees, its turned corners transparent.
QImage OneWayArrow(int degrees);
