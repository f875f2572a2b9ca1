// Checked file names and case-insensitive resolution.
#include "kiwi/core/FileNames.h"

#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace {
bool hasControlBytes(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}
char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
} // namespace

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::optional<std::string> safeBareName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == ".." || hasControlBytes(name))
        return std::nullopt;
    if (name.find_first_of("/\\:") != std::string::npos) return std::nullopt;
    return name;
}

std::optional<std::string> safeRelativePath(const std::string& name) {
    if (name.empty() || name.size() > 4096 || hasControlBytes(name)) return std::nullopt;
    if (name[0] == '/' || name[0] == '\\') return std::nullopt;
    if (name.size() >= 2 && name[1] == ':') return std::nullopt;
    std::vector<std::string> parts;
    std::string current;
    auto flush = [&]() -> bool {
        if (current.empty() || current == ".") {
            current.clear();
            return true;
        }
        if (current == ".." || current.size() > 255 || current.find(':') != std::string::npos) return false;
        parts.push_back(current);
        current.clear();
        return true;
    };
    for (char c : name) {
        if (c == '/' || c == '\\') {
            if (!flush()) return std::nullopt;
        } else {
            current += c;
        }
    }
    if (!flush() || parts.empty()) return std::nullopt;
    std::string result;
    for (const auto& p : parts) {
        if (!result.empty()) result += '/';
        result += p;
    }
    return result;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

namespace {
// Names resolve to files only: a folder that happens to carry a data file's name is not that file.
bool isFileOtherThanFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}
} // namespace

std::optional<std::string> resolveInFolder(const std::string& folder, const std::string& name) {
    if (!safeBareName(name)) return std::nullopt;
    const std::string base = folder.empty() ? "." : folder;
    if (isFileOtherThanFolder(joinPath(base, name))) return folder.empty() ? name : joinPath(folder, name);
    DIR* dir = ::opendir(base.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> found;
    while (dirent* entry = ::readdir(dir)) {
        if (equalsIgnoreCase(entry->d_name, name) && isFileOtherThanFolder(joinPath(base, entry->d_name))) {
            found = folder.empty() ? std::string(entry->d_name) : joinPath(folder, entry->d_name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string fileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderPart(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
