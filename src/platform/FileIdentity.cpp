// A file's identity on disk from stat or lstat.
#include "platform/FileIdentity.h"

#include <sys/stat.h>

#include <algorithm>

std::optional<FileIdentity> FileIdentityOf(const std::string& path, bool followLinks) {
    struct stat st {};
    const int result = followLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (result != 0) return std::nullopt;
    return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

bool NamesOneOf(const std::string& path, const std::vector<FileIdentity>& files) {
    for (bool follow : {true, false}) {
        const auto identity = FileIdentityOf(path, follow);
        if (identity && std::find(files.begin(), files.end(), *identity) != files.end()) return true;
    }
    return false;
}
