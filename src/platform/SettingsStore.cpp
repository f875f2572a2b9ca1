// Settings file: a text format of one value per line ("<type> <name> <payload>", name and strings
// percent-encoded UTF-8, integers in decimal, binary values in hex), so a damaged line costs one value.
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <mutex>
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

std::vector<Entry> loadEntries(const QString& filePath) {
    std::vector<Entry> entries;
    if (filePath.isEmpty()) return entries;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > SettingsStore::MaximumFileSize) return entries;
    const QByteArray content = file.read(SettingsStore::MaximumFileSize + 1);
    if (content.size() > SettingsStore::MaximumFileSize) return entries;
    QList<QByteArray> lines = content.split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != fileHeader) return entries;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        auto entry = parseLine(line);
        if (!entry) continue;
        // A repeated name keeps the later value, as a second write would have.
        auto same = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.name.compare(entry->name, Qt::CaseInsensitive) == 0;
        });
        if (same != entries.end())
            same->value = std::move(entry->value);
        else
            entries.push_back(std::move(*entry));
    }
    return entries;
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
    // No lock needed: writers replace the file by renaming, so a reader sees the old or the new one.
    for (auto& entry : loadEntries(filePath_)) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0) return std::move(entry.value);
    }
    return std::nullopt;
}

bool SettingsStore::write(const QString& name, const SettingsValue& value) {
    if (filePath_.isEmpty()) return false;
    const QFileInfo info(filePath_);
    if (!QDir().mkpath(info.absolutePath())) return false;

    std::lock_guard threadLock(writeMutex);
    QLockFile processLock(filePath_ + ".lock");
    if (!processLock.tryLock(5000)) return false;

    std::vector<Entry> entries = loadEntries(filePath_);
    auto same = std::find_if(entries.begin(), entries.end(),
                             [&](const Entry& e) { return e.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (same != entries.end())
        same->value = value;
    else
        entries.push_back({name, value});

    QByteArray content = fileHeader + '\n';
    for (const Entry& entry : entries)
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
