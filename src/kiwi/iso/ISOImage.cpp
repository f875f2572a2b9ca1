// ISO 9660 image: opening, the guarded walk of the primary directory tree, file reads and extraction.
#include "kiwi/iso/ISOImage.h"

#include <QFileInfo>
#include <algorithm>
#include <unordered_set>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/iso/ISOException.h"
#include "kiwi/iso/ImageFileHandler.h"
#include "kiwi/iso/VolumeDescriptors.h"
#include "platform/GuardedFileWriter.h"

namespace {
constexpr int SectorSize = 2048;
constexpr int RecordHeaderSize = 33;
constexpr uint8_t DirectoryFlag = 0x02;
constexpr uint8_t MultiExtentFlag = 0x80;
constexpr uint8_t TerminatorType = 255;

uint64_t SectorCount(uint32_t length) {
    return (uint64_t(length) + SectorSize - 1) / SectorSize;
}
} // namespace

struct TISOImage::WalkState {
    std::unordered_set<uint32_t> visitedExtents;
    int64_t entries = 0;
    // Directories whose extents overlap could make the walk read the image many times over; a sound
    // tree reads each directory sector once, so the walk reads at most the image's sector count.
    uint64_t sectorBudget = 0;
    bool stopped = false;
};

TISOImage::TISOImage(const std::string& fileName, std::vector<std::string>* log)
    : log_(log), fileName_(fileName), tree_(std::make_unique<TDataTree>()) {}

TISOImage::~TISOImage() = default;

void TISOImage::Log(const char* method, const std::string& message) const {
    if (log_) log_->push_back(std::string(method) + "(): " + message);
}

bool TISOImage::OpenImage() {
    const QFileInfo info(QString::fromStdString(fileName_));
    if (fileName_.empty() || !info.exists() || info.isDir()) {
        Log("OpenImage", "file \"" + fileName_ + "\" not found");
        throw EISOLibImageException("image file not found");
    }
    try {
        handler_ = std::make_unique<TImageFileHandler>();
        handler_->Create(fileName_);
        Log("OpenImage", "file \"" + fileName_ + "\" opened...");
        handler_->SeekSector(16, true);

        Log("OpenImage", handler_->Format() == TImageFileHandler::FormatRaw ? "image contains RAW data"
                                                                            : "image contains sector data");
        Log("OpenImage", handler_->Mode() == TImageFileHandler::Mode1
                             ? "image contains yellow book mode 1 data"
                             : "image contains yellow book mode 2 data");
        Log("OpenImage",
            "user data sector size is " + std::to_string(handler_->GetSectorDataSize()) + " bytes");
        Log("OpenImage",
            "image data offset in image file is " + std::to_string(handler_->ImageOffset()) + " bytes");
        if (handler_->GetSectorDataSize() != SectorSize) {
            Log("OpenImage", "sorry, but sector size other than 2048 bytes are not yet supported...");
            handler_.reset();
            return false;
        }
        ReadVolumeDescriptors();
        ParseDirectory(true);
        return true;
    } catch (...) {
        handler_.reset();
        bootRecord_.reset();
        primary_.reset();
        supplementary_.reset();
        tree_ = std::make_unique<TDataTree>();
        throw;
    }
}

