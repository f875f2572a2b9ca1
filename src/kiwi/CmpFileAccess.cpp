// File access for compressed files: plain files for now, the mounted image once the file stream has it.
#include "kiwi/CmpFileAccess.h"

#include "kiwi/HandleStream.h"

bool cmpImageMounted() { return false; }

bool cmpImageFileExists(const std::string&) { return false; }

std::string cmpImageFileName() { return {}; }

std::shared_ptr<TLN_Stream> cmpOpenFile(const std::string& path) { return TLN_HandleStream::OpenForReading(path); }
