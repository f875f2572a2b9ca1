// A full file system under a folder: a filled tmpfs, or a file size limit.
#include "support/walkers/FullDisk.h"

#include <csignal>
#include <fstream>
#include <sys/mount.h>

FullDisk::FullDisk(std::string folder)
    : folder_(std::move(folder)), mounted_(::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0) {}

FullDisk::~FullDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    if (limited_) ::setrlimit(RLIMIT_FSIZE, &saved_);
}

void FullDisk::Fill() {
    std::ofstream filler(folder_ + "/filler");
    for (int i = 0; mounted_ && i < 65536 && filler.put('f').flush(); ++i) {
    }
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit none = saved_;
    none.rlim_cur = 0;
    limited_ = !mounted_ && ::setrlimit(RLIMIT_FSIZE, &none) == 0;
}

bool FullDisk::ReadOnly() {
    return mounted_ && ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
