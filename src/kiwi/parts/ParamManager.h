// TLN_ParamManager: the reader of the KIWI parameters part (drawing parameters, colour palettes and
// landmark patterns).
#pragma once

#include <QImage>
#include <QList>
#include <QRgb>
#include <QVector>
#include <cstdint>
#include <string>
#include <vector>

#include "kiwi/parts/Manager.h"
#include "kiwi/parts/ParamRecords.h"

// The decoded landmark patterns of one pattern table, one image per pattern in list order.
struct TLN_LandmarkImageList {
    QList<QImage> Images;
    QList<uint16_t> Identifiers;
    QRgb TransparentColor = 0; // the day palette's entry 0, or 0 without a palette
    bool HasPalette = false;
    bool Truncated = false; // patterns left out: bytes past the stream or the pixel limit reached
    // Why patterns are left out ("" when none is): the view shows it.
    std::string Error;
};

class TLN_ParamManager : public TLN_Manager {
public:
    // More pattern tables than this end the landmark frame reading.
    static constexpr int kMaxPatternTables = 100;
    static constexpr int64_t kMaxPixelsPerImage = 16ll << 20;
    static constexpr int64_t kMaxPixelsPerList = 64ll << 20;

    // Opens the file (base 0); the header is read only when the file opened.
    explicit TLN_ParamManager(const std::string& fileName);
    // The part at offset of a shared stream.
    TLN_ParamManager(std::shared_ptr<TLN_Stream> stream, int64_t offset);

    int64_t HeaderSize() const { return headerSize_; }
    uint16_t NumberOfRecords() const { return numberOfRecords_; }
    int PointerCount() const { return int(pointers_.size()); }
    // Raises std::out_of_range for an index outside the pointers read.
    const TLN_ParamManagementPointer& GetManagementPointer(int index) const;

    // Each read returns whether the whole record lies in the stream.
    bool ReadManagementRecord(int64_t position, TLN_DrawingParamHeader& record) const;
    bool ReadFrameReference(int64_t position, TLN_FrameReference& record) const;
    bool ReadLandmarkDataFrame(int64_t position, TLN_LandmarkDataFrame& record) const;
    // Pattern table tableIndex of the landmark frame at framePosition, in layout 1, 2 or 3.
    bool ReadLandmarkPatternTable(int tableIndex, int64_t framePosition,
                                  TLN_LandmarkPatternTable& record) const;
    bool ReadLandmarkPatternTable2(int tableIndex, int64_t framePosition,
                                   TLN_LandmarkPatternTable2& record) const;
    bool ReadLandmarkPatternTable3(int tableIndex, int64_t framePosition,
                                   TLN_LandmarkPatternTable& record) const;

    // Palette number of colorCount colours from the colour palette table at tablePosition; empty when
    // the palette does not lie wholly in the stream.
    QVector<QRgb> CreateColorPalette(int paletteNumber, int colorCount, int64_t tablePosition) const;

    // One image per pattern of a layout 1 or 3 table with format flag 0 or 1 and 1, 4, 8, 16 or 32 bits
    // per pixel; anything else gives an empty list. Images are colour-key masked (see the .cpp).
    TLN_LandmarkImageList LoadLandmarkImages(const TLN_DrawingParamHeader& frame,
                                             const TLN_LandmarkPatternTable& table) const;

private:
    void ReadHeader();
    int64_t FindPatternTable(int tableIndex, int64_t framePosition) const;
    bool ReadPatternTable13(int layout, int tableIndex, int64_t framePosition,
                            TLN_LandmarkPatternTable& record) const;

    int64_t headerSize_ = 0;
    uint16_t numberOfRecords_ = 0;
    std::vector<TLN_ParamManagementPointer> pointers_;
};
