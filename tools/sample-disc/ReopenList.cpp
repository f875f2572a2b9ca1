// Reading and seeding the reopen list through the platform's registry-style settings helpers.
#include "ReopenList.h"

#include <QByteArray>
#include <QFileInfo>

#include "platform/RegistrySettings.h"
#include "platform/SettingsStore.h"

namespace {

QStringList linesOf(const QByteArray& bytes) {
    QStringList lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (!line.isEmpty()) lines.append(QString::fromUtf8(line));
    }
    return lines;
}

} // namespace

QStringList readReopenList() {
    const int32_t size = RegReadInteger("ReopenDataSize");
    if (size > 0) {
        // "That many bytes read": a shorter stored value does not count (its missing bytes are not text).
        const std::optional<SettingsValue> data = SettingsStore::forUser().read("ReopenData");
        const QByteArray* bytes = data ? std::get_if<QByteArray>(&*data) : nullptr;
        if (bytes && bytes->size() >= size) return linesOf(bytes->left(size));
    }
    QStringList list;
    const QString disk = RegReadString("Disk");
    if (!disk.isEmpty()) list.append(disk);
    const QString folder = RegReadString("Folder");
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) list.append(folder);
    for (const char* name : {"File", "IsoFile"}) {
        const QString file = RegReadString(name);
        if (!file.isEmpty() && QFileInfo(file).isFile()) list.append(file);
    }
    return list;
}

bool storeSampleInReopenList(const QString& imagePath) {
    if (imagePath.contains('\r') || imagePath.contains('\n')) return false;
    const QByteArray data = imagePath.toUtf8() + "\r\n";
    return RegWriteBinary("ReopenData", data.constData(), data.size()) &&
           RegWriteInteger("ReopenDataSize", int32_t(data.size())) && RegWriteString("IsoFile", imagePath);
}
