// Where an unpack job's list and the files it names come from: a folder on disk, or a folder inside an
// ISO image that the job holds open itself, so each source follows the origin of its own list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kiwi/io/Stream.h"
#include "platform/FileIdentity.h"

class TFileEntry;
class TDirectoryEntry;
class TISOImage;

// One source file found for a list entry.
struct SourceFile {
    // Disk: the resolved path; image: the path inside the image ("/" separated).
    std::string path;
    int64_t size = 0;
    // Disk only: what a target must never be.
    std::vector<FileIdentity> identities;
    const TFileEntry* imageEntry = nullptr;
};

// Splits a name at "/" and "\", dropping empty components.
std::vector<std::string> pathComponents(const std::string& path);

// The file at components below directory: every folder component and the file name matched exactly
// first, then ignoring ASCII case; only real folders and files count (nothing is skipped, unlike the
// lax lookup of the mounted image). nullptr when missing.
const TFileEntry* findImageFileStrictly(const TDirectoryEntry* directory,
                                        const std::vector<std::string>& components);

// A file of an image read as a stream: positionless reads through the image, kept alive by the stream.
class ImageEntryStream : public TLN_Stream {
public:
    ImageEntryStream(std::shared_ptr<TISOImage> image, const TFileEntry* entry, std::string name);
    int64_t Size() override;
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override;
    std::string FileName() const override { return name_; }

private:
    std::shared_ptr<TISOImage> image_;
    const TFileEntry* entry_;
    std::string name_;
};

class UnpackOrigin {
public:
    // A list file on disk; nullopt when it is not a regular file.
    static std::optional<UnpackOrigin> OnDisk(const std::string& listPath);
    // A list inside image, looked up strictly from the root (a leading drive letter is ignored).
    static std::optional<UnpackOrigin> InImage(std::shared_ptr<TISOImage> image, const std::string& listPath);
    // The program's rule: an existing absolute disk path is read from disk; otherwise, when the caller
    // hands the mounted image (null: none), the name is looked up in it; otherwise on disk.
    static std::optional<UnpackOrigin> Find(const std::string& listPath, std::shared_ptr<TISOImage> mounted);

    bool InImage() const { return image_ != nullptr; }
    // Disk: the absolute path; image: the path inside the image.
    const std::string& ListPath() const { return listPath_; }
    // Disk: the list's folder; image: the image file's folder (where a person would look for it).
    std::string HostFolder() const;
    const std::shared_ptr<TISOImage>& Image() const { return image_; }

    // Raises EFOpenError when the list cannot be opened.
    std::shared_ptr<TLN_Stream> OpenList() const;
    // The file the list names at relativePath (a checked "/"-separated path), relative to the list's
    // folder: components resolved exactly, then ignoring ASCII case; regular files only.
    std::optional<SourceFile> Locate(const std::string& relativePath) const;
    // Opens a located file: a plain file on disk (never a volume set), or the image entry.
    std::shared_ptr<TLN_Stream> Open(const SourceFile& file) const;
    // Files no target may replace: the list itself and the image file.
    const std::vector<FileIdentity>& ProtectedFiles() const { return protected_; }
    // The protected files and those the list names at relativePaths: what a run of them reads.
    std::vector<FileIdentity> FilesRead(const std::vector<std::string>& relativePaths) const;

private:
    std::string listPath_;
    std::string folder_;
    std::shared_ptr<TISOImage> image_;
    const TFileEntry* listEntry_ = nullptr;
    std::vector<FileIdentity> protected_;
};
