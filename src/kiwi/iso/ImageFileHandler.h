// TImageFileHandler: sector access to an ISO image file in any of its stored layouts (2048-byte user
// data, 2336-byte mode 2 sectors, raw 2352-byte sectors, each possibly behind a 307200-byte leading block).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TLN_HandleStream;

class TImageFileHandler {
public:
    // Yellow Book mode and stored image format; 0 means not determined yet.
    enum YellowBookMode : uint8_t { ModeUndetermined = 0, Mode1 = 1, Mode2 = 2 };
    enum ImageFormat : uint8_t { FormatUndetermined = 0, FormatRaw = 1, FormatSectorData = 2 };

    static constexpr int64_t LeadingBlockSize = 307200;
    static constexpr int RawSectorSize = 2352;
    static constexpr int Mode1DataSize = 2048;
    static constexpr int Mode2DataSize = 2336;

    TImageFileHandler();
    virtual ~TImageFileHandler();
    TImageFileHandler(const TImageFileHandler&) = delete;
    TImageFileHandler& operator=(const TImageFileHandler&) = delete;

    // Finds the layout from where the "CD001" identifier of sector 16 lies; raises
    // EISOImageHandlerException "unkown image format!" or "unkown Yellow Book mode!".
    virtual void DetectImageFormat();
    // Position of a stored sector in the image file.
    virtual int64_t CalcSectorOffset(uint64_t sector) const;
    // Offset of the user data inside a stored sector (16 for raw sectors, else 0).
    virtual int64_t CalcUserDataOffset() const;
    // User-data bytes per sector: 2048 (mode 1) or 2336 (mode 2).
    virtual int GetSectorDataSize() const;
    // Opens an existing image read-only and detects its layout.
    virtual void Create(const std::string& fileName);
    // Creates (or truncates) an image file of the given layout.
    virtual void CreateNew(const std::string& fileName, ImageFormat imageFormat, YellowBookMode mode);
    // Makes sector the current one; a sector whose user data lies past the end raises unless allowed.
    virtual void SeekSector(uint64_t sector, bool allowPastEnd);
    // Reads the current sector's user data and moves on to the next sector. bufferSize must hold
    // GetSectorDataSize() bytes. Missing bytes at the end of the file are zero-filled and reported by
    // returning false.
    virtual bool ReadSector_Data(void* buffer, int64_t bufferSize);
    // Reads the current sector as stored (2352 bytes) and moves on; false (zero-filled) when short.
    virtual bool ReadSector_Raw(void* buffer, int64_t bufferSize);

    // Positionless, thread-safe read of one sector's user data; missing bytes are zero-filled and
    // reported by returning false.
    bool ReadSectorDataAt(uint64_t sector, void* buffer, int64_t bufferSize) const;
    // Positionless, thread-safe read of bytes of the image file; returns the count delivered.
    int64_t ReadImageBytes(int64_t position, void* buffer, int64_t count) const;
    // True when the user data of count sectors from first lie completely inside the image file.
    bool SectorsInImage(uint64_t first, uint64_t count) const;

    int64_t ImageSize() const;
    YellowBookMode Mode() const { return mode_; }
    ImageFormat Format() const { return format_; }
    int64_t ImageOffset() const { return imageOffset_; }
    uint64_t CurrentSector() const { return currentSector_; }
    const std::string& FileName() const { return fileName_; }

private:
    bool matchAt(int64_t position, int identifierAt, int count, uint8_t* bytes) const;

    YellowBookMode mode_ = ModeUndetermined;
    ImageFormat format_ = FormatUndetermined;
    int64_t imageOffset_ = 0;
    std::unique_ptr<TLN_HandleStream> stream_;
    uint64_t currentSector_ = 0;
    std::string fileName_;
};
