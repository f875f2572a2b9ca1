// A file's identity on disk (device and inode): two paths with equal identities name one file, whatever
// links or names lead to it. The converter and the unpack tools refuse to write over their sources by it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file or folder path names (symbolic links followed, or not with followLinks false);
// nothing when it does not exist.
std::optional<FileIdentity> FileIdentityOf(const std::string& path, bool followLinks = true);
// True when path names one of files: the file itself, or a link to it or among them.
bool NamesOneOf(const std::string& path, const std::vector<FileIdentity>& files);
