// The program's reopen list (the platform's own reader of it), and the settings that make the sample disc
// its first entry.
#include "ReopenList.h"

#include "platform/RegistrySettings.h"
#include "platform/ReopenList.h"

QStringList readReopenList() {
    ReopenList list;
    list.Load();
    return list.Paths();
}

bool storeSampleInReopenList(const QString& imagePath) {
    if (imagePath.contains('\r') || imagePath.contains('\n')) return false;
    const QByteArray data = ReopenList::Serialize({imagePath});
    return RegWriteBinary("ReopenData", data.constData(), data.size()) &&
           RegWriteInteger("ReopenDataSize", int32_t(data.size())) && RegWriteString("IsoFile", imagePath);
}
