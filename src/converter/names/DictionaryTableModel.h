// The dictionary as a two-column table ("Key", "Value") for the dictionary editor: browsing, editing a
// translation, adding or replacing a pair, deleting, and finding a key by its first letters. Text is
// code page 1251 in the dictionary and decoded only for display; edits the text files could not hold
// back (a key with "=", a line break, a character outside code page 1251) are refused.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <string>

#include "converter/names/LatRusDictionary.h"

// Row insertions and removals are announced through the model's own signals (rowsInserted, rowsRemoved).
class DictionaryTableModel : public QAbstractTableModel {
public:
    explicit DictionaryTableModel(LatRusDictionary& dictionary, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int Count() const { return dictionary_.Count(); }
    QString Key(int row) const;
    QString Translation(int row) const;
    // The translation of row := text trimmed; false (nothing changed) for a row outside the table or a
    // text that cannot be stored.
    bool SetTranslation(int row, const QString& text);
    bool ClearTranslation(int row);
    bool RemoveEntry(int row);
    // A new key is added, an existing key gets the new translation (both trimmed); the key's row, or -1
    // when refused (empty, "=" in the key, line breaks, characters outside code page 1251).
    int AddPair(const QString& key, const QString& value);
    // The row of an existing key, or -1.
    int RowOfKey(const QString& key) const;
    // The first key at or after the typed letters (compared folded); -1 for an empty text or a table of
    // fewer than 6 entries.
    int SearchKey(const QString& text) const;
    bool Dirty() const { return dictionary_.Dirty(); }

    // "Dictionary  (N records)" and "N records in Dictionary".
    static QString Caption(int count);
    static QString CountLabel(int count);

private:
    LatRusDictionary& dictionary_;
};

// Text as the dictionary stores it (code page 1251), or nothing when it cannot be stored there.
std::optional<std::string> DictionaryText(const QString& text);
