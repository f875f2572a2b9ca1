// The per-user settings file that stands in for the registry key "\Software\Strovane": named values of
// three types (string, 32-bit integer, binary) that keep their type.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

// A stored value; the alternative held is its type (string, integer or binary).
using SettingsValue = std::variant<QString, int32_t, QByteArray>;

// One settings file. Reads never create anything; a missing, unreadable or corrupt file reads as empty.
// A file is parsed once and kept, for every store of the process, until it changes on disk. Writes are
// read-modify-write under a lock file and replace the file atomically (only when the value changes), so
// several running instances (and threads) can write different values without losing any. Value names
// compare case-insensitively, as registry value names do.
class SettingsStore {
public:
    // A file bigger than this is not a settings file of ours: it reads as empty and is never written.
    static constexpr qint64 MaximumFileSize = 16 * 1024 * 1024;

    explicit SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

    // The user's store, "Strovane/settings.txt" under the XDG config folder ($XDG_CONFIG_HOME, else
    // ~/.config). Looked up at each call, so a changed XDG_CONFIG_HOME takes effect at once.
    static SettingsStore forUser();
    static QString userFilePath();

    const QString& filePath() const { return filePath_; }

    // True when the file exists: the counterpart of a key that can be opened.
    bool exists() const;
    // The value stored under name, or nullopt when the file or the value is missing.
    std::optional<SettingsValue> read(const QString& name) const;
    // Stores value under name, creating the folder and the file when missing. False when nothing was
    // saved (no folder, lock not obtained within a few seconds, disk full, file too big already or would
    // grow too big).
    bool write(const QString& name, const SettingsValue& value);

private:
    QString filePath_;
};
