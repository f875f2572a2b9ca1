// TLN_GraphicManager: the reader of one picture data file (or picture part): the image management
// distribution header, palette sets, colour tables and image data records, and the decoded pictures.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <QImage>

#include "kiwi/parts/Manager.h"
#include "kiwi/picture/ColorTable.h"

// Image management distribution header (38 bytes at the reader's base). Sizes in words, offsets are
// word offsets from the base.
struct TLN_ImageManagementHeader {
    uint16_t HeaderSize = 0;
    uint16_t PaletteSetRecordSize = 0;
    uint16_t TopPaletteSetID = 0;
    uint16_t TopColorTableID = 0;
    uint16_t TopImageDataID = 0;
    uint32_t PaletteSetFrameOffset = 0;
    uint16_t PaletteSetFrameSize = 0;
    uint32_t ColorTableFrameOffset = 0;
    uint16_t ColorTableFrameSize = 0;
    uint32_t ImageDataFrameOffset = 0;
    uint32_t ImageDataFrameSize = 0;
    // The fourth frame (image service information); its content is not read.
    uint32_t ServiceFrameOffset = 0;
    uint32_t ServiceFrameSize = 0;
};

// Image data types (bits 7-4 of the record's second byte).
enum TLN_ImageDataType : uint8_t {
    idtCLUT = 0,
    idtVector = 1,
    idtGIF = 2,
    idtBMP = 3,
    idtTIFF = 4,
    idtEPSF = 5,
    idtRIB = 6,
    idtJPEG = 7,
};

// One image data record with its place in the image data frame.
struct TLN_ImageDataRecord {
    int64_t Position = 0;       // byte position of the record
    uint32_t SizeWords = 0;     // the image's size in words, from the frame's table
    uint8_t DataType = 0;       // bits 7-4
    uint8_t Identification = 0; // bits 3-1: the pixel layout of a CLUT image
    bool RouteDataExists = false;
    uint32_t PaletteSetID = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint16_t XOffset = 0; // the two further words (offsets from the lower-left corner)
    uint16_t YOffset = 0;
    uint32_t RouteDataOffset = 0;   // word offset from the record; only with route data
    int64_t RouteDataPosition = -1; // -1 without route data or for an all-ones offset
    int64_t DataPosition = 0;       // the picture's data: after the 14 or 18 record bytes
};

using TLN_PaletteSet = std::array<uint8_t, 4>;

class TLN_GraphicManager : public TLN_Manager {
public:
    // Opens the named picture data file (base 0); raises EFOpenError when it cannot be opened.
    explicit TLN_GraphicManager(const std::string& fileName);
    // A picture part inside another stream, at base.
    TLN_GraphicManager(std::shared_ptr<TLN_Stream> stream, int64_t base);

    const TLN_ImageManagementHeader& Header() const { return header_; }

    // Counts as stored, bounded by the bytes of their frames that can hold the records.
    int PaletteSetCount() const { return paletteSetCount_; }
    int ColorTableCount() const { return colorTableCount_; }
    int ImageCount() const { return imageCount_; }
    // The counts as stored (0 when the frame or its count cannot be read).
    int StoredPaletteSetCount() const { return storedPaletteSetCount_; }
    int StoredColorTableCount() const { return storedColorTableCount_; }
    int StoredImageCount() const { return storedImageCount_; }
    // Why a frame's records cannot all be read ("" when they can): the frame or some of its records lie
    // past the end of the file (or of the frame). The records before them are still read.
    const std::string& PaletteSetsError() const { return paletteSetsError_; }
    const std::string& ColorTablesError() const { return colorTablesError_; }
    const std::string& ImagesError() const { return imagesError_; }
    // Why image i's record or the bytes its size gives do not lie wholly in the file ("" when they do).
    std::string ImageError(int i) const;

    // Byte positions of the three frames (-1 for an all-ones offset or a frame outside the stream).
    int64_t PaletteSetFramePosition() const { return paletteSetFrame_; }
    int64_t ColorTableFramePosition() const { return colorTableFrame_; }
    int64_t ImageDataFramePosition() const { return imageFrame_; }

    // The byte position of palette set i's classification bytes, -1 when i is out of range.
    int64_t PaletteSetPosition(int i) const;
    // Palette set i: the four colour-table classification bytes.
    bool ReadPaletteSet(int i, TLN_PaletteSet& out) const;
    // The byte position of colour table i, -1 when out of range or outside its frame.
    int64_t ColorTablePosition(int i) const;
    bool ReadCLUT(int i, TLN_Color_Table& out) const;
    bool ReadImageRecord(int i, TLN_ImageDataRecord& out) const;

    // Image i decoded as a CLUT picture with classification byte c (0-3) of its palette set; the record
    // tree passes 0. A null image when the image is no CLUT image, an ID or index is out of range, or
    // the pixels cannot be decoded (see DecodeClutPixels).
    QImage DecodeImage(int i, int classification) const;
    // Image i's data decoded as a GIF; a null image on any error, with the reason in *why when given.
    QImage LoadGIFImage(int i, std::string* why = nullptr) const;

private:
    void readHeader();
    int64_t framePosition(uint32_t wordOffset) const;

    TLN_ImageManagementHeader header_;
    int64_t streamSize_ = 0;
    int64_t paletteSetFrame_ = -1, paletteSetEnd_ = 0;
    int64_t colorTableFrame_ = -1, colorTableEnd_ = 0;
    int64_t imageFrame_ = -1, imageEnd_ = 0;
    int paletteSetCount_ = 0;
    int colorTableCount_ = 0;
    int imageCount_ = 0;
    int storedPaletteSetCount_ = 0;
    int storedColorTableCount_ = 0;
    int storedImageCount_ = 0;
    std::string paletteSetsError_, colorTablesError_, imagesError_;
    // The readable records of the frame at position (declared by its first word) and why the others are
    // not, into count and error; its stored count is returned.
    int countFrame(const char* frameName, uint32_t wordOffset, uint32_t frameWords, int64_t position,
                   int64_t end, int64_t stride, int64_t recordBytes, int& count, std::string& error) const;
};
