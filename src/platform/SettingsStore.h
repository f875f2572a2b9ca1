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

// One settings file. Reads never create anything; a missing or corrupt file reads as empty.
// A file is parsed once and kept, for every store of the process, until it changes on disk. Writes are
// read-modify-write under a lock file and replace the file atomically (only when the value changes), so
// several running instances (and threads) can write different values without losing any. Value names
// compare case-insensitively, as registry value names do.
// Nothing is lost without a word (each problem is told once through platform/SettingsNotices): a file
// with content that is not a settings file is renamed beside itself ("<file>.damaged-<date>-<time>")
// before anything replaces it; a line that cannot be read is kept as it is in every rewrite; the file is
// copied aside before a write replaces a value of another type; a value whose write failed is kept for
// the rest of the process, so that everything read afterwards agrees with what was written.
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
    // Stores value under name, creating the folder and the file when missing; a symbolic link in the
    // file's place is written through. False when nothing was saved (no folder, lock not obtained within a
    // few seconds, disk full, file too big already or would grow too big, a file that cannot be read and
    // cannot be set aside). The first failure to write the file is told, naming it and the reason (a file
    // over the limit is told already when it is first read); the value is then kept in memory for this
    // process.
    bool write(const QString& name, const SettingsValue& value);

    // Tells (as a failed write would) when the existing file cannot be replaced: a folder in its place,
    // a file that is read-only for this user or immutable, a folder that cannot be written, a file over
    // the size limit.
    void ReportIfNotWritable() const;
    // Tells that the value under name is of another type than the program reads, which then uses its
    // default.
    void ReportWrongType(const QString& name) const;

    // The lines of the file that could not be read (kept in it as they stand), in file order.
    QList<QByteArray> UnreadLines() const;

    // The line that stores value under name, as it must be written in the file (name and strings
    // percent-encoded), without the line break.
    static QByteArray FormatLine(const QString& name, const SettingsValue& value);

private:
    QString filePath_;
};
