// Produced files: a nameless or exclusive temporary file, sync, link or rename; the source guard.
#include "converter/output/ProducedFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
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
    ProtectFileOnly(path);
    ProtectFolder(FolderOf(path));
}

void SourceGuard::ProtectFileOnly(const std::string& path) {
    if (const auto id = FileIdentityOf(path)) files_.push_back(*id);
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

namespace {

// The mark a named partial file carries while this program writes it (the one the unpack tools use); a file
// of that name without it is someone else's and is never replaced.
const char* const kOwnPartMark = "user.strovane.part";
std::atomic<bool> namelessAllowed{true};

std::string nameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

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

void syncFolder(int fd, const std::string& path) {
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        failWith(FailureCode::OutputSyncFailed, path, errno);
}

} // namespace

void ProducedFile::AllowNamelessFiles(bool allow) {
    namelessAllowed = allow;
}

ProducedFile::ProducedFile(std::string finalPath, const OutputOpener& opener)
    : finalPath_(std::move(finalPath)), temporaryPath_(finalPath_ + ".part") {
    if (opener) {
        std::unique_ptr<TLN_Stream> file = opener(temporaryPath_);
        if (!file) throw EFCreateError(Failure(FailureCode::FileCreateRefused, {{"file", temporaryPath_}}));
        stream_ = std::make_unique<BufferedOutputStream>(std::move(file));
    } else {
        createInFolder();
    }
    // A large file's write-back starts while it is written, so the final sync has little left to wait for.
    if (auto* handle = dynamic_cast<TLN_HandleStream*>(&stream_->Inner())) {
        const int fd = handle->Handle();
        stream_->SetWriteBehind([fd](int64_t from, int64_t to) {
            ::sync_file_range(fd, from, to - from, SYNC_FILE_RANGE_WRITE);
        });
    }
}

void ProducedFile::createInFolder() {
    const auto refuse = [this](const Failure& why) {
        if (folderFd_ >= 0) ::close(folderFd_);
        folderFd_ = -1;
        throw EFCreateError(Failure(FailureCode::FileCreateFailed, why, {{"file", temporaryPath_}}));
    };
    folderFd_ = ::open(FolderOf(finalPath_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) refuse(Failure::System(errno));
    int fd = -1;
    // A nameless file gets its name through /proc at the end; without it, the named way from the start.
    if (namelessAllowed && ::access("/proc/self/fd", X_OK) == 0) {
        fd = ::openat(folderFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
        // EISDIR and EOPNOTSUPP: a file system without nameless files; any other error is the folder's.
        if (fd < 0 && errno != EISDIR && errno != EOPNOTSUPP) refuse(Failure::System(errno));
    }
    nameless_ = fd >= 0;
    const std::string part = nameOf(temporaryPath_);
    for (int attempt = 0; fd < 0; ++attempt) {
        fd = ::openat(folderFd_, part.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::fsetxattr(fd, kOwnPartMark, "1", 1, 0);
            break;
        }
        if (errno != EEXIST || attempt > 0) refuse(Failure::System(errno));
        // Only a partial file this program left (a crash) is replaced, and never written through.
        char mark = 0;
        if (::lgetxattr(temporaryPath_.c_str(), kOwnPartMark, &mark, 1) != 1 || mark != '1')
            refuse(Failure(FailureCode::PartFileNotOurs));
        if (::unlinkat(folderFd_, part.c_str(), 0) != 0) refuse(Failure::System(errno));
    }
    stream_ = std::make_unique<BufferedOutputStream>(
        std::make_unique<TLN_HandleStream>(fd, nameless_ ? finalPath_ : temporaryPath_));
}

ProducedFile::~ProducedFile() {
    Discard();
    if (folderFd_ >= 0) ::close(folderFd_);
}

void ProducedFile::Discard() {
    if (done_) return;
    done_ = true;
    if (stream_) stream_->Drop();
    stream_.reset();
    // A nameless file is gone with its descriptor.
    if (nameless_) return;
    if (folderFd_ >= 0)
        ::unlinkat(folderFd_, nameOf(temporaryPath_).c_str(), 0);
    else
        ::unlink(temporaryPath_.c_str());
}

void ProducedFile::linkIn(int fd) {
    // A fresh name first (linkat never follows a link there, nor replaces a file), then the rename puts it
    // over the final name in one step.
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    const std::string base = nameOf(finalPath_);
    for (int attempt = 0;; ++attempt) {
        const std::string name =
            "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        int result = ::linkat(AT_FDCWD, procPath.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW);
        // Without /proc, the descriptor itself (allowed to some users only).
        if (result != 0 && errno == ENOENT) result = ::linkat(fd, "", folderFd_, name.c_str(), AT_EMPTY_PATH);
        if (result != 0) {
            if (errno == EEXIST && attempt < 100) continue;
            failWith(FailureCode::OutputLinkFailed, finalPath_, errno);
        }
        if (::renameat(folderFd_, name.c_str(), folderFd_, base.c_str()) != 0) {
            const int error = errno;
            ::unlinkat(folderFd_, name.c_str(), 0);
            failWith(FailureCode::OutputRenameFailed, finalPath_, error);
        }
        return;
    }
}

void ProducedFile::Commit() {
    if (done_) throw EWriteError(Failure(FailureCode::OutputClosed, {{"file", finalPath_}}));
    try {
        stream_->Flush();
        auto* handle = dynamic_cast<TLN_HandleStream*>(&stream_->Inner());
        if (handle && ::fsync(handle->Handle()) != 0)
            failWith(FailureCode::OutputSyncFailed, finalPath_, errno);
        if (nameless_) {
            linkIn(handle->Handle());
            done_ = true;
            stream_.reset();
        } else {
            // The finished file is the user's: it keeps no trace of having been partial.
            if (handle && folderFd_ >= 0) ::fremovexattr(handle->Handle(), kOwnPartMark);
            stream_.reset();
            if (folderFd_ < 0) syncPath(temporaryPath_, false);
            const int renamed = folderFd_ >= 0 ? ::renameat(folderFd_, nameOf(temporaryPath_).c_str(),
                                                            folderFd_, nameOf(finalPath_).c_str())
                                               : ::rename(temporaryPath_.c_str(), finalPath_.c_str());
            if (renamed != 0) failWith(FailureCode::OutputRenameFailed, finalPath_, errno);
            done_ = true;
        }
        if (folderFd_ >= 0)
            syncFolder(folderFd_, FolderOf(finalPath_));
        else
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
