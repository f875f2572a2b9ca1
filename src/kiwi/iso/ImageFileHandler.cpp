// Sector access to ISO image files; every read is a pread, so concurrent readers share no position.
#include "kiwi/iso/ImageFileHandler.h"

#include <QFileInfo>
#include <cstring>

#include "kiwi/io/HandleStream.h"
#include "kiwi/iso/ISOException.h"

namespace {
constexpr int64_t DescriptorSector = 16;
constexpr int64_t MinimumImageSize = 32769; // sector 16 of a 2048-byte image must start inside
const char StandardIdentifier[] = "CD001";
} // namespace

TImageFileHandler::TImageFileHandler() = default;
TImageFileHandler::~TImageFileHandler() = default;

int64_t TImageFileHandler::ImageSize() const {
    return stream_ ? stream_->Size() : 0;
}

int64_t TImageFileHandler::ReadImageBytes(int64_t position, void* buffer, int64_t count) const {
    if (!stream_) return 0;
    return stream_->ReadAt(position, buffer, count);
}

// Reads count bytes at position and tells whether "CD001" stands at identifierAt.
bool TImageFileHandler::matchAt(int64_t position, int identifierAt, int count, uint8_t* bytes) const {
    if (ReadImageBytes(position, bytes, count) != count) return false;
    return std::memcmp(bytes + identifierAt, StandardIdentifier, 5) == 0;
}

void TImageFileHandler::DetectImageFormat() {
    mode_ = ModeUndetermined;
    format_ = FormatUndetermined;
    imageOffset_ = 0;
    if (ImageSize() >= MinimumImageSize) {
        for (const int64_t offset : {int64_t(0), LeadingBlockSize}) {
            uint8_t bytes[22] = {};
            if (matchAt(offset + DescriptorSector * Mode1DataSize, 1, 6, bytes)) {
                format_ = FormatSectorData;
                mode_ = Mode1;
            } else if (matchAt(offset + DescriptorSector * Mode2DataSize, 1, 6, bytes)) {
                format_ = FormatSectorData;
                mode_ = Mode2;
            } else if (matchAt(offset + DescriptorSector * RawSectorSize, 17, 22, bytes)) {
                // Byte 15 of a raw sector header is its mode byte.
                if (bytes[15] == 1)
                    mode_ = Mode1;
                else if (bytes[15] == 2)
                    mode_ = Mode2;
                else
                    throw EISOImageHandlerException("unkown Yellow Book mode!");
                format_ = FormatRaw;
            } else {
                continue;
            }
            imageOffset_ = offset;
            return;
        }
    }
    throw EISOImageHandlerException("unkown image format!");
}

int64_t TImageFileHandler::CalcSectorOffset(uint64_t sector) const {
    if (format_ == FormatUndetermined || mode_ == ModeUndetermined)
        throw EISOImageHandlerException("can not calculate sector with auto settings");
    const int64_t n = int64_t(sector);
    if (format_ == FormatRaw) return n * RawSectorSize + imageOffset_;
    if (format_ == FormatSectorData) {
        if (mode_ == Mode1) return n * Mode1DataSize + imageOffset_;
        if (mode_ == Mode2) return n * Mode2DataSize + imageOffset_;
    }
    throw EISOImageHandlerException("TImageFileHandler.CalcSectorOffset(): Implementation error!");
}

int64_t TImageFileHandler::CalcUserDataOffset() const {
    if (format_ == FormatRaw) return 16;
    if (format_ == FormatSectorData) return 0;
    if (format_ == FormatUndetermined)
        throw EISOImageHandlerException("can not calculate sector offset with auto values!");
    throw EISOImageHandlerException("TImageFileHandler.CalcUserDataOffset(): Implementation error!");
}

int TImageFileHandler::GetSectorDataSize() const {
    if (mode_ == Mode1) return Mode1DataSize;
    if (mode_ == Mode2) return Mode2DataSize;
    throw EISOImageHandlerException("can not figure out sector data size on auto type");
}

void TImageFileHandler::Create(const std::string& fileName) {
    const QFileInfo info(QString::fromStdString(fileName));
    if (!info.exists() || info.isDir()) throw EISOImageHandlerException("image file not found");
    stream_ = TLN_HandleStream::OpenForReading(fileName);
    fileName_ = fileName;
    DetectImageFormat();
    SeekSector(0, true);
}

void TImageFileHandler::CreateNew(const std::string& fileName, ImageFormat imageFormat, YellowBookMode mode) {
    if (mode == ModeUndetermined) throw EISOImageHandlerException("yellow book format has to be defined!");
    if (imageFormat == FormatUndetermined) throw EISOImageHandlerException("image format has to be defined!");
    stream_ = TLN_HandleStream::Create(fileName);
    fileName_ = fileName;
    format_ = imageFormat;
    mode_ = mode;
    imageOffset_ = 0;
    SeekSector(0, true);
}

bool TImageFileHandler::SectorsInImage(uint64_t first, uint64_t count) const {
    if (count == 0) return true;
    const int64_t end = CalcSectorOffset(first + count - 1) + CalcUserDataOffset() + GetSectorDataSize();
    return end <= ImageSize();
}

void TImageFileHandler::SeekSector(uint64_t sector, bool allowPastEnd) {
    if (!allowPastEnd && !SectorsInImage(sector, 1))
        throw EISOImageHandlerException("sector " + std::to_string(sector) +
                                        " lies past the end of the image");
    (void)CalcSectorOffset(sector); // raises for an undetermined layout
    currentSector_ = sector;
}

bool TImageFileHandler::ReadSectorDataAt(uint64_t sector, void* buffer, int64_t bufferSize) const {
    const int size = GetSectorDataSize();
    if (bufferSize < size)
        throw EISOImageHandlerException("TImageFileHandler.ReadSector_Data(): buffer overflow protection");
    auto* out = static_cast<uint8_t*>(buffer);
    const int64_t got = ReadImageBytes(CalcSectorOffset(sector) + CalcUserDataOffset(), out, size);
    if (got < size) std::memset(out + got, 0, size_t(size - got));
    return got == size;
}

bool TImageFileHandler::ReadSector_Data(void* buffer, int64_t bufferSize) {
    const bool complete = ReadSectorDataAt(currentSector_, buffer, bufferSize);
    SeekSector(currentSector_ + 1, true);
    return complete;
}

bool TImageFileHandler::ReadSector_Raw(void* buffer, int64_t bufferSize) {
    if (bufferSize < RawSectorSize)
        throw EISOImageHandlerException("TImageFileHandler.ReadSector_Raw(): buffer overflow protection");
    auto* out = static_cast<uint8_t*>(buffer);
    const int64_t got = ReadImageBytes(CalcSectorOffset(currentSector_), out, RawSectorSize);
    if (got < RawSectorSize) std::memset(out + got, 0, size_t(RawSectorSize - got));
    SeekSector(currentSector_ + 1, true);
    return got == RawSectorSize;
}
