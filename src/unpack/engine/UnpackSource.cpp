// Unpack origins: strict lookup of listed files on disk and inside an image, and the streams over them.
#include "unpack/engine/UnpackSource.h"

#include <dirent.h>
#include <sys/stat.h>

#include "kiwi/cmp/CmpListSearch.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/iso/DataTree.h"
#include "kiwi/iso/ISOImage.h"

namespace {
bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The entry of folder named name: exactly, else the first matching it without regard to ASCII case.
std::optional<std::string> resolveComponent(const std::string& folder, const std::string& name,
                                            bool wantFolder) {
    const auto fits = [&](const std::string& path) {
        return wantFolder ? isDirectory(path) : isRegularFile(path);
    };
    if (fits(joinPath(folder, name))) return joinPath(folder, name);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> found;
    while (dirent* entry = ::readdir(dir)) {
        const std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        if (equalsIgnoreCase(candidate, name) && fits(joinPath(folder, candidate))) {
            found = joinPath(folder, candidate);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

template <typename Entry, typename Count, typename Get>
Entry* pickByName(const std::string& name, Count count, Get get) {
    for (int i = 0; i < count; ++i)
        if (get(i)->Name() == name) return get(i);
    for (int i = 0; i < count; ++i)
        if (equalsIgnoreCase(get(i)->Name(), name)) return get(i);
    return nullptr;
}

std::string imagePathOf(const TFileEntry* entry) {
    std::string path = entry->GetDirectoryPath() + entry->Name();
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}
} // namespace

std::vector<std::string> pathComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

const TFileEntry* findImageFileStrictly(const TDirectoryEntry* directory,
                                        const std::vector<std::string>& components) {
    if (!directory || components.empty()) return nullptr;
    for (size_t i = 0; i + 1 < components.size(); ++i) {
        directory = pickByName<TDirectoryEntry>(components[i], directory->DirectoryCount(),
                                                [&](int k) { return directory->GetDirectory(k); });
        if (!directory) return nullptr;
    }
    return pickByName<TFileEntry>(components.back(), directory->FileCount(),
                                  [&](int k) { return directory->GetFile(k); });
}

ImageEntryStream::ImageEntryStream(std::shared_ptr<TISOImage> image, const TFileEntry* entry,
                                   std::string name)
    : image_(std::move(image)), entry_(entry), name_(std::move(name)) {}

int64_t ImageEntryStream::Size() {
    return entry_->DataLength();
}

int64_t ImageEntryStream::ReadAt(int64_t position, void* buffer, int64_t count) {
    return image_->ReadFileData(*entry_, position, buffer, count);
}

std::optional<UnpackOrigin> UnpackOrigin::OnDisk(const std::string& listPath) {
    const std::string path = absoluteFilePath(listPath);
    if (!isRegularFile(path)) return std::nullopt;
    UnpackOrigin origin;
    origin.listPath_ = path;
    origin.folder_ = folderPart(path);
    if (origin.folder_.empty()) origin.folder_ = "/";
    if (const auto identity = FileIdentityOf(path)) origin.protected_.push_back(*identity);
    return origin;
}

std::optional<UnpackOrigin> UnpackOrigin::InImage(std::shared_ptr<TISOImage> image,
                                                  const std::string& listPath) {
    if (!image || !image->Tree()) return std::nullopt;
    std::vector<std::string> parts = pathComponents(listPath);
    if (!parts.empty() && parts.front().size() == 2 && parts.front()[1] == ':') parts.erase(parts.begin());
    const TFileEntry* entry = findImageFileStrictly(image->Tree()->Root(), parts);
    if (!entry) return std::nullopt;
    UnpackOrigin origin;
    origin.image_ = std::move(image);
    origin.listEntry_ = entry;
    origin.listPath_ = imagePathOf(entry);
    if (const auto identity = FileIdentityOf(origin.image_->FileName()))
        origin.protected_.push_back(*identity);
    return origin;
}

std::optional<UnpackOrigin> UnpackOrigin::Find(const std::string& listPath,
                                               std::shared_ptr<TISOImage> mounted) {
    if (!listPath.empty() && listPath[0] == '/' && isRegularFile(listPath)) return OnDisk(listPath);
    if (mounted)
        if (auto origin = InImage(std::move(mounted), listPath)) return origin;
    return OnDisk(listPath);
}

std::string UnpackOrigin::HostFolder() const {
    if (!image_) return folder_;
    const std::string folder = folderPart(absoluteFilePath(image_->FileName()));
    return folder.empty() ? "/" : folder;
}

std::shared_ptr<TLN_Stream> UnpackOrigin::OpenList() const {
    if (image_) return std::make_shared<ImageEntryStream>(image_, listEntry_, listPath_);
    return std::shared_ptr<TLN_Stream>(TLN_HandleStream::OpenForReading(listPath_));
}

std::optional<SourceFile> UnpackOrigin::Locate(const std::string& relativePath) const {
    const std::vector<std::string> parts = pathComponents(relativePath);
    if (parts.empty()) return std::nullopt;
    SourceFile file;
    if (image_) {
        const TFileEntry* entry = findImageFileStrictly(listEntry_->Directory(), parts);
        if (!entry) return std::nullopt;
        file.path = imagePathOf(entry);
        file.size = entry->DataLength();
        file.imageEntry = entry;
        return file;
    }
    std::string path = folder_;
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto next = resolveComponent(path, parts[i], i + 1 < parts.size());
        if (!next) return std::nullopt;
        path = *next;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    file.path = path;
    file.size = int64_t(st.st_size);
    file.identities.push_back(FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)});
    if (const auto link = FileIdentityOf(path, false); link && !(*link == file.identities.front()))
        file.identities.push_back(*link);
    return file;
}

std::vector<FileIdentity> UnpackOrigin::FilesRead(const std::vector<std::string>& relativePaths) const {
    std::vector<FileIdentity> files = protected_;
    for (const std::string& path : relativePaths)
        if (const auto file = Locate(path))
            files.insert(files.end(), file->identities.begin(), file->identities.end());
    return files;
}

std::shared_ptr<TLN_Stream> UnpackOrigin::Open(const SourceFile& file) const {
    if (image_) {
        if (!file.imageEntry) throw EFOpenError("Cannot open file " + file.path);
        return std::make_shared<ImageEntryStream>(image_, file.imageEntry, file.path);
    }
    return std::shared_ptr<TLN_Stream>(TLN_HandleStream::OpenForReading(file.path));
}
