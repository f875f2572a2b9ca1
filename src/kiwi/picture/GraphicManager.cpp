// Picture data reader.
#include "kiwi/picture/GraphicManager.h"

#include <algorithm>
#include <vector>

#include "kiwi/core/BeCursor.h"
#include "kiwi/core/KiwiConversions.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"
#include "kiwi/picture/ClutImage.h"
#include "kiwi/picture/GifPicture.h"

namespace {
constexpr int kHeaderBytes = 38;
constexpr int kRecordBytes = 14;
constexpr int kRouteRecordBytes = 18;

uint16_t readWord(TLN_Stream& stream, int64_t position, int64_t end) {
    uint8_t bytes[2];
    if (position < 0 || end - position < 2 || bounded::readInto(stream, position, bytes, 2) != 2) return 0;
    return BeCursor(bytes, sizeof bytes).u16(0);
}
} // namespace

TLN_GraphicManager::TLN_GraphicManager(const std::string& fileName) : TLN_Manager(fileName) {
    readHeader();
}

TLN_GraphicManager::TLN_GraphicManager(std::shared_ptr<TLN_Stream> stream, int64_t base)
    : TLN_Manager(std::move(stream), base) {
    readHeader();
}

int64_t TLN_GraphicManager::framePosition(uint32_t wordOffset) const {
    const int64_t position = WordOffsetToPosition(wordOffset, base_);
    return position < streamSize_ ? position : -1;
}

void TLN_GraphicManager::readHeader() {
    if (!valid_) return;
    try {
        streamSize_ = stream_->Size();
        uint8_t bytes[kHeaderBytes];
        whole::ReadExactly(*stream_, base_, bytes, kHeaderBytes, "the image management distribution header");
        const BeCursor c(bytes, sizeof bytes);
        header_.HeaderSize = c.u16(0);
        header_.PaletteSetRecordSize = c.u16(2);
        header_.TopPaletteSetID = c.u16(4);
        header_.TopColorTableID = c.u16(6);
        header_.TopImageDataID = c.u16(8);
        header_.PaletteSetFrameOffset = c.u32(10);
        header_.PaletteSetFrameSize = c.u16(14);
        header_.ColorTableFrameOffset = c.u32(16);
        header_.ColorTableFrameSize = c.u16(20);
        header_.ImageDataFrameOffset = c.u32(22);
        header_.ImageDataFrameSize = c.u32(26);
        header_.ServiceFrameOffset = c.u32(30);
        header_.ServiceFrameSize = c.u32(34);

        paletteSetFrame_ = framePosition(header_.PaletteSetFrameOffset);
        paletteSetEnd_ =
            bounded::frameEnd(streamSize_, paletteSetFrame_, 2 * int64_t(header_.PaletteSetFrameSize));
        colorTableFrame_ = framePosition(header_.ColorTableFrameOffset);
        colorTableEnd_ =
            bounded::frameEnd(streamSize_, colorTableFrame_, 2 * int64_t(header_.ColorTableFrameSize));
        imageFrame_ = framePosition(header_.ImageDataFrameOffset);
        imageEnd_ = bounded::frameEnd(streamSize_, imageFrame_, 2 * int64_t(header_.ImageDataFrameSize));

        // Each frame begins with its record count; a count is believed only as far as the frame's bytes
        // hold the records, and what they do not hold is said. A palette set record shorter than its 4
        // classification bytes holds none.
        const int64_t setStride = 2 * int64_t(header_.PaletteSetRecordSize);
        if (setStride >= 4)
            storedPaletteSetCount_ = countFrame("the palette set data frame", header_.PaletteSetFrameOffset,
                                                header_.PaletteSetFrameSize, paletteSetFrame_, paletteSetEnd_,
                                                setStride, 4, paletteSetCount_, paletteSetsError_);
        storedColorTableCount_ = countFrame("the colour table data frame", header_.ColorTableFrameOffset,
                                            header_.ColorTableFrameSize, colorTableFrame_, colorTableEnd_, 4,
                                            2, colorTableCount_, colorTablesError_);
        storedImageCount_ =
            countFrame("the image data frame", header_.ImageDataFrameOffset, header_.ImageDataFrameSize,
                       imageFrame_, imageEnd_, 6, 6, imageCount_, imagesError_);
    } catch (const KiwiError& error) {
        fail(error);
        paletteSetCount_ = colorTableCount_ = imageCount_ = 0;
        storedPaletteSetCount_ = storedColorTableCount_ = storedImageCount_ = 0;
    }
}

int TLN_GraphicManager::countFrame(const char* frameName, uint32_t wordOffset, uint32_t frameWords,
                                   int64_t position, int64_t end, int64_t stride, int64_t recordBytes,
                                   int& count, std::string& error) const {
    count = 0;
    if (frameWords == 0 || wordOffset == 0xFFFFFFFFu) return 0; // no frame
    const int64_t stored = WordOffsetToPosition(wordOffset, base_);
    if (position < 0 || end - position < 2) {
        error = ShortReadText(whole::Shortfall(*stream_, std::string(frameName) + "'s count", stored, 2,
                                               std::max<int64_t>(0, streamSize_ - stored)));
        return 0;
    }
    const uint16_t declared = readWord(*stream_, position, end);
    const whole::Counted counted =
        whole::CountRecords(*stream_, "Number of Items", declared, position + 2, recordBytes, end, stride);
    count = int(counted.readable);
    error = counted.reason.English();
    return declared;
}