// Reads the descriptor set from sector 16 on. A set must end with its terminator before the end of the
// image and within MaxVolumeDescriptors sectors, and must hold a primary descriptor.
void TISOImage::ReadVolumeDescriptors() {
    TVolumeDescriptorBytes sector{};
    bool terminated = false;
    for (int count = 0; count < MaxVolumeDescriptors && !terminated; ++count) {
        if (!handler_->ReadSector_Data(sector.data(), int64_t(sector.size()))) break;
        switch (sector[0]) {
        case TBootRecordVolumeDescriptor::Type:
            Log("OpenImage", "Boot Record Volume Descriptor found");
            bootRecord_ = std::make_unique<TBootRecordVolumeDescriptor>(sector);
            break;
        case TPrimaryVolumeDescriptor::Type:
            Log("OpenImage", "Primary Volume Descriptor found");
            primary_ = std::make_unique<TPrimaryVolumeDescriptor>(sector);
            break;
        case TSupplementaryVolumeDescriptor::Type:
            Log("OpenImage", "Supplementary Volume Descriptor found");
            supplementary_ = std::make_unique<TSupplementaryVolumeDescriptor>(sector);
            break;
        case TerminatorType:
            terminated = true;
            break;
        default:
            break;
        }
    }
    if (!terminated) throw EISOLibImageException("no volume descriptor set terminator found!");
    if (!primary_) throw EISOLibImageException("no primary volume descriptor found!");
}

void TISOImage::ParseDirectory(bool usePrimary) {
    if (!handler_) throw EISOLibImageException("image file not opened");
    const TDirectoryVolumeDescriptor* descriptor = nullptr;
    if (usePrimary) {
        Log("ParseDirectory", "parsing directory using primary volume descriptor...");
        if (!primary_) throw EISOLibImageException("no primary volume descriptor found!");
        descriptor = primary_.get();
    } else {
        Log("ParseDirectory", "parsing directory using supplementary volume descriptor...");
        if (!supplementary_) throw EISOLibImageException("no supplementary volume descriptor found!");
        descriptor = supplementary_.get();
    }
    tree_ = std::make_unique<TDataTree>();
    const TDirectoryRecordHeader root = RootInsideImage(descriptor->RootDirectoryRecord());
    Log("ParseDirectory", "directory sector " + std::to_string(DirectoryRecordExtent(root)));
    WalkState state;
    state.sectorBudget = uint64_t(handler_->ImageSize()) / SectorSize + 1;
    if (MayWalk("root directory", root, state)) WalkDirectory(tree_->Root(), root, 0, state);
}

// A root directory whose declared length runs past the end of the image (a damaged or hostile
// descriptor) is read with the length of its own "." record, the first record of its first sector, when
// that record names the same extent and fits; otherwise the image has no listing to give, and the reason
// is raised rather than an empty tree shown as if the disc were empty.
TDirectoryRecordHeader TISOImage::RootInsideImage(const TDirectoryRecordHeader& root) const {
    const uint32_t extent = DirectoryRecordExtent(root);
    const uint32_t length = DirectoryRecordDataLength(root);
    if (handler_->SectorsInImage(extent, SectorCount(length))) return root;
    const std::string beyond = "root directory at sector " + std::to_string(extent) + " with " +
                               std::to_string(length) + " bytes lies beyond the image";
    std::vector<uint8_t> sector(SectorSize);
    if (!handler_->SectorsInImage(extent, 1) ||
        !handler_->ReadSectorDataAt(extent, sector.data(), int64_t(sector.size())))
        throw EISOLibImageException(beyond);
    TDirectoryRecordHeader self{};
    std::copy_n(sector.begin(), RecordHeaderSize, self.begin());
    const bool isSelf = sector[0] >= RecordHeaderSize + 1 && sector[32] == 1 &&
                        sector[RecordHeaderSize] == 0 && (self[25] & DirectoryFlag) &&
                        DirectoryRecordExtent(self) == extent;
    const uint32_t ownLength = DirectoryRecordDataLength(self);
    if (!isSelf || ownLength == 0 || !handler_->SectorsInImage(extent, SectorCount(ownLength)))
        throw EISOLibImageException(beyond + ", and its own \".\" record gives no length inside it");
    Log("ParseDirectory",
        beyond + ": read with the " + std::to_string(ownLength) + " bytes of its \".\" record");
    return self;
}

