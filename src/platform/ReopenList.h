// The list of recently opened sources (disks, folders, files, ISO images) shown on the Open tab: up to six
// full paths, newest first, kept in the settings as text lines so that every running instance shares it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class ReopenList {
public:
    static constexpr int kMaxEntries = 6;

    // Reads the list from the settings ("ReopenData": every whole line stored, whatever "ReopenDataSize"
    // says, which a damaged or hand-edited file may have wrong); without a stored list, builds it from the
    // last source of each kind: "Disk" when not empty (even if the disk is absent), "Folder" when
    // that folder exists, "File" and "IsoFile" when those files exist.
    void Load();
    // Moves path to the top (a path already listed is not repeated; a seventh entry drops the oldest) and
    // saves the list. A path with a line break is not stored (it would split into two entries); returns
    // false then and the list is unchanged.
    bool Add(const QString& path);
    // Writes the list to the settings; an empty list writes nothing.
    void Save() const;

    const QStringList& Paths() const { return paths_; }
    int Count() const { return int(paths_.size()); }
    void Clear() { paths_.clear(); }

    // The stored form: each path followed by CR LF, UTF-8.
    static QByteArray Serialize(const QStringList& paths);
    // Lines separated by CR LF or LF; empty lines skipped; at most kMaxEntries kept.
    static QStringList Parse(const QByteArray& bytes);

private:
    QStringList paths_;
};
