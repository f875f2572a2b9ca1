// Produced files: temporary file, sync, rename; the source guard.
#include "converter/output/ProducedFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/HandleStream.h"

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string FindInFolder(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return {};
    std::string found;
    while (dirent* entry = ::readdir(dir))
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = folder + "/" + entry->d_name;
            break;
        }
    ::closedir(dir);
    return found;
}

void SourceGuard::ProtectFile(const std::string& path) {
    if (const auto id = FileIdentityOf(path)) files_.push_back(*id);
    ProtectFolder(FolderOf(path));
}

void SourceGuard::ProtectFolder(const std::string& path) {
    if (const auto id = FileIdentityOf(path)) folders_.push_back(*id);
}

Failure SourceGuard::RefusalFor(const std::string& path) const {
    const auto file = FileIdentityOf(path);
    for (const FileIdentity& f : files_)
        if (file && *file == f) return Failure(FailureCode::OutputIsSourceFile, {{"file", path}});
    const auto folder = FileIdentityOf(FolderOf(path));
    if (!folder) return Failure(FailureCode::OutputFolderMissing, {{"file", path}});
    struct stat info {};
    if (::stat(FolderOf(path).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return Failure(FailureCode::OutputFolderNotFolder, {{"file", path}});
    for (const FileIdentity& f : folders_)
        if (*folder == f) return Failure(FailureCode::OutputInSourceFolder, {{"file", path}});
    return {};
}

std::unique_ptr<TLN_Stream> OpenHandleOutput(const std::string& path) {
    return TLN_HandleStream::Create(path);
}

ProducedFile::ProducedFile(std::string finalPath, const OutputOpener& opener)
    : finalPath_(std::move(finalPath)), temporaryPath_(finalPath_ + ".part") {
    std::unique_ptr<TLN_Stream> file = opener ? opener(temporaryPath_) : OpenHandleOutput(temporaryPath_);
    if (!file) throw EFCreateError(Failure(FailureCode::FileCreateRefused, {{"file", temporaryPath_}}));
    stream_ = std::make_unique<BufferedOutputStream>(std::move(file));
    // A large file's write-back starts while it is written, so the final sync has little left to wait for.
    if (auto* handle = dynamic_cast<TLN_HandleStream*>(&stream_->Inner())) {
        const int fd = handle->Handle();
        stream_->SetWriteBehind([fd](int64_t from, int64_t to) {
            ::sync_file_range(fd, from, to - from, SYNC_FILE_RANGE_WRITE);
        });
    }
}

ProducedFile::~ProducedFile() {
    Discard();
}

void ProducedFile::Discard() {
    if (done_) return;
    done_ = true;
    if (stream_) stream_->Drop();
    stream_.reset();
    ::unlink(temporaryPath_.c_str());
}

namespace {

[[noreturn]] void failWith(FailureCode what, const std::string& path, int error) {
    throw EWriteError(Failure(what, Failure::System(error), {{"file", path}}));
}

void syncPath(const std::string& path, bool folder) {
    const int fd = ::open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0) failWith(FailureCode::OutputOpenFailed, path, errno);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; the rename stands all the same.
    if (result != 0 && !(folder && (error == EINVAL || error == EROFS)))
        failWith(FailureCode::OutputSyncFailed, path, error);
}

} // namespace

void ProducedFile::Commit() {
    if (done_) throw EWriteError(Failure(FailureCode::OutputClosed, {{"file", finalPath_}}));
    try {
        stream_->Flush();
        if (auto* handle = dynamic_cast<TLN_HandleStream*>(&stream_->Inner())) {
            if (::fsync(handle->Handle()) != 0)
                failWith(FailureCode::OutputSyncFailed, temporaryPath_, errno);
        }
        stream_.reset();
        syncPath(temporaryPath_, false);
        if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0)
            failWith(FailureCode::OutputRenameFailed, finalPath_, errno);
        done_ = true;
        syncPath(FolderOf(finalPath_), true);
    } catch (...) {
        Discard();
        throw;
    }
}

void ProducedFile::Flush() {
    if (done_) throw EWriteError(Failure(FailureCode::OutputClosed, {{"file", finalPath_}}));
    stream_->Flush();
}

void WriteProducedFile(const std::string& path, const std::string& bytes, const OutputOpener& opener) {
    ProducedFile file(path, opener);
    file.Stream().Write(bytes.data(), int64_t(bytes.size()));
    file.Commit();
}
