// Existence and location of the source's files, in the mounted image or on disk.
#include "mainwindow/model/SourceFiles.h"

#include <filesystem>
#include <system_error>

#include <QFile>

#include "kiwi/core/FileNames.h"
#include "kiwi/disc/FileManager.h"

std::optional<std::string> LocateSourceFile(const std::string& folder, const std::string& name) {
    const std::optional<std::string> bare = safeBareName(name);
    if (!bare) return std::nullopt;
    // The file layer opens every file from a mounted image, so a disk file of that name would not be the
    // one read (and a relative folder would be looked up in the process's current folder).
    if (IsISOImageOpen()) {
        const std::string path = joinPath(folder, *bare);
        if (ISOFileExists(path)) return path;
        return std::nullopt;
    }
    return resolveInFolder(folder.empty() ? std::string(".") : folder, *bare);
}

bool SourceFileExists(const std::string& path) {
    if (path.empty()) return false;
    if (IsISOImageOpen()) return ISOFileExists(path);
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

QString ToQtPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string FromQtPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
