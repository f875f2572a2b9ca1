// The reopen list's settings round trip and its most-recent-first ordering.
#include "platform/ReopenList.h"

#include <QDir>
#include <QFileInfo>

#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"

namespace {
// The stored list is read whole, so a damaged size cannot make us allocate much.
constexpr int32_t kMaxStoredBytes = 64 * 1024;
} // namespace

QByteArray ReopenList::Serialize(const QStringList& paths) {
    QByteArray bytes;
    for (const QString& path : paths) {
        bytes += path.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

QStringList ReopenList::Parse(const QByteArray& bytes) {
    QStringList paths;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        paths.append(QString::fromUtf8(line));
        if (paths.size() == kMaxEntries) break;
    }
    return paths;
}

void ReopenList::Load() {
    paths_.clear();
    // The stored size only ever cuts the list: one that is damaged (missing, of another type, shorter
    // than the data) must not drop entries that read back whole, nor let the older single values replace
    // them at the next save.
    const auto stored = SettingsStore::forUser().read(QStringLiteral("ReopenData"));
    const QByteArray* bytes = stored ? std::get_if<QByteArray>(&*stored) : nullptr;
    if (bytes && !bytes->isEmpty() && bytes->size() <= kMaxStoredBytes) {
        paths_ = Parse(*bytes);
        if (!paths_.isEmpty()) return;
    }
    const QString disk = RegReadString(QStringLiteral("Disk"));
    if (!disk.isEmpty()) paths_.append(disk);
    const QString folder = RegReadString(QStringLiteral("Folder"));
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) paths_.append(folder);
    for (const char* name : {"File", "IsoFile"}) {
        const QString file = RegReadString(QString::fromLatin1(name));
        if (!file.isEmpty() && QFileInfo(file).isFile()) paths_.append(file);
    }
}

bool ReopenList::Add(const QString& path) {
    if (path.isEmpty() || path.contains(QLatin1Char('\r')) || path.contains(QLatin1Char('\n'))) return false;
    const QString clean = QDir::cleanPath(path);
    const qsizetype at = paths_.indexOf(clean);
    if (at >= 0) {
        paths_.move(at, 0);
    } else {
        paths_.prepend(clean);
        while (paths_.size() > kMaxEntries)
            paths_.removeLast();
    }
    Save();
    return true;
}

void ReopenList::Save() const {
    if (paths_.isEmpty()) return;
    const QByteArray bytes = Serialize(paths_);
    RegWriteBinary(QStringLiteral("ReopenData"), bytes.constData(), bytes.size());
    RegWriteInteger(QStringLiteral("ReopenDataSize"), int32_t(bytes.size()));
}
