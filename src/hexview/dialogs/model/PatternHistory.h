// A remembered list of up to ten search patterns as typed (one for hex, one for text), newest first, kept
// in the settings as text lines each followed by CR LF, with the byte count in a second value.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class SettingsStore;

class PatternHistory {
public:
    static constexpr int kEntries = 10;
    // The longest pattern the find box takes; longer stored lines are not ours and are dropped.
    static constexpr int kMaxLength = 48;

    // Moves text to the top (a text already listed is not repeated; an eleventh drops the oldest).
    void Insert(const QString& text);
    const QStringList& Entries() const { return entries_; }

    // UTF-8 lines, each followed by CR LF.
    static QByteArray Serialize(const QStringList& entries);
    // Lines separated by CR LF, CR or LF; empty and overlong lines and trailing NULs dropped; at most
    // kEntries kept.
    static QStringList Parse(const QByteArray& bytes);

    // Reads the binary value name, of the byte count held in sizeName; the list is empty when the count is
    // 0 or missing or the value is missing or of another type. A count beyond the stored bytes reads the
    // bytes there are.
    void Load(const SettingsStore& store, const QString& name, const QString& sizeName);
    // Writes both values; an empty list writes nothing.
    bool Save(SettingsStore& store, const QString& name, const QString& sizeName) const;

private:
    QStringList entries_;
};
