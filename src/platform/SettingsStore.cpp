// Settings file: a text format of one value per line ("<type> <name> <payload>", name and strings
// percent-encoded UTF-8, integers in decimal, binary values in hex), so a damaged line costs one value.
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/GuardedFileWriter.h"
#include "platform/SettingsNotices.h"

namespace {

// First line of every settings file; a file without it is not ours and reads as empty.
const QByteArray fileHeader = "StrovaneSettings 1";

struct Entry {
    QString name;
    SettingsValue value;
    // A line that could not be read: kept as it stands (so no write drops what a user wrote by hand),
    // with its number in the file; it has no name.
    QByteArray unread;
    int lineNumber = 0;
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
    if (!entry.unread.isEmpty()) return entry.unread + '\n';
    return SettingsStore::FormatLine(entry.name, entry.value) + '\n';
}

// The settings of one file as loaded: the entries in file order, and where each name (case-folded) is.
struct LoadedFile {
    std::vector<Entry> entries;
    QHash<QString, size_t> index;
    // The file has content, but not of a settings file: nothing in it can be used.
    bool unreadable = false;
    // Bigger than a settings file of ours can be: not read, and never written.
    bool oversized = false;
    bool hasUnreadLines = false;

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
            entries.push_back({name, value, {}, 0});
        }
    }
};

LoadedFile loadEntries(const QString& filePath) {
    LoadedFile loaded;
    if (filePath.isEmpty()) return loaded;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return loaded;
    const QByteArray content = file.read(SettingsStore::MaximumFileSize + 1);
    loaded.oversized =
        file.size() > SettingsStore::MaximumFileSize || content.size() > SettingsStore::MaximumFileSize;
    if (loaded.oversized) return loaded;
    QList<QByteArray> lines = content.split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != fileHeader) {
        loaded.unreadable = !content.trimmed().isEmpty();
        return loaded;
    }
    loaded.entries.reserve(size_t(lines.size()));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        auto entry = parseLine(line);
        // A repeated name keeps the later value, as a second write would have.
        if (entry) {
            loaded.set(entry->name, entry->value);
        } else {
            loaded.entries.push_back({QString(), QString(), line, int(i) + 1});
            loaded.hasUnreadLines = true;
        }
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
    // Values whose writes failed, kept for the rest of the process; they go into the next write that
    // succeeds.
    LoadedFile unsaved;
    // Values too big for the file, by case-folded name: kept for the rest of the process, never written.
    QHash<QString, SettingsValue> sessionOnly;
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

std::optional<SettingsValue> unsavedValue(const QString& filePath, const QString& name) {
    std::lock_guard lock(cacheMutex);
    const auto found = cache.find(filePath);
    if (found == cache.end()) return std::nullopt;
    if (const Entry* entry = found->second.unsaved.find(name)) return entry->value;
    if (const auto kept = found->second.sessionOnly.constFind(name.toCaseFolded());
        kept != found->second.sessionOnly.constEnd())
        return *kept;
    return std::nullopt;
}

LoadedFile unsavedValues(const QString& filePath) {
    std::lock_guard lock(cacheMutex);
    return cache[filePath].unsaved;
}

void keepUnsaved(const QString& filePath, const QString& name, const SettingsValue& value) {
    std::lock_guard lock(cacheMutex);
    cache[filePath].unsaved.set(name, value);
}

void keepForSession(const QString& filePath, const QString& name, const SettingsValue& value) {
    std::lock_guard lock(cacheMutex);
    cache[filePath].sessionOnly.insert(name.toCaseFolded(), value);
}

// After a write of name succeeded: what the file holds is current again.
void forgetUnsaved(const QString& filePath, const QString& name) {
    std::lock_guard lock(cacheMutex);
    cache[filePath].unsaved = LoadedFile();
    cache[filePath].sessionOnly.remove(name.toCaseFolded());
}

QString shown(const QString& filePath) {
    return QStringLiteral("«") + QDir::toNativeSeparators(filePath) + QStringLiteral("»");
}

// The reason a settings file could not be written, as the user reads it.
QString writeReason(int error) {
    switch (error) {
    case EACCES:
        return QStringLiteral("нет прав на запись");
    case EPERM:
        return QStringLiteral("файл защищён от изменений");
    case EISDIR:
        return QStringLiteral("на месте файла находится папка");
    case ENOTDIR:
        return QStringLiteral("часть пути не является папкой");
    case ENOSPC:
        return QStringLiteral("на диске нет места");
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
    case EROFS:
        return QStringLiteral("файловая система доступна только для чтения");
    case EFBIG:
        return QStringLiteral("файл настроек слишком велик");
    case EBUSY:
    case EWOULDBLOCK:
        return QStringLiteral("файл занят другой копией программы");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    default:
        return QStringLiteral("системная ошибка %1").arg(error);
    }
}

void reportWriteFailure(const QString& filePath, int error) {
    settingsnotice::Report(
        QStringLiteral("write:") + filePath,
        QStringLiteral("Настройки не сохраняются: не удаётся записать файл %1 (%2).\nИзменённые "
                       "настройки действуют только до закрытия программы.")
            .arg(shown(filePath), writeReason(error)));
}

