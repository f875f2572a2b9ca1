// The unpack refusals and the walk over the places a compression list may lie.
#include "mainwindow/model/UnpackRefusal.h"

#include <QFileInfo>

#include "kiwi/cmp/CmpListSearch.h"
#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/disc/FileManager.h"

namespace {
const char* const kListNames[] = {"05.CMP", "06.CMP", "13.CMP"};
constexpr int kFoldersSearched = 3;
} // namespace

CmpListLookout LookForCmpLists(const std::string& fileName) {
    CmpListLookout lookout;
    if (IsISOImageOpen()) {
        for (const char* name : kListNames)
            lookout.found = lookout.found || ISOFileExists(name);
        lookout.lastCandidate = "13.CMP";
        return lookout;
    }
    std::string folder = folderPart(absoluteFilePath(fileName));
    if (folder.empty()) folder = "/";
    for (int depth = 0; depth < kFoldersSearched; ++depth) {
        for (const char* name : kListNames)
            lookout.found = lookout.found || resolveInFolder(folder, name);
        lookout.lastCandidate = (folder.back() == '/' ? folder : folder + "/") + "13.CMP";
        if (folder == "/") break;
        folder = folderPart(folder);
        if (folder.empty()) folder = "/";
    }
    return lookout;
}

QString UnpackRefusal(const TLN_DecompFileStream& stream, const std::string& path) {
    const QString name =
        QFileInfo(QString::fromStdString(path).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    // A list entry of type 0 names a file stored as it is.
    const bool uncompressedEntry = stream.ListFound() && stream.Entry().compressionType == 0;
    if (!stream.ListFound() || uncompressedEntry) {
        const CmpListLookout lookout = uncompressedEntry ? CmpListLookout{true, {}} : LookForCmpLists(path);
        if (!lookout.found && !uncompressedEntry)
            return QStringLiteral("Необходимый файл  ") + QString::fromStdString(lookout.lastCandidate) +
                   QStringLiteral("  не найден!");
        return QStringLiteral("Файл  ") + name + QStringLiteral("  не имеет сжатия!");
    }
    if (!stream.Listed())
        return QStringLiteral("Файл  ") + name + QStringLiteral("  не сжат") + QStringLiteral("\n\r") +
               QStringLiteral("или имеет неподдерживаемый тип сжатия!");
    return {};
}
