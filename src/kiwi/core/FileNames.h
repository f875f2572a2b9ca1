// File names from discs and from data: checked bare names and relative paths, and case-insensitive
// resolution inside one folder (discs copied from a mounted DVD often have lower-case names).
#pragma once

#include <optional>
#include <string>

// The name itself when it is a usable bare file name: not empty, at most 255 bytes, no "/", "\", ":",
// no control bytes, not "." or "..". Otherwise nullopt.
std::optional<std::string> safeBareName(const std::string& name);

// A relative path with "/" separators made from a name with "\" or "/" separators; nullopt for an
// absolute path, a drive letter, a ".." component, an empty component list or control bytes.
// "." components and repeated separators are dropped.
std::optional<std::string> safeRelativePath(const std::string& name);

// The path of name inside folder: the exact name when such a file exists, else the first file of folder
// whose name matches case-insensitively (ASCII), else nullopt; folders never match. name must be a bare name.
std::optional<std::string> resolveInFolder(const std::string& folder, const std::string& name);

// Joins a folder and a bare name with one "/".
std::string joinPath(const std::string& folder, const std::string& name);

// The file-name component (after the last "/" or "\") and the folder part before it ("" when none).
std::string fileNamePart(const std::string& path);
std::string folderPart(const std::string& path);

// ASCII case-insensitive comparison.
bool equalsIgnoreCase(const std::string& a, const std::string& b);
