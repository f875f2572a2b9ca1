// Target folders inside the output folder and temporary target files renamed on success.
#include "unpack/engine/UnpackOutput.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "unpack/engine/UnpackSource.h"
#include "unpack/engine/UnpackTexts.h"

namespace {
// The mark a partial file carries while this program writes it; it is taken off before the file gets its
// final name. A file system without extended attributes keeps no mark: a leftover there counts as another's.
const char* const ownPartMark = "user.strovane.part";

[[noreturn]] void fail(int error) {
    throw UnpackFailure(unpacktext::systemError(error));
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved)) fail(errno);
    return resolved;
}

bool inside(const std::string& path, const std::string& root) {
    if (root == "/") return !path.empty() && path[0] == '/';
    return path == root ||
           (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/');
}
} // namespace

std::string makeFolderInside(const std::string& root, const std::string& relativeFolder) {
    const std::string realRoot = realPath(root);
    std::string current = realRoot;
    for (const std::string& component : pathComponents(relativeFolder)) {
        if (component == "." || component == "..") throw UnpackFailure(unpacktext::outsideFolder);
        const std::string next = current == "/" ? "/" + component : current + "/" + component;
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0) {
            if (errno != ENOENT) fail(errno);
            if (::mkdir(next.c_str(), 0777) != 0 && errno != EEXIST) fail(errno);
            if (::lstat(next.c_str(), &st) != 0) fail(errno);
        }
        if (S_ISLNK(st.st_mode)) {
            // A link may only lead to a folder that is itself inside the output folder.
            const std::string target = realPath(next);
            if (!inside(target, realRoot)) throw UnpackFailure(unpacktext::outsideFolder);
            struct stat targetStat {};
            if (::stat(target.c_str(), &targetStat) != 0) fail(errno);
            if (!S_ISDIR(targetStat.st_mode)) fail(ENOTDIR);
            current = target;
        } else if (S_ISDIR(st.st_mode)) {
            current = next;
        } else {
            fail(ENOTDIR);
        }
    }
    return current;
}

bool TempFileOutput::IsOwnPart(const std::string& path) {
    char value = 0;
    return ::lgetxattr(path.c_str(), ownPartMark, &value, 1) == 1 && value == '1';
}

bool TempFileOutput::IsOtherFile(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && !IsOwnPart(path);
}

TempFileOutput::TempFileOutput(const std::string& folder, const std::string& fileName, bool sync,
                               bool replaceOthers)
    : fileName_(fileName), partName_(PartName(fileName)), sync_(sync) {
    folderFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) fail(errno);
    const auto closeAndFail = [this](int error) {
        ::close(folderFd_);
        folderFd_ = -1;
        fail(error);
    };
    // Only a partial file of ours (or one the user agreed to lose) is replaced, never written through.
    if (!replaceOthers && IsOtherFile(folder + "/" + partName_)) {
        ::close(folderFd_);
        folderFd_ = -1;
        throw UnpackFailure(unpacktext::otherPartFile);
    }
    if (::unlinkat(folderFd_, partName_.c_str(), 0) != 0 && errno != ENOENT) closeAndFail(errno);
    fd_ = ::openat(folderFd_, partName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd_ < 0) closeAndFail(errno);
    ::fsetxattr(fd_, ownPartMark, "1", 1, 0);
}

TempFileOutput::~TempFileOutput() {
    Discard();
    if (folderFd_ >= 0) ::close(folderFd_);
}

ssize_t TempFileOutput::WriteSome(int fd, const uint8_t* data, size_t size) {
    return ::write(fd, data, size);
}

void TempFileOutput::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = WriteSome(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (written == 0) fail(ENOSPC);
        data += written;
        size -= size_t(written);
    }
}

void TempFileOutput::Commit() {
    // The finished file is the user's: it keeps no trace of having been partial.
    ::fremovexattr(fd_, ownPartMark);
    if (sync_ && ::fdatasync(fd_) != 0) fail(errno);
    const int fd = fd_;
    fd_ = -1;
    // Some file systems report a failed write-back only here.
    if (::close(fd) != 0) fail(errno);
    if (::renameat(folderFd_, partName_.c_str(), folderFd_, fileName_.c_str()) != 0) fail(errno);
    done_ = true;
}

void TempFileOutput::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!done_ && folderFd_ >= 0) {
        ::unlinkat(folderFd_, partName_.c_str(), 0);
        done_ = true;
    }
}

OutputFactory tempFileOutputs(bool sync, bool replaceOthers) {
    return [sync, replaceOthers](const std::string& folder,
                                 const std::string& fileName) -> std::unique_ptr<UnpackOutput> {
        return std::make_unique<TempFileOutput>(folder, fileName, sync, replaceOthers);
    };
}
