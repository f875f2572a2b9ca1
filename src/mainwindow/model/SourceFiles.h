// Files of the opened source as the openers, the tree's nodes and builders look for them: while an ISO
// image is mounted every file is read from it, otherwise from disk; names from data are checked before
// they are joined to a folder.
#pragma once

#include <optional>
#include <string>

#include <QString>

// Where a file named by a fixed name or by data (a management header's or a list's file name) lies in
// folder: a safe bare name only; with an image mounted, looked up inside the image (its lookup ignores
// case); otherwise on disk, the exact name first, then ignoring case. nullopt when the name is unsafe or
// no such file exists.
std::optional<std::string> LocateSourceFile(const std::string& folder, const std::string& name);
// True when path names a file as the readers would open it: inside the mounted image while one is
// mounted, otherwise a regular file on disk.
bool SourceFileExists(const std::string& path);

// Paths between Qt and the readers: the file system's own encoding of names, both ways.
QString ToQtPath(const std::string& path);
std::string FromQtPath(const QString& path);