// A file over the limit is told once, at the first look at it: the program then starts without its
// settings and keeps what it changes only until it closes.
void reportOversized(const QString& filePath) {
    settingsnotice::Report(
        QStringLiteral("oversized:") + filePath,
        QStringLiteral(
            "Файл настроек %1 больше %2 МиБ (%3): это не файл настроек программы. Он не прочитан и "
            "не изменяется; изменённые настройки действуют только до закрытия программы.")
            .arg(shown(filePath))
            .arg(SettingsStore::MaximumFileSize / (1024 * 1024))
            .arg(writeReason(EFBIG)));
}

// Why the lock file could not be made: what a file written in its folder meets (no space, no rights...).
int lockFailureReason(const QString& filePath) {
    const QString probe = QFileInfo(filePath).absolutePath() + QStringLiteral("/.settings-space-check");
    GuardedFileWriter file(QFile::encodeName(probe).toStdString(), {});
    const char byte = 0;
    file.Write(&byte, 1);
    return file.ErrorCode() ? file.ErrorCode() : EIO;
}

// A free name beside the file: "<file>.damaged-<date>-<time>", with a number when taken.
QString asideName(const QString& filePath) {
    const QString base =
        filePath + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) && n < 1000; ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

// With the write locks held: a file that is not a settings file is renamed beside itself, so that the
// next write does not replace it. False when it is still there.
bool setUnreadableAside(const QString& filePath) {
    const QString aside = asideName(filePath);
    if (::rename(QFile::encodeName(filePath).constData(), QFile::encodeName(aside).constData()) != 0) {
        const int error = errno;
        settingsnotice::Report(QStringLiteral("unreadable:") + filePath,
                               QStringLiteral("Файл настроек %1 не удалось прочитать, и его не удаётся "
                                              "переименовать (%2). Настройки не сохраняются, файл оставлен "
                                              "как есть.")
                                   .arg(shown(filePath), writeReason(error)));
        return false;
    }
    settingsnotice::Report(QStringLiteral("unreadable:") + filePath,
                           QStringLiteral("Файл настроек %1 не удалось прочитать: это не файл настроек "
                                          "программы. Он сохранён как %2, настройки начаты заново.")
                               .arg(shown(filePath), shown(aside)));
    return true;
}

// Lines that could not be read are told once, the first few of them with their numbers.
void reportUnreadLines(const QString& filePath, const LoadedFile& loaded) {
    if (!loaded.hasUnreadLines) return;
    QStringList lines;
    for (const Entry& entry : loaded.entries) {
        if (entry.unread.isEmpty()) continue;
        if (lines.size() == 3) {
            lines.append(QStringLiteral("…"));
            break;
        }
        QString text = QString::fromUtf8(entry.unread.left(120));
        for (QChar& c : text)
            if (!c.isPrint()) c = QLatin1Char('?');
        lines.append(QStringLiteral("строка %1: «%2»").arg(entry.lineNumber).arg(text));
    }
    settingsnotice::Report(
        QStringLiteral("unread:") + filePath,
        QStringLiteral("В файле настроек %1 не прочитано:\n%2\nЭти строки оставлены в файле как есть. Строка "
                       "настройки пишется как «S Имя Значение» (строка), «I Имя Число» или «B Имя "
                       "HEX-байты»; пробел в имени и в значении пишется как %20, знак % как %25.")
            .arg(shown(filePath), lines.join(QLatin1Char('\n'))));
}

// The file as it stands, with an unreadable one set aside first and unread lines told.
std::shared_ptr<const LoadedFile> readableEntries(const QString& filePath) {
    std::shared_ptr<const LoadedFile> loaded = currentEntries(filePath);
    if (loaded->oversized) reportOversized(filePath);
    if (loaded->unreadable) {
        std::lock_guard threadLock(writeMutex);
        QLockFile processLock(filePath + ".lock");
        // Looked at again under the lock: another instance may have replaced or set it aside meanwhile.
        if (processLock.tryLock(5000) && currentEntries(filePath)->unreadable) setUnreadableAside(filePath);
        loaded = currentEntries(filePath);
    }
    reportUnreadLines(filePath, *loaded);
    return loaded;
}

// Writes content through the guarded writer (a new file beside the file, renamed over it; a link is
// written through, so the file it names gets the change); 0, or the error.
int replaceFile(const QString& filePath, const QByteArray& content) {
    const QByteArray path = QFile::encodeName(filePath);
    struct stat existing {};
    if (::stat(path.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return EISDIR;
        // A file made read-only (or immutable) is not replaced behind its owner's back.
        if (::access(path.constData(), W_OK) != 0) return errno;
    }
    GuardedFileWriter file(path.toStdString(), {});
    if (file.Write(content.constData(), size_t(content.size())) && file.Commit()) return 0;
    return file.ErrorCode() ? file.ErrorCode() : EIO;
}

} // namespace

