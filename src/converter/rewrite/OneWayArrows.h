// One-way arrow points from the road shapes of the most detailed level: each one-way road segment long
// enough gets an arrow at its middle, pointing along the road, unless the last arrow placed lies close by.
// The points join the imported records and are written as names on the added level.
#pragma once

#include <cstdint>

#include "converter/job/ConversionContext.h"
#include "converter/rewrite/ImportedOutlines.h"
#include "converter/rewrite/OutlineEncoding.h"
#include "kiwi/io/FrameSpan.h"

namespace rewrite {

class ArrowPlacer {
public:
    explicit ArrowPlacer(ImportedOutlines& outlines) : outlines_(outlines) {}
    // A segment from a to b in parcel units (0..4096 across rect).
    void AddArrowPoint(Step a, Step b, bool reversed, const ParcelRect& rect);
    // Whole degrees from north, clockwise; reversed turns it round.
    static uint16_t Bearing(Step a, Step b, bool reversed);

private:
    ImportedOutlines& outlines_;
    bool haveLast_ = false;
    building_data::Point last_;
};

// Hands the segments of the parcel's one-way roads (display classes from 6 on whose road type has bit 4)
// to the placer; only consecutive one-way nodes of a multilink are joined.
void WalkOneWayRoads(const TLN_FrameSpan& roads, const ParcelRect& rect, ArrowPlacer& placer);

// The run's arrow stage over the last level: every parcel met by a city area that the rectangle and
// state-border filters keep.
void CollectOneWayArrows(ConversionContext& c, ImportedOutlines& outlines);

} // namespace rewrite