// A directory is walked once, and only when its extent lies inside the image; otherwise the branch
// stops here and is logged.
bool TISOImage::MayWalk(const std::string& label, const TDirectoryRecordHeader& record, WalkState& state) {
    const uint32_t extent = DirectoryRecordExtent(record);
    const uint32_t length = DirectoryRecordDataLength(record);
    if (state.visitedExtents.count(extent)) {
        Log("ParseDirectory", label + " skipped: extent " + std::to_string(extent) + " already visited");
        return false;
    }
    if (!handler_->SectorsInImage(extent, SectorCount(length))) {
        Log("ParseDirectory", label + " skipped: extent " + std::to_string(extent) + " with " +
                                  std::to_string(length) + " bytes lies beyond the image");
        return false;
    }
    state.visitedExtents.insert(extent);
    return true;
}

// Walks one directory's own sectors with a buffer of its own, so a sub-directory's walk leaves the
// parent's position untouched.
void TISOImage::WalkDirectory(TDirectoryEntry* directory, const TDirectoryRecordHeader& record, int depth,
                              WalkState& state) {
    const uint32_t extent = DirectoryRecordExtent(record);
    const uint64_t sectors = SectorCount(DirectoryRecordDataLength(record));
    const std::string label =
        directory->Parent() ? "directory \"" + directory->Name() + "\"" : "root directory";
    std::vector<uint8_t> buffer(SectorSize);
    std::string multiExtentName; // a multi-extent file's records share one name; the last lacks the flag
    for (uint64_t s = 0; s < sectors && !state.stopped; ++s) {
        if (state.sectorBudget == 0) {
            Log("ParseDirectory", "more directory sectors than the image holds: walk stopped");
            state.stopped = true;
            return;
        }
        --state.sectorBudget;
        if (!handler_->ReadSectorDataAt(extent + s, buffer.data(), int64_t(buffer.size()))) {
            Log("ParseDirectory", label + ": sector " + std::to_string(extent + s) + " could not be read");
            return;
        }
        size_t position = 0;
        while (position + RecordHeaderSize <= size_t(SectorSize) && !state.stopped) {
            const uint8_t recordLength = buffer[position];
            const uint8_t nameLength = buffer[position + 32];
            const size_t step = std::max<size_t>(recordLength, RecordHeaderSize + nameLength);
            // A zero length, or a record running past the sector, means the rest is padding.
            if (recordLength == 0 || position + step > size_t(SectorSize)) break;
            TDirectoryRecordHeader header{};
            std::copy_n(buffer.begin() + long(position), RecordHeaderSize, header.begin());
            const std::string name(reinterpret_cast<const char*>(&buffer[position + RecordHeaderSize]),
                                   nameLength);
            position += step;

            const bool isDirectory = header[25] & DirectoryFlag;
            if (!isDirectory && (header[25] & MultiExtentFlag)) {
                if (name != multiExtentName)
                    Log("ParseDirectory", "multi-extent file \"" + name + "\" not listed");
                multiExtentName = name;
                continue;
            }
            if (!isDirectory && !multiExtentName.empty() && name == multiExtentName) {
                multiExtentName.clear(); // the final extent of a file already reported
                continue;
            }
            multiExtentName.clear();
            AddRecord(directory, name, header, depth, state);
        }
    }
}

