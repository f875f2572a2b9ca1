// TISOImage: reads an ISO 9660 image file: sector layout, volume descriptors, the primary directory tree,
// file data and single-file extraction.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/iso/DataTree.h"

class TImageFileHandler;
class TBootRecordVolumeDescriptor;
class TPrimaryVolumeDescriptor;
class TSupplementaryVolumeDescriptor;

class TISOImage {
public:
    // log: a caller's list that receives "Method(): message" lines, or nullptr.
    explicit TISOImage(const std::string& fileName, std::vector<std::string>* log = nullptr);
    ~TISOImage();

    // Opens the image and builds the tree of the primary volume descriptor. Raises the EISOLib…
    // exceptions on a missing file, an unknown layout or a broken descriptor set; returns false for
    // images whose sector data size is not 2048.
    bool OpenImage();
    void ParseDirectory(bool usePrimary = true);
    void CloseImage();
    // Copies a file's data to target through the guarded writer (never over the image itself); false (and
    // no partial target left) on any failure.
    bool ExtractFile(const TFileEntry* entry, const std::string& targetFileName);
    // Why the last extraction failed: the image could not be read or the target not written ("" when it
    // did not fail).
    const std::string& ErrorString() const { return error_; }

    const std::string& FileName() const { return fileName_; }
    TDataTree* Tree() const { return tree_.get(); }

    // Reads a file's bytes at a position inside the file, clamped to its data length; returns the count
    // delivered (short where the image file ends early). Thread-safe (positionless reads of the image
    // file); one read per call for 2048-byte sector images, one per sector for raw sectors. Raises
    // EReadError on an I/O failure and EISOLibImageException when no image is open.
    int64_t ReadFileData(const TFileEntry& entry, int64_t position, void* buffer, int64_t count) const;

    // Limits of the directory walk: nesting depth, entries listed, volume descriptors read.
    static constexpr int MaxDirectoryDepth = 64;
    static constexpr int64_t MaxDirectoryEntries = 1000000;
    static constexpr int MaxVolumeDescriptors = 64;

private:
    std::string error_;
    struct WalkState;
    void Log(const char* method, const std::string& message) const;
    void ReadVolumeDescriptors();
    TDirectoryRecordHeader RootInsideImage(const TDirectoryRecordHeader& root) const;
    bool MayWalk(const std::string& label, const TDirectoryRecordHeader& record, WalkState& state);
    void WalkDirectory(TDirectoryEntry* directory, const TDirectoryRecordHeader& record, int depth,
                       WalkState& state);
    void AddRecord(TDirectoryEntry* parent, const std::string& name, const TDirectoryRecordHeader& header,
                   int depth, WalkState& state);

    std::vector<std::string>* log_;
    std::string fileName_;
    std::unique_ptr<TImageFileHandler> handler_;
    std::unique_ptr<TBootRecordVolumeDescriptor> bootRecord_;
    std::unique_ptr<TPrimaryVolumeDescriptor> primary_;
    std::unique_ptr<TSupplementaryVolumeDescriptor> supplementary_;
    std::unique_ptr<TDataTree> tree_;
};
