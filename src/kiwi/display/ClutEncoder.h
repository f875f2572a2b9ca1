// Turning a bitmap back into CLUT run data matched against a palette resource, for the clipboard.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QImage>

// The registered clipboard format under which raw bytes are exchanged (hex viewer and picture copies).
inline constexpr char kBinaryDataClipboardFormat[] = "010 Editor Bynary Data";

// The CLUT layout (image data identification) and the longest run CopyBitmapAsCLUTData writes with a
// palette: "PAL_ET4" (32 colours) gives layout 2 words with runs of at most 255 pixels; the 256-colour
// palettes give layout 3 words (an 8-bit colour index) with runs of at most 7 pixels. {0, 0} for an
// unknown palette name.
struct TLN_CLUTEncoding {
    int Layout = 0;
    int MaxRun = 0;
};
TLN_CLUTEncoding CLUTEncodingForPalette(const std::string& paletteName);

// Maps every pixel to the nearest colour of the named palette resource (least sum of absolute red, green
// and blue differences; the first such colour on ties; alpha is ignored) and run-length encodes each row
// on its own, runs never crossing a row end. Returns the CLUT data bytes for the caller to put on the
// clipboard; empty for a null bitmap or an unknown palette.
std::vector<uint8_t> CopyBitmapAsCLUTData(const QImage& bitmap, const std::string& paletteName);
