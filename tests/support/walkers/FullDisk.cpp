// A full file system under a folder: a filled tmpfs, or a file size limit.
#include "support/walkers/FullDisk.h"

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

FullDisk::FullDisk(std::string folder) : folder_(std::move(folder)) {
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0;
}

FullDisk::~FullDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    if (limited_) ::setrlimit(RLIMIT_FSIZE, &saved_);
}

void FullDisk::Fill() {
    if (!mounted_) {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit none = saved_;
        none.rlim_cur = 0;
        limited_ = ::setrlimit(RLIMIT_FSIZE, &none) == 0;
        return;
    }
    const int fd = ::open((folder_ + "/filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::vector<char> block(4096, 'f');
    while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
    }
    // The last pages of a block may still take a few bytes.
    while (fd >= 0 && ::write(fd, block.data(), 1) > 0) {
    }
    if (fd >= 0) ::close(fd);
}

bool FullDisk::ReadOnly() {
    return mounted_ && ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
