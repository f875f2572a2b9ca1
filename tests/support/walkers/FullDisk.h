// A full or read-only folder for the writers' tests: a 64 KiB tmpfs mounted over it where the test may
// mount one, else (full only) a file size limit of 0 with SIGXFSZ ignored, so that every write fails.
#pragma once

#include <string>
#include <sys/resource.h>

class FullDisk {
public:
    explicit FullDisk(std::string folder);
    // Unmounts (what the small disk held goes) or lifts the limit.
    ~FullDisk();
    // Nothing more fits from now on.
    void Fill();
    // False where no small disk is mounted.
    bool ReadOnly();
    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_, limited_ = false;
    rlimit saved_{};
};
