// Settings file: a text format of one value per line ("<type> <name> <payload>", name and strings
// percent-encoded UTF-8, integers in decimal, binary values in hex), so a damaged line costs one value.
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace {

// First line of every settings file; a file without it is not ours and reads as empty.
const QByteArray fileHeader = "StrovaneSettings 1";

struct Entry {
    QString name;
    SettingsValue value;
};

// Writers in one process take turns here first; the lock file orders them against other processes.
std::mutex writeMutex;

bool isHexText(const QByteArray& text) {
    if (text.size() % 2 != 0) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

// One line of the file, or nullopt when it is damaged.
std::optional<Entry> parseLine(const QByteArray& line) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != 3 || fields[0].size() != 1) return std::nullopt;
    Entry entry;
    entry.name = QString::fromUtf8(QByteArray::fromPercentEncoding(fields[1]));
    const QByteArray& payload = fields[2];
    switch (fields[0][0]) {
    case 'S':
        entry.value = QString::fromUtf8(QByteArray::fromPercentEncoding(payload));
        return entry;
    case 'I': {
        bool ok = false;
        const qlonglong number = payload.toLongLong(&ok, 10);
        if (!ok || number < INT32_MIN || number > INT32_MAX) return std::nullopt;
        entry.value = int32_t(number);
        return entry;
    }
    case 'B':
        if (!isHexText(payload)) return std::nullopt;
        entry.value = QByteArray::fromHex(payload);
        return entry;
    default:
        return std::nullopt;
    }
}

QByteArray formatLine(const Entry& entry) {
    QByteArray line;
    const QByteArray name = entry.name.toUtf8().toPercentEncoding();
    if (const auto* text = std::get_if<QString>(&entry.value)) {
        line = "S " + name + ' ' + text->toUtf8().toPercentEncoding();
    } else if (const auto* number = std::get_if<int32_t>(&entry.value)) {
        line = "I " + name + ' ' + QByteArray::number(*number);
    } else {
        line = "B " + name + ' ' + std::get<QByteArray>(entry.value).toHex();
    }
    return line + '\n';
}

// The settings of one file as loaded: the entries in file order, and where each name (case-folded) is.
struct LoadedFile {
    std::vector<Entry> entries;
    QHash<QString, size_t> index;

    const Entry* find(const QString& name) const {
        const auto found = index.constFind(name.toCaseFolded());
        return found == index.constEnd() ? nullptr : &entries[*found];
    }
    void set(const QString& name, const SettingsValue& value) {
        const QString key = name.toCaseFolded();
        const auto found = index.constFind(key);
        if (found != index.constEnd()) {
            entries[*found].value = value;
        } else {
            index.insert(key, entries.size());
            entries.push_back({name, value});
        }
    }
};

LoadedFile loadEntries(const QString& filePath) {
    LoadedFile loaded;
    if (filePath.isEmpty()) return loaded;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > SettingsStore::MaximumFileSize) return loaded;
    const QByteArray content = file.read(SettingsStore::MaximumFileSize + 1);
    if (content.size() > SettingsStore::MaximumFileSize) return loaded;
    QList<QByteArray> lines = content.split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != fileHeader) return loaded;
    loaded.entries.reserve(size_t(lines.size()));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        auto entry = parseLine(line);
        // A repeated name keeps the later value, as a second write would have.
        if (entry) loaded.set(entry->name, entry->value);
    }
    return loaded;
}

// What identifies one version of a file on disk. Writers replace the file by renaming (a new inode), and
// an edit in place changes its size or times; a file changed within the clock's granularity of when it
// was looked at might change again unseen, so such a version is never taken from the cache.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool settled = false;

    static FileStamp of(const QString& filePath) {
        FileStamp stamp;
        struct stat st {};
        if (filePath.isEmpty() || ::stat(QFile::encodeName(filePath).constData(), &st) != 0) return stamp;
        stamp.exists = true;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        stamp.size = st.st_size;
        stamp.modified = st.st_mtim;
        stamp.changed = st.st_ctim;
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const auto nanoseconds = [](const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
        constexpr int64_t kSettledAfter = 100 * 1000000; // 100 ms, well above any file system's tick
        stamp.settled =
            nanoseconds(now) - std::max(nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)) > kSettledAfter;
        return stamp;
    }
    bool sameVersion(const FileStamp& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
               changed.tv_nsec == other.changed.tv_nsec;
    }
};

// Each file is parsed once and kept while it stays the same version; every store of the process shares it.
struct CachedFile {
    FileStamp stamp;
    std::shared_ptr<const LoadedFile> loaded;
};
std::mutex cacheMutex;
std::map<QString, CachedFile> cache;

std::shared_ptr<const LoadedFile> currentEntries(const QString& filePath) {
    const FileStamp stamp = FileStamp::of(filePath);
    std::lock_guard lock(cacheMutex);
    CachedFile& cached = cache[filePath];
    if (cached.loaded && cached.stamp.settled && stamp.settled && cached.stamp.sameVersion(stamp))
        return cached.loaded;
    cached.stamp = stamp;
    cached.loaded = std::make_shared<const LoadedFile>(stamp.exists ? loadEntries(filePath) : LoadedFile());
    return cached.loaded;
}

} // namespace

QString SettingsStore::userFilePath() {
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (configFolder.isEmpty()) return {};
    return configFolder + "/Strovane/settings.txt";
}

SettingsStore SettingsStore::forUser() {
    return SettingsStore(userFilePath());
}

bool SettingsStore::exists() const {
    return !filePath_.isEmpty() && QFileInfo(filePath_).isFile();
}

std::optional<SettingsValue> SettingsStore::read(const QString& name) const {
    // No file lock needed: writers replace the file by renaming, so a reader sees the old or the new one.
    const std::shared_ptr<const LoadedFile> loaded = currentEntries(filePath_);
    if (const Entry* entry = loaded->find(name)) return entry->value;
    return std::nullopt;
}

bool SettingsStore::write(const QString& name, const SettingsValue& value) {
    if (filePath_.isEmpty()) return false;
    const QFileInfo info(filePath_);
    if (!QDir().mkpath(info.absolutePath())) return false;

    std::lock_guard threadLock(writeMutex);
    QLockFile processLock(filePath_ + ".lock");
    if (!processLock.tryLock(5000)) return false;

    // A file too big to be ours is left as it is: writing would replace it with the one value.
    if (QFileInfo(filePath_).size() > MaximumFileSize) return false;
    const std::shared_ptr<const LoadedFile> current = currentEntries(filePath_);
    // Only a change is written back.
    if (const Entry* entry = current->find(name); entry && entry->value == value) return true;
    LoadedFile changed = *current;
    changed.set(name, value);

    QByteArray content = fileHeader + '\n';
    for (const Entry& entry : changed.entries)
        content += formatLine(entry);
    if (content.size() > MaximumFileSize) return false;

    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
