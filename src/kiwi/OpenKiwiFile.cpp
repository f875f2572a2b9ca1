// Opening a KIWI file by name through TLN_FileStream; the decompressing stream takes this over for files
// that a CMP list names.
#include "kiwi/OpenKiwiFile.h"

#include "kiwi/FileStream.h"

std::shared_ptr<TLN_Stream> OpenKiwiFile(const std::string& fileName) {
    return std::make_shared<TLN_FileStream>(fileName);
}
