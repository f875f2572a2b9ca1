// File access for compressed files through the mounted image's module and TLN_FileStream.
#include "kiwi/cmp/CmpFileAccess.h"

#include "kiwi/disc/FileManager.h"
#include "kiwi/disc/FileStream.h"

bool cmpImageMounted() {
    return IsISOImageOpen();
}

bool cmpImageFileExists(const std::string& path) {
    return ISOFileExists(path);
}

std::string cmpImageFileName() {
    return GetISOImageFileName();
}

std::shared_ptr<TLN_Stream> cmpOpenFile(const std::string& path) {
    return std::make_shared<TLN_FileStream>(path);
}
