// The three built-in road colour palettes.
#include "kiwi/display/RoadPalettes.h"

// Index = road class 0..15.
const TLN_RoadPalette StartRoadPalette = {
    0x0000FF, 0x0000FF, 0x0000FF, 0x5769E8, 0x05E1E7, 0x67B6F5, 0x03C6D6, 0x808080,
    0xBEBEBE, 0x0000FF, 0x0000FF, 0x808080, 0x2DBFAD, 0x65CA00, 0x00A8A8, 0xC6C600,
};

const TLN_RoadPalette AisinRoadPalette = {
    0x0000FF, 0x0000FF, 0x0000FF, 0x5769E8, 0x05E1E7, 0x2D52FF, 0x05E8FA, 0x13E7EC,
    0xBEBEBE, 0x0000FF, 0x0000FF, 0x808080, 0x2DBFAD, 0x65CA00, 0x00A8A8, 0xC6C600,
};

const TLN_RoadPalette DensoRoadPalette = {
    0x0000FF, 0x0000FF, 0x0000FF, 0x9224FF, 0x05E1E7, 0xEBDA01, 0xF9D300, 0x808080,
    0xBEBEBE, 0x0000FF, 0x0000FF, 0x808080, 0x2DBFAD, 0x65CA00, 0x00A8A8, 0xC6C600,
};

TLN_Color RoadClassColor(const TLN_RoadPalette& palette, int64_t roadClass) {
    if (roadClass < 0 || roadClass >= static_cast<int64_t>(palette.size())) return palette[0];
    return palette[static_cast<std::size_t>(roadClass)];
}