void TISOImage::AddRecord(TDirectoryEntry* parent, const std::string& name,
                          const TDirectoryRecordHeader& header, int depth, WalkState& state) {
    if (name.empty()) return;
    const bool isDirectory = header[25] & DirectoryFlag;
    if (isDirectory && (name == std::string(1, '\0') || name == std::string(1, '\1'))) return;
    const std::string fileName = isDirectory ? name : name.substr(0, name.find(';'));
    if (fileName.empty() || (!isDirectory && DirectoryRecordDataLength(header) == 0)) return;

    if (state.entries >= MaxDirectoryEntries) {
        Log("ParseDirectory", "more than " + std::to_string(MaxDirectoryEntries) + " entries: walk stopped");
        state.stopped = true;
        return;
    }
    if (isDirectory) {
        if (depth + 1 > MaxDirectoryDepth) {
            Log("ParseDirectory", "directory \"" + name + "\" skipped: nested deeper than " +
                                      std::to_string(MaxDirectoryDepth) + " levels");
            return;
        }
        if (!MayWalk("directory \"" + name + "\"", header, state)) return;
        ++state.entries;
        TDirectoryEntry* entry = TDirectoryEntry::Create(parent->Tree(), parent, fileName, header);
        WalkDirectory(entry, header, depth + 1, state);
        return;
    }
    if (!handler_->SectorsInImage(DirectoryRecordExtent(header),
                                  SectorCount(DirectoryRecordDataLength(header)))) {
        Log("ParseDirectory", "file \"" + fileName + "\" skipped: its data lies beyond the image");
        return;
    }
    ++state.entries;
    TFileEntry::Create(parent, fileName, header);
}

void TISOImage::CloseImage() {
    handler_.reset();
    bootRecord_.reset();
    primary_.reset();
    supplementary_.reset();
    tree_ = std::make_unique<TDataTree>();
    fileName_.clear();
}

int64_t TISOImage::ReadFileData(const TFileEntry& entry, int64_t position, void* buffer,
                                int64_t count) const {
    if (!handler_) throw EISOLibImageException("image file not opened");
    const int64_t length = entry.DataLength();
    if (position < 0 || count <= 0 || position >= length) return 0;
    const int64_t wanted = std::min(count, length - position);
    const uint64_t extent = entry.ExtentLocation();
    auto* out = static_cast<uint8_t*>(buffer);
    // 2048-byte sectors stored back to back: the file's bytes are contiguous in the image file.
    if (handler_->Format() == TImageFileHandler::FormatSectorData)
        return handler_->ReadImageBytes(handler_->CalcSectorOffset(extent) + position, out, wanted);
    // Raw sectors: the user data of each sector sits between its header and its error-correction bytes.
    int64_t done = 0;
    while (done < wanted) {
        const int64_t at = position + done;
        const int64_t within = at % SectorSize;
        const int64_t part = std::min<int64_t>(SectorSize - within, wanted - done);
        const int64_t imagePosition = handler_->CalcSectorOffset(extent + uint64_t(at / SectorSize)) +
                                      handler_->CalcUserDataOffset() + within;
        const int64_t got = handler_->ReadImageBytes(imagePosition, out + done, part);
        done += got;
        if (got < part) break;
    }
    return done;
}

bool TISOImage::ExtractFile(const TFileEntry* entry, const std::string& targetFileName) {
    error_.clear();
    if (!entry || !handler_) return false;
    const uint32_t length = entry->DataLength();
    if (!handler_->SectorsInImage(entry->ExtentLocation(), SectorCount(length))) {
        error_ = "the data of " + entry->Name() + " lies beyond the end of the image";
        return false;
    }
    // Never over the image itself, whatever name leads to it.
    GuardedFileWriter target(targetFileName, {{fileName_}, true});
    constexpr int64_t ChunkSize = 1 << 20;
    std::vector<uint8_t> chunk(size_t(std::min<int64_t>(ChunkSize, std::max<uint32_t>(length, 1))));
    for (int64_t position = 0; position < int64_t(length) && target.IsOpen();) {
        const int64_t wanted = std::min<int64_t>(int64_t(chunk.size()), int64_t(length) - position);
        int64_t got = 0;
        try {
            got = ReadFileData(*entry, position, chunk.data(), wanted);
        } catch (const KiwiError& error) {
            error_ = error.what();
            return false;
        }
        if (got != wanted) {
            error_ = "the image ends inside " + entry->Name();
            return false;
        }
        target.Write(chunk.data(), size_t(got));
        position += got;
    }
    if (target.Commit()) return true;
    error_ = target.Error();
    return false;
}
