// Fixture builder for picture data: CLUT runs, GIFs made with giflib's encoder, picture data files,
// "PCT2MNG.KWI" lists and expansion picture headers, and the standard picture set used by the unit tests
// and kiwiprobe's generator.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <QImage>

namespace fixture {

// One run unit of a CLUT layout (1: a byte, 2 and 3: big-endian words); length 1 and up.
std::vector<uint8_t> clutUnit(int layout, uint32_t colorIndex, uint32_t length);
// The fixture's own run encoder: each row on its own, runs as long as the layout allows.
std::vector<uint8_t> clutRuns(int layout, int width, int height, const std::vector<int>& indices);

// A GIF89a of width × height colour indices over colours (0xRRGGBB, padded to a power of two), with a
// graphics control block naming transparentIndex when it is 0 or more.
std::vector<uint8_t> makeGif(int width, int height, const std::vector<int>& indices,
                             const std::vector<uint32_t>& colours, int transparentIndex,
                             bool interlaced = false);

struct PictureColorTable {
    uint16_t clear = 0;
    uint16_t transparent = 0xFFFF;
    std::vector<uint32_t> colours; // 0xRRGGBB
    int storedCount = -1;          // the count written; -1: colours.size()
};

struct PictureImage {
    uint8_t type = 0;
    uint8_t identification = 1;
    bool route = false;
    uint32_t routeOffset = 0;
    uint32_t paletteSetId = 0;
    uint16_t width = 0, height = 0, xOffset = 0, yOffset = 0;
    std::vector<uint8_t> data;
};

struct PictureFile {
    uint16_t topPaletteSetId = 0, topColorTableId = 0, topImageId = 0;
    uint16_t paletteSetRecordWords = 2;
    std::vector<std::array<uint8_t, 4>> paletteSets;
    std::vector<PictureColorTable> tables;
    std::vector<PictureImage> images;
    // Counts written in the frames; -1: the real counts.
    int storedPaletteSetCount = -1, storedTableCount = -1, storedImageCount = -1;
};

// Header (38 bytes, padded to 40), palette set frame, colour table frame (index then tables), image data
// frame (index then records, each padded to a word).
std::vector<uint8_t> buildPictureFile(const PictureFile& file);

// "PCT2MNG.KWI": the signature 00 03 00 0C, the count (storedCount, or the number of entries), and 24-byte
// entries {u32 flags, 4 zero bytes, 12-byte name}.
std::vector<uint8_t> buildPct2Mng(const std::vector<std::pair<uint32_t, std::string>>& entries,
                                  int storedCount = -1);

struct ExpansionHeader {
    int32_t latitude = 0, longitude = 0;
    uint8_t floor = 0;
    uint16_t date = 0, usage = 0, dataCode = 0, equipment = 0;
    uint32_t dataOffsetWords = 0;
    uint16_t dataSizeWords = 0;
};
std::vector<uint8_t> buildExpansionPicture(const ExpansionHeader& header, const std::vector<uint8_t>& data);

// The expected picture: each pixel the colour colours[index] opaque, transparent for -1, an index past
// the colours, or a colour equal to transparentColour (when given, 0xRRGGBB).
QImage expectedImage(int width, int height, const std::vector<int>& indices,
                     const std::vector<uint32_t>& colours, int64_t transparentColour = -1);

// The standard set: images of every CLUT layout, GIFs with and without transparency, hostile records.
struct StandardImage {
    std::string what;
    // The expected DecodeImage(i, 0) (CLUT) or LoadGIFImage(i) (GIF) result; null when none.
    QImage expected;
};
struct StandardPictureSet {
    PictureFile main;   // "PICT0001.KWI"
    PictureFile second; // stored as "pict0002.kwi", listed as "PICT0002.KWI"
    std::vector<StandardImage> mainImages;
    std::vector<StandardImage> secondImages;
    ExpansionHeader expansion; // "EXPCT001.KWI"
    std::vector<std::pair<uint32_t, std::string>> list;
};
const StandardPictureSet& standardPictureSet();
// Writes PCT2MNG.KWI, PICT0001.KWI, pict0002.kwi and EXPCT001.KWI into folder.
void writeStandardPictureSet(const std::string& folder);

} // namespace fixture
