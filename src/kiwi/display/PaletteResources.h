// The palettes "PAL_ETO", "PAL_ETG" (256 colours, 1030 bytes) and "PAL_ET4" (32 colours, 134 bytes) that
// bitmaps are matched against when they are copied as colour-table data. Their contents are this
// project's own (see PaletteResources.cpp); the form is the palette form of ColorTable.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/picture/ColorTable.h"

// The bytes of the named palette resource in the palette form; empty for an unknown name.
std::vector<uint8_t> PaletteResourceBytes(const std::string& name);
// The named palette read through ReadPaletteStream; false for an unknown name.
bool LoadPaletteResource(const std::string& name, TLN_Color_Table& out);
