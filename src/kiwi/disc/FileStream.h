// TLN_FileStream: the read-only byte source of every KIWI reader: a file inside the mounted image, a
// numbered volume set, or a plain file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kiwi/io/HandleStream.h"
#include "kiwi/io/Stream.h"

class TFileEntry;
class TISOImage;

class TLN_FileStream : public TLN_Stream {
public:
    enum class Mode { Image, VolumeSet, PlainFile };

    // One volume of a set: bytes [start, end) of the set are bytes [0, end - start) of the part's file.
    struct VolumePart {
        std::unique_ptr<TLN_HandleStream> stream;
        std::string fileName;
        int64_t start = 0;
        int64_t end = 0;
    };

    // The mode is chosen here, once: image mode whenever an image is mounted (the name is looked up in
    // it); volume-set mode when the name's file-name component is exactly "ALLDATA1.KWI" or "REGION1.KWI";
    // a plain file otherwise. Raises EFOpenError when the file (the image entry, part 1 of a set, a later
    // part that exists but cannot be opened) cannot be opened.
    explicit TLN_FileStream(const std::string& fileName);
    ~TLN_FileStream() override;

    // Image mode: the file's data length; volume set: the sum of the part sizes.
    int64_t Size() override;
    // Positionless and thread-safe in every mode. Reads stop at the end of the file (of the set), so a
    // read across the end delivers the bytes before it. A volume part that no longer holds the bytes its
    // range promised raises EReadError("File Read or File Size Error " + the part's file name).
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override;
    // Any position from 0 upwards; a seek to a negative position raises EReadError.
    int64_t Seek(int64_t offset, SeekOrigin origin = SeekOrigin::Begin) override;
    std::string FileName() const override { return GetFileName(); }

    // Image mode: the entry's name inside its folder; plain file: the name given to the constructor;
    // volume set: "" (a wrapping stream keeps the name it was opened with).
    std::string GetFileName() const;

    Mode StreamMode() const { return mode_; }
    bool IsMultiVolume() const { return mode_ == Mode::VolumeSet; }
    // The name given to the constructor, in every mode.
    const std::string& OpenedName() const { return openedName_; }
    // Image mode: the image the stream reads (kept alive by the stream) and the file's entry in it.
    const std::shared_ptr<TISOImage>& Image() const { return image_; }
    const TFileEntry* ImageEntry() const { return entry_; }
    // Volume-set mode: the parts in order (parts 1..9 at most).
    const std::vector<VolumePart>& Parts() const { return parts_; }

    // True when the file-name component of fileName starts a volume set (case-sensitive).
    static bool IsVolumeSetName(const std::string& fileName);

private:
    void openVolumeSet();
    int64_t readVolumeSet(int64_t position, uint8_t* buffer, int64_t count);

    std::string openedName_;
    Mode mode_ = Mode::PlainFile;
    std::shared_ptr<TISOImage> image_;
    const TFileEntry* entry_ = nullptr;
    std::unique_ptr<TLN_HandleStream> plain_;
    std::vector<VolumePart> parts_;
    int64_t totalSize_ = 0;
};
