// Opening a KIWI file by name. For now plain files only; the file stream and the decompressing
// stream take this over.
#include "kiwi/OpenKiwiFile.h"

#include "kiwi/HandleStream.h"

std::shared_ptr<TLN_Stream> OpenKiwiFile(const std::string& fileName) {
    return TLN_HandleStream::OpenForReading(fileName);
}
