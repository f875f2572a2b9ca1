// File-descriptor stream; every access is positionless (pread/pwrite), retried on EINTR.
#include "kiwi/io/HandleStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include "kiwi/core/KiwiErrors.h"
#include "platform/GuardedFileWriter.h"

TLN_HandleStream::TLN_HandleStream(int fd, std::string fileName) : fd_(fd), fileName_(std::move(fileName)) {}

TLN_HandleStream::~TLN_HandleStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<TLN_HandleStream> TLN_HandleStream::OpenForReading(const std::string& path) {
    // Not blocking at the open: a FIFO would wait there for a writer that never comes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) {
        ::close(fd);
        throw EFOpenError("Cannot open file \"" + path + "\". " +
                          SourceRefusal(path).value_or(std::strerror(errno)));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<TLN_HandleStream>(fd, path);
}

std::unique_ptr<TLN_HandleStream> TLN_HandleStream::Create(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    return std::make_unique<TLN_HandleStream>(fd, path);
}

int64_t TLN_HandleStream::Size() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EReadError("File read error!");
    return int64_t(st.st_size);
}

int64_t TLN_HandleStream::ReadAt(int64_t position, void* buffer, int64_t count) {
    if (position < 0 || count <= 0) return 0;
    // The kernel refuses a range that ends past the largest offset; no file reaches it, so that part
    // of the range is past the end anyway.
    count = std::min(count, std::numeric_limits<int64_t>::max() - position);
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, size_t(count - done), off_t(position + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EReadError("File read error!");
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

void TLN_HandleStream::WriteAt(int64_t position, const void* buffer, int64_t count) {
    if (count <= 0) return;
    if (position < 0) throw EWriteError("Stream write error: negative position");
    const auto* in = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pwrite(fd_, in + done, size_t(count - done), off_t(position + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError(std::string("Stream write error: ") + std::strerror(errno));
        done += n;
    }
}

void TLN_HandleStream::SetSize(int64_t size) {
    if (size < 0 || ::ftruncate(fd_, off_t(size)) != 0)
        throw EWriteError(std::string("Stream write error: ") + std::strerror(errno));
}
