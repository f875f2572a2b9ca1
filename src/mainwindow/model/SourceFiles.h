// Files of the opened source as the tree's nodes and builders look for them: on disk or, with an ISO image
// mounted, inside the image; names from data are checked before they are joined to a folder.
#pragma once

#include <optional>
#include <string>

// True when path names a regular file on disk or a file of the mounted image.
bool SourceFileExists(const std::string& path);
// The path of a file named by data (a management header's or a list's file name) in folder: a safe bare
// name only, matched case-insensitively on disk, else looked up in the mounted image. nullopt when the
// name is unsafe or no such file exists.
std::optional<std::string> ResolveSourceFile(const std::string& folder, const std::string& name);
