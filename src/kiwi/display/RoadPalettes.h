// The built-in road colour palettes: one Windows colour value per road class 0..15.
#pragma once

#include <array>
#include <cstdint>

#include "kiwi/core/KiwiPrimitives.h"

using TLN_RoadPalette = std::array<TLN_Color, 16>;

// The palette the map view starts with ("Default ZRV").
extern const TLN_RoadPalette StartRoadPalette;
// "Default AISIN".
extern const TLN_RoadPalette AisinRoadPalette;
// "Default DENSO".
extern const TLN_RoadPalette DensoRoadPalette;

// The colour of a road class read from a file; classes past the palette take the colour of the
// reserved class 0.
TLN_Color RoadClassColor(const TLN_RoadPalette& palette, int64_t roadClass);
