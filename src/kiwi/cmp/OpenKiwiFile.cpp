// Opening a KIWI file by name: always through the decompressing stream, which reads the file unchanged
// (through TLN_FileStream) when no CMP list names it.
#include "kiwi/cmp/OpenKiwiFile.h"

#include "kiwi/cmp/DecompFileStream.h"

std::shared_ptr<TLN_Stream> OpenKiwiFile(const std::string& fileName) {
    return TLN_DecompFileStream::Create(fileName);
}