std::string TLN_GraphicManager::ImageError(int i) const {
    if (!valid_ || i < 0 || i >= imageCount_) return {};
    uint8_t entry[6];
    if (bounded::readInto(*stream_, imageFrame_ + 2 + 6 * int64_t(i), entry, 6) != 6) return {};
    const BeCursor e(entry, sizeof entry);
    const int64_t position = imageFrame_ + 2 * int64_t(e.u32(0));
    const int64_t bytes = std::max<int64_t>(2 * int64_t(e.u16(4)), kRecordBytes);
    if (bytes <= streamSize_ - position) return {};
    return ShortReadText(whole::Shortfall(*stream_, "image data record " + std::to_string(i), position, bytes,
                                          streamSize_ - position));
}

int64_t TLN_GraphicManager::PaletteSetPosition(int i) const {
    if (!valid_ || i < 0 || i >= paletteSetCount_) return -1;
    return paletteSetFrame_ + 2 + int64_t(i) * 2 * header_.PaletteSetRecordSize;
}

bool TLN_GraphicManager::ReadPaletteSet(int i, TLN_PaletteSet& out) const {
    out = {};
    const int64_t position = PaletteSetPosition(i);
    return position >= 0 && bounded::readInto(*stream_, position, out.data(), 4) == 4;
}

int64_t TLN_GraphicManager::ColorTablePosition(int i) const {
    if (!valid_ || i < 0 || i >= colorTableCount_) return -1;
    const uint16_t offset = readWord(*stream_, colorTableFrame_ + 2 + 4 * int64_t(i), colorTableEnd_);
    const int64_t position = colorTableFrame_ + 2 * int64_t(offset);
    return colorTableEnd_ - position >= 6 ? position : -1;
}

bool TLN_GraphicManager::ReadCLUT(int i, TLN_Color_Table& out) const {
    out = TLN_Color_Table();
    const int64_t position = ColorTablePosition(i);
    return position >= 0 && ReadColorTable(*stream_, position, colorTableEnd_, out);
}

bool TLN_GraphicManager::ReadImageRecord(int i, TLN_ImageDataRecord& out) const {
    out = TLN_ImageDataRecord();
    if (!valid_ || i < 0 || i >= imageCount_) return false;
    uint8_t entry[6];
    if (bounded::readInto(*stream_, imageFrame_ + 2 + 6 * int64_t(i), entry, 6) != 6) return false;
    const BeCursor e(entry, sizeof entry);
    const int64_t position = imageFrame_ + 2 * int64_t(e.u32(0));
    out.Position = position;
    out.SizeWords = e.u16(4);
    if (imageEnd_ - position < kRecordBytes) return false;

    uint8_t bytes[kRouteRecordBytes] = {};
    const int64_t available = std::min<int64_t>(kRouteRecordBytes, imageEnd_ - position);
    if (bounded::readInto(*stream_, position, bytes, available) != available) return false;
    const BeCursor c(bytes, size_t(available));
    const uint8_t kind = c.u8(1);
    out.DataType = kind >> 4;
    out.Identification = (kind >> 1) & 7;
    out.RouteDataExists = kind & 1;
    out.PaletteSetID = c.u32(2);
    out.Width = c.u16(6);
    out.Height = c.u16(8);
    out.XOffset = c.u16(10);
    out.YOffset = c.u16(12);
    out.DataPosition = position + kRecordBytes;
    if (out.RouteDataExists) {
        if (available < kRouteRecordBytes) return false;
        out.RouteDataOffset = c.u32(14);
        out.RouteDataPosition = WordOffsetToPosition(out.RouteDataOffset, position);
        out.DataPosition = position + kRouteRecordBytes;
    }
    return true;
}

QImage TLN_GraphicManager::DecodeImage(int i, int classification) const {
    TLN_ImageDataRecord record;
    if (classification < 0 || classification > 3 || !ReadImageRecord(i, record)) return {};
    if (record.DataType != idtCLUT || ClutUnitSize(record.Identification) == 0) return {};

    TLN_PaletteSet set;
    const int64_t setIndex = int64_t(record.PaletteSetID) - header_.TopPaletteSetID;
    if (setIndex < 0 || setIndex >= paletteSetCount_ || !ReadPaletteSet(int(setIndex), set)) return {};
    const int64_t tableIndex = int64_t(set[size_t(classification)]) - header_.TopColorTableID;
    TLN_Color_Table table;
    if (tableIndex < 0 || tableIndex >= colorTableCount_ || !ReadCLUT(int(tableIndex), table)) return {};
    std::optional<TLN_Color> transparent;
    if (table.HasTransparentColor() && table.TransparentColorCode < table.Colors.size())
        transparent = table.Colors[table.TransparentColorCode];

    // The runs may use the image data frame up to its end; never more than one unit per pixel is read.
    const int64_t needed = ClutDataBytesNeeded(record.Identification, record.Width, record.Height);
    const int64_t count = std::min(needed, imageEnd_ - record.DataPosition);
    if (count <= 0) return {};
    std::vector<uint8_t> data(static_cast<size_t>(count));
    const int64_t delivered = bounded::readInto(*stream_, record.DataPosition, data.data(), count);
    return DecodeClutPixels(data.data(), size_t(std::max<int64_t>(delivered, 0)), record.Identification,
                            record.Width, record.Height, table.Colors, transparent);
}

QImage TLN_GraphicManager::LoadGIFImage(int i, std::string* why) const {
    TLN_ImageDataRecord record;
    if (!ReadImageRecord(i, record)) {
        if (why) *why = "image record " + std::to_string(i) + " cannot be read";
        return {};
    }
    return DecodeGifPicture(*stream_, record.DataPosition, imageEnd_, why);
}