QByteArray SettingsStore::FormatLine(const QString& name, const SettingsValue& value) {
    const QByteArray encodedName = name.toUtf8().toPercentEncoding();
    if (const auto* text = std::get_if<QString>(&value))
        return "S " + encodedName + ' ' + text->toUtf8().toPercentEncoding();
    if (const auto* number = std::get_if<int32_t>(&value))
        return "I " + encodedName + ' ' + QByteArray::number(*number);
    return "B " + encodedName + ' ' + std::get<QByteArray>(value).toHex();
}

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
    if (filePath_.isEmpty()) return std::nullopt;
    if (auto unsaved = unsavedValue(filePath_, name)) return unsaved;
    // No file lock needed: writers replace the file by renaming, so a reader sees the old or the new one.
    const std::shared_ptr<const LoadedFile> loaded = readableEntries(filePath_);
    if (const Entry* entry = loaded->find(name)) return entry->value;
    return std::nullopt;
}

QList<QByteArray> SettingsStore::UnreadLines() const {
    QList<QByteArray> lines;
    if (filePath_.isEmpty()) return lines;
    for (const Entry& entry : readableEntries(filePath_)->entries)
        if (!entry.unread.isEmpty()) lines.append(entry.unread);
    return lines;
}

void SettingsStore::ReportIfNotWritable() const {
    if (filePath_.isEmpty()) return;
    struct stat st {};
    // A missing file is made at the first write, which tells its own failure.
    if (::stat(QFile::encodeName(filePath_).constData(), &st) != 0) return;
    int error = 0;
    if (st.st_size > MaximumFileSize) {
        reportOversized(filePath_);
        return;
    }
    if (S_ISDIR(st.st_mode))
        error = EISDIR;
    else if (::access(QFile::encodeName(filePath_).constData(), W_OK) != 0 ||
             ::access(QFile::encodeName(QFileInfo(filePath_).absolutePath()).constData(), W_OK) != 0)
        error = errno;
    if (error) reportWriteFailure(filePath_, error);
}

void SettingsStore::ReportWrongType(const QString& name) const {
    settingsnotice::Report(QStringLiteral("type:") + filePath_ + QLatin1Char(':') + name.toCaseFolded(),
                           QStringLiteral("В файле настроек %1 значение «%2» записано не того вида (S, I или "
                                          "B), какой нужен программе; взято значение по умолчанию.")
                               .arg(shown(filePath_), name));
}

bool SettingsStore::write(const QString& name, const SettingsValue& value) {
    if (filePath_.isEmpty()) return false;
    // The value is kept for this process whatever stops the file from taking it.
    const auto failed = [&](int error) {
        keepUnsaved(filePath_, name, value);
        reportWriteFailure(filePath_, error);
        return false;
    };
    const QFileInfo info(filePath_);
    if (!QDir().mkpath(info.absolutePath())) {
        // mkpath keeps no error: the usual causes are a file in the way or a folder without write access.
        const QFileInfo blocking(info.absolutePath());
        return failed(blocking.exists() && !blocking.isDir() ? ENOTDIR : EACCES);
    }

    std::lock_guard threadLock(writeMutex);
    QLockFile processLock(filePath_ + ".lock");
    if (!processLock.tryLock(5000))
        return failed(processLock.error() == QLockFile::LockFailedError ? EBUSY
                                                                        : lockFailureReason(filePath_));

    // A file too big to be ours is left as it is: writing would replace it with the one value.
    if (QFileInfo(filePath_).size() > MaximumFileSize) {
        keepUnsaved(filePath_, name, value);
        reportOversized(filePath_);
        return false;
    }
    std::shared_ptr<const LoadedFile> current = currentEntries(filePath_);
    if (current->unreadable) {
        // Told already, with the reason.
        if (!setUnreadableAside(filePath_)) {
            keepUnsaved(filePath_, name, value);
            return false;
        }
        current = currentEntries(filePath_);
    }
    reportUnreadLines(filePath_, *current);
    LoadedFile changed = *current;
    const LoadedFile unsaved = unsavedValues(filePath_);
    // Only a change is written back.
    if (const Entry* entry = current->find(name); entry && entry->value == value && unsaved.entries.empty())
        return true;
    for (const Entry& entry : unsaved.entries)
        changed.set(entry.name, entry.value);
    // A value of another type, as a hand-made line may hold, is not replaced without a copy of the file.
    if (const Entry* entry = current->find(name); entry && entry->value.index() != value.index()) {
        const QString aside = asideName(filePath_);
        if (QFile::copy(filePath_, aside))
            settingsnotice::Report(QStringLiteral("replaced:") + filePath_,
                                   QStringLiteral("Файл настроек %1 сохранён как %2: значение «%3» другого "
                                                  "вида заменено значением программы.")
                                       .arg(shown(filePath_), shown(aside), name));
    }
    changed.set(name, value);

    QByteArray content = fileHeader + '\n';
    for (const Entry& entry : changed.entries)
        content += formatLine(entry);
    if (content.size() > MaximumFileSize) {
        keepForSession(filePath_, name, value);
        reportWriteFailure(filePath_, EFBIG);
        return false;
    }

    if (const int error = replaceFile(filePath_, content)) return failed(error);
    forgetUnsaved(filePath_, name);
    return true;
}
