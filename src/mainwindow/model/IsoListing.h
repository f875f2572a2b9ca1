// The ISO tab's listing of one directory of the mounted image: the parent row, the sub-directories and the
// files with their recording dates, type names, icon names and grouped sizes, the type of each extension
// looked up once; and which pop-up commands an item allows.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDateTime>
#include <QString>

#include "kiwi/iso/DataTree.h"

class TLN_CompressionManager;

struct IsoListItem {
    enum class Kind { Parent, Directory, File };
    Kind kind = Kind::File;
    // Parent and Directory: the directory listed when the item is opened; File: its directory.
    const TDirectoryEntry* directory = nullptr;
    const TFileEntry* file = nullptr;
    QString name;
    QString date;
    // The type database's name, 'Файл "KWI"' for an extension it does not know, "Unknown" without one.
    QString type;
    // A freedesktop icon name; the widget shows it from the theme or with the style's file or folder icon.
    QString iconName;
    // Files only: decimal digits grouped by three with blanks.
    QString size;
};

struct IsoFileType {
    QString typeName;
    QString iconName;
};

// Type names and icon names by extension, so that thousands of files cost one look-up per extension.
class IsoFileTypes {
public:
    const IsoFileType& ForFile(const QString& fileName);
    const IsoFileType& ForDirectory();
    // How many look-ups the type database answered (tests check the cache).
    int Lookups() const { return lookups_; }

private:
    // A map keeps references stable while the listing holds them.
    std::map<QString, IsoFileType> byExtension_;
    std::unique_ptr<IsoFileType> directory_;
    int lookups_ = 0;
};

// The recording date and time of a directory record (bytes 18..23: years since 1900, month, day, hour,
// minute); seconds are dropped. Invalid for a date the record cannot hold (month 0, day 32 ...).
QDateTime IsoRecordingTime(const TDirectoryRecordHeader& header);
// The date as the list shows it: the locale's short date and time; empty for an invalid date.
QString IsoDateText(const TDirectoryRecordHeader& header);

// The rows of a directory: "/\" first when it has a parent, then its directories, then its files.
std::vector<IsoListItem> ListIsoDirectory(const TDirectoryEntry& directory, IsoFileTypes& types);

// A file's path inside the image: its folders, each followed by "\", then its name.
std::string IsoEntryPath(const TFileEntry& file);

// The compression list of the mounted image: the first of "05.CMP", "06.CMP", "13.CMP" at its root, or
// null when it has none (or none that can be read).
std::unique_ptr<TLN_CompressionManager> OpenImageCompressionList();

struct IsoItemActions {
    bool openInHexViewer = false;
    bool extract = false;
    bool unpack = false;
};
// Directories and the parent row allow nothing; a file allows the hex viewer and extraction, and
// unpacking when list names it (path inside the image) with compression type 1, 2, 258 or 13258.
IsoItemActions isoItemActions(const IsoListItem& item, TLN_CompressionManager* list);
