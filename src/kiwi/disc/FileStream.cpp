// The three sources of TLN_FileStream. Every mode reads positionless (pread, or the image's positionless
// file-data read), so one stream serves several threads without a lock.
#include "kiwi/disc/FileStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/iso/ISOImage.h"

namespace {
// Part numbers are one digit in the name, so a set has at most nine parts.
constexpr int maximumVolumeParts = 9;

[[noreturn]] void throwPartError(const std::string& partFileName) {
    throw EReadError("File Read or File Size Error " + partFileName);
}
} // namespace

bool TLN_FileStream::IsVolumeSetName(const std::string& fileName) {
    const std::string name = fileNamePart(fileName);
    return name == "ALLDATA1.KWI" || name == "REGION1.KWI";
}

TLN_FileStream::TLN_FileStream(const std::string& fileName) : openedName_(fileName) {
    if (auto image = GetISOImage()) {
        mode_ = Mode::Image;
        entry_ = FindISOFile(*image, fileName);
        if (!entry_) throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(ENOENT));
        image_ = std::move(image);
    } else if (IsVolumeSetName(fileName)) {
        mode_ = Mode::VolumeSet;
        openVolumeSet();
    } else {
        mode_ = Mode::PlainFile;
        plain_ = TLN_HandleStream::OpenForReading(fileName);
    }
}

TLN_FileStream::~TLN_FileStream() = default;

void TLN_FileStream::openVolumeSet() {
    // Part names come from the file-name component alone: the digit before its first "." is replaced, so
    // a dot in a folder name cannot move it.
    const std::string folder = folderPart(openedName_);
    const std::string firstName = fileNamePart(openedName_);
    const size_t digitAt = firstName.find('.') - 1;
    for (int number = 1; number <= maximumVolumeParts; ++number) {
        std::string partName = firstName;
        partName[digitAt] = char('0' + number);
        const auto path = resolveInFolder(folder, partName);
        if (!path) {
            // Part 1 is the file asked for: its absence is a failure to open, as for a plain file.
            if (number == 1)
                throw EFOpenError("Cannot open file \"" + openedName_ + "\". " + std::strerror(ENOENT));
            break;
        }
        VolumePart part;
        part.stream = TLN_HandleStream::OpenForReading(*path);
        part.fileName = *path;
        part.start = totalSize_;
        part.end = totalSize_ + part.stream->Size();
        totalSize_ = part.end;
        parts_.push_back(std::move(part));
    }
}

std::string TLN_FileStream::GetFileName() const {
    switch (mode_) {
    case Mode::Image:
        return entry_->Name();
    case Mode::VolumeSet:
        return {};
    case Mode::PlainFile:
        break;
    }
    return openedName_;
}

int64_t TLN_FileStream::Size() {
    switch (mode_) {
    case Mode::Image:
        return int64_t(entry_->DataLength());
    case Mode::VolumeSet:
        return totalSize_;
    case Mode::PlainFile:
        break;
    }
    return plain_->Size();
}

int64_t TLN_FileStream::ReadAt(int64_t position, void* buffer, int64_t count) {
    if (position < 0 || count <= 0) return 0;
    switch (mode_) {
    case Mode::Image:
        // Clamped to the entry's data length: the sectors after a file belong to other files.
        return image_->ReadFileData(*entry_, position, buffer, count);
    case Mode::VolumeSet:
        return readVolumeSet(position, static_cast<uint8_t*>(buffer), count);
    case Mode::PlainFile:
        break;
    }
    return plain_->ReadAt(position, buffer, count);
}

int64_t TLN_FileStream::readVolumeSet(int64_t position, uint8_t* buffer, int64_t count) {
    if (position >= totalSize_) return 0;
    count = std::min(count, totalSize_ - position);
    // The first part whose range ends after the position holds it; empty parts have no range at all.
    auto part = std::upper_bound(parts_.begin(), parts_.end(), position,
                                 [](int64_t p, const VolumePart& candidate) { return p < candidate.end; });
    int64_t done = 0;
    for (; done < count && part != parts_.end(); ++part) {
        const int64_t at = position + done;
        const int64_t wanted = std::min(count - done, part->end - at);
        if (wanted <= 0) continue;
        int64_t got = 0;
        try {
            got = part->stream->ReadAt(at - part->start, buffer + done, wanted);
        } catch (const EReadError&) {
            throwPartError(part->fileName);
        }
        // The table was built from the parts' sizes at open time; a part that now holds less (cut or
        // replaced on disk) would shift every later byte of the set, so it is an error, not a short read.
        if (got != wanted) throwPartError(part->fileName);
        done += got;
    }
    return done;
}

int64_t TLN_FileStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current)
        base = Position();
    else if (origin == SeekOrigin::End)
        base = Size();
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0)
        throw EReadError("Stream seek error: invalid position");
    return TLN_Stream::Seek(target, SeekOrigin::Begin);
}
