// A folder whose file system is full, for the tests of writers on a full disk: a small tmpfs mounted over
// the folder where the test may mount one (root), filled up; else a file size limit of the process (with
// SIGXFSZ ignored, a write past it fails as one past the end of the disk does).
#pragma once

#include <string>
#include <sys/resource.h>

class FullDisk {
public:
    // Mounts a tmpfs of 64 KiB over folder (an existing, empty folder) when allowed.
    explicit FullDisk(std::string folder);
    // Unmounts (what the folder held on the small disk goes with it) or lifts the limit.
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // From now on nothing more fits: the rest of the small disk is taken by a file "filler", or no file this
    // process writes can take a byte.
    void Fill();
    // The small disk becomes read-only; false where none is mounted.
    bool ReadOnly();
    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
    bool limited_ = false;
    rlimit saved_{};
};
