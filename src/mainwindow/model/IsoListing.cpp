// The ISO tab's directory listing, its type cache and the pop-up commands an item allows.
#include "mainwindow/model/IsoListing.h"

#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/display/KiwiFormat.h"

namespace {

const QString kUnknownType = QStringLiteral("Unknown");

IsoFileType typeOf(const QMimeType& mime, const QString& suffix) {
    // An extension no type claims is named after itself, as the desktop shells name such files.
    if (!mime.isValid() || mime.isDefault())
        return {suffix.isEmpty() ? kUnknownType : QStringLiteral("Файл \"%1\"").arg(suffix.toUpper()),
                QStringLiteral("text-x-generic")};
    const QString icon = mime.iconName().isEmpty() ? mime.genericIconName() : mime.iconName();
    return {mime.comment().isEmpty() ? kUnknownType : mime.comment(), icon};
}

} // namespace

const IsoFileType& IsoFileTypes::ForFile(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    auto it = byExtension_.find(suffix);
    if (it == byExtension_.end()) {
        ++lookups_;
        static const QMimeDatabase database;
        // By the name alone: the file is inside the image, and reading it for each row would be slow.
        const QMimeType mime = suffix.isEmpty() ? QMimeType()
                                                : database.mimeTypeForFile(QStringLiteral("x.") + suffix,
                                                                           QMimeDatabase::MatchExtension);
        it = byExtension_.emplace(suffix, typeOf(mime, suffix)).first;
    }
    return it->second;
}

const IsoFileType& IsoFileTypes::ForDirectory() {
    if (!directory_) {
        ++lookups_;
        const QMimeType mime = QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory"));
        directory_ = std::make_unique<IsoFileType>(IsoFileType{
            mime.isValid() ? mime.comment() : QStringLiteral("Folder"), QStringLiteral("folder")});
    }
    return *directory_;
}

QDateTime IsoRecordingTime(const TDirectoryRecordHeader& header) {
    const QDate date(1900 + header[18], header[19], header[20]);
    const QTime time(header[21], header[22]);
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time);
}

QString IsoDateText(const TDirectoryRecordHeader& header) {
    const QDateTime when = IsoRecordingTime(header);
    // In the window's language, whatever the system's locale.
    return when.isValid() ? QLocale(QLocale::Russian, QLocale::Russia).toString(when, QLocale::ShortFormat)
                          : QString();
}

std::vector<IsoListItem> ListIsoDirectory(const TDirectoryEntry& directory, IsoFileTypes& types) {
    std::vector<IsoListItem> items;
    items.reserve(size_t(directory.DirectoryCount() + directory.FileCount() + 1));
    const IsoFileType& folder = types.ForDirectory();
    if (directory.Parent()) {
        IsoListItem parent;
        parent.kind = IsoListItem::Kind::Parent;
        parent.directory = directory.Parent();
        parent.name = QStringLiteral("/\\");
        parent.iconName = folder.iconName;
        items.push_back(std::move(parent));
    }
    for (int i = 0; i < directory.DirectoryCount(); ++i) {
        const TDirectoryEntry* sub = directory.GetDirectory(i);
        IsoListItem item;
        item.kind = IsoListItem::Kind::Directory;
        item.directory = sub;
        item.name = QString::fromStdString(sub->Name());
        item.date = IsoDateText(sub->Header());
        item.type = folder.typeName;
        item.iconName = folder.iconName;
        items.push_back(std::move(item));
    }
    for (int i = 0; i < directory.FileCount(); ++i) {
        const TFileEntry* file = directory.GetFile(i);
        IsoListItem item;
        item.kind = IsoListItem::Kind::File;
        item.directory = &directory;
        item.file = file;
        item.name = QString::fromStdString(file->Name());
        const IsoFileType& type = types.ForFile(item.name);
        item.date = IsoDateText(file->Header());
        item.type = type.typeName;
        item.iconName = type.iconName;
        item.size = QString::fromStdString(FormatNumberGrouped(int64_t(file->DataLength())));
        items.push_back(std::move(item));
    }
    return items;
}

std::string IsoEntryPath(const TFileEntry& file) {
    return file.GetDirectoryPath() + file.Name();
}

std::unique_ptr<TLN_CompressionManager> OpenImageCompressionList() {
    if (!IsISOImageOpen()) return nullptr;
    for (const char* name : {"05.CMP", "06.CMP", "13.CMP"}) {
        if (!ISOFileExists(name)) continue;
        // Only the first list that exists counts, as for the decompressing stream.
        auto list = std::make_unique<TLN_CompressionManager>(name);
        return list->IsValid() ? std::move(list) : nullptr;
    }
    return nullptr;
}

IsoItemActions isoItemActions(const IsoListItem& item, TLN_CompressionManager* list) {
    IsoItemActions actions;
    if (item.kind != IsoListItem::Kind::File || !item.file) return actions;
    actions.openInHexViewer = true;
    actions.extract = true;
    TLN_Compression_Record record;
    if (list && list->FindEntry(IsoEntryPath(*item.file), record)) {
        const uint16_t type = record.compressionType;
        actions.unpack = type == 1 || type == 2 || type == 258 || type == 13258;
    }
    return actions;
}
