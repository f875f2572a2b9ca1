// A full or read-only folder for the writers' tests: a 64 KiB tmpfs mounted over it where the test may
// mount one, else (full only) a file size limit of 0 with SIGXFSZ ignored, so that every write fails.
#pragma once

#include <csignal>
#include <fstream>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>

class FullDisk {
public:
    explicit FullDisk(std::string folder)
        : folder_(std::move(folder)),
          mounted_(::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
    }
    // Unmounts (what the small disk held goes) or lifts the limit.
    ~FullDisk() { mounted_ ? ::umount2(folder_.c_str(), MNT_DETACH) : ::setrlimit(RLIMIT_FSIZE, &saved_); }
    // Nothing more fits from now on.
    void Fill() {
        std::ofstream filler(folder_ + "/filler");
        for (int i = 0; mounted_ && i < 65536 && filler.put('f').flush(); ++i) {
        }
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, saved_.rlim_max};
        if (!mounted_) ::setrlimit(RLIMIT_FSIZE, &none);
    }
    // False where no small disk is mounted.
    bool ReadOnly() {
        return mounted_ && ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_;
    rlimit saved_{};
};
