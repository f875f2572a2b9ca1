// The guarded file writer: an unnamed temporary file (O_TMPFILE) linked into place on success where the
// file system has them, else an exclusively created named one that the writer removes itself.
#include "platform/GuardedFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileIdentity.h"

namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name beside target that nothing holds yet: "<target>.tmp-XXXXXX".
std::string freshName(const std::string& target) {
    static thread_local std::mt19937 random{std::random_device{}() ^ unsigned(::getpid())};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = target + ".tmp-";
    for (int i = 0; i < 6; ++i)
        name += digits[random() % 36];
    return name;
}

bool syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

} // namespace

GuardedFileWriter::GuardedFileWriter(const std::string& target, Rules rules) : target_(target) {
    if (target.empty()) {
        Fail(0, "no output file named");
        return;
    }
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(target.c_str(), resolved)) {
            Fail(errno, "the link " + target + " leads to no file");
            return;
        }
        target_ = resolved;
    }
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            Fail(S_ISDIR(existing.st_mode) ? EISDIR : 0,
                 target_ + " is not a regular file; it is left as it is");
            return;
        }
        const FileIdentity identity{uint64_t(existing.st_dev), uint64_t(existing.st_ino)};
        for (const std::string& source : rules.sources) {
            if (FileIdentityOf(source) == identity) {
                Fail(0, target + " is the source " + source + " itself; choose another output");
                return;
            }
        }
        if (!rules.replaceExisting) {
            Fail(EEXIST, target + " exists already and is not replaced");
            return;
        }
    }
    replaceExisting_ = rules.replaceExisting;
    if (!OpenTemporary(folderOf(target_))) return;
    // A replaced file keeps its permissions.
    if (S_ISREG(existing.st_mode) && ::fchmod(descriptor_, existing.st_mode & 07777) != 0)
        Fail(errno, "cannot write " + target_);
}

GuardedFileWriter::~GuardedFileWriter() {
    Cancel();
}

bool GuardedFileWriter::OpenTemporary(const std::string& folder) {
    descriptor_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (descriptor_ >= 0) return true;
    // Not every file system has unnamed files; a named one, created exclusively, never an existing file.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        Fail(errno, "cannot write in the folder " + folder);
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = freshName(target_);
        descriptor_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) {
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST) break;
    }
    Fail(errno, "cannot write in the folder " + folder);
    return false;
}

void GuardedFileWriter::Fail(int code, const std::string& reason) {
    if (!error_.empty()) return;
    errorCode_ = code;
    error_ = code ? reason + ": " + std::strerror(code) : reason;
    RemoveTemporary();
}

void GuardedFileWriter::RemoveTemporary() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool GuardedFileWriter::Write(const void* data, size_t size) {
    if (!IsOpen()) return false;
    const char* bytes = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(descriptor_, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC, "cannot write " + target_);
            return false;
        }
        done += size_t(n);
    }
    return true;
}

bool GuardedFileWriter::Commit() {
    if (!IsOpen()) return false;
    if (::fsync(descriptor_) != 0) {
        Fail(errno, "cannot write " + target_);
        return false;
    }
    if (temporary_.empty()) {
        // The unnamed file gets a name beside the target first (a link cannot replace a file), unless
        // nothing may be replaced: then it is linked as the target itself, and a file that appeared there
        // meanwhile stops it.
        const std::string procPath = "/proc/self/fd/" + std::to_string(descriptor_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = replaceExisting_ ? freshName(target_) : target_;
            if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary_ = name;
                break;
            }
            if (errno != EEXIST || !replaceExisting_) {
                Fail(errno, "cannot write " + target_);
                return false;
            }
        }
        if (!replaceExisting_) {
            ::close(descriptor_);
            descriptor_ = -1;
            temporary_.clear();
            syncFolder(folderOf(target_));
            return true;
        }
    }
    if (::close(descriptor_) != 0) {
        descriptor_ = -1;
        Fail(errno, "cannot write " + target_);
        return false;
    }
    descriptor_ = -1;
    const int placed = replaceExisting_ ? ::rename(temporary_.c_str(), target_.c_str())
                                        : ::link(temporary_.c_str(), target_.c_str());
    if (placed != 0) {
        Fail(errno, "cannot write " + target_);
        return false;
    }
    if (!replaceExisting_) ::unlink(temporary_.c_str());
    temporary_.clear();
    syncFolder(folderOf(target_));
    return true;
}

void GuardedFileWriter::Cancel() {
    RemoveTemporary();
}

bool GuardedFileWriter::WriteWhole(const std::string& target, const void* data, size_t size,
                                   const Rules& rules, std::string* error) {
    GuardedFileWriter file(target, rules);
    const bool written = file.Write(data, size) && file.Commit();
    if (!written && error) *error = file.Error();
    return written;
}

std::optional<std::string> SourceRefusal(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "cannot read " + path + ": " + std::strerror(errno);
    if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)) return std::nullopt;
    const char* kind = S_ISDIR(st.st_mode)    ? "a folder"
                       : S_ISFIFO(st.st_mode) ? "a FIFO (named pipe)"
                       : S_ISSOCK(st.st_mode) ? "a socket"
                       : S_ISCHR(st.st_mode)  ? "a character device"
                                              : "not a file";
    return path + " is " + kind + ", not a file that can be read whole";
}
