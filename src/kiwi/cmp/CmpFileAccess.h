// How the CMP list classes and the decompressing stream reach files: on disk, or inside the mounted image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kiwi/io/Stream.h"

// True while an ISO image is mounted; every file is then looked up inside it.
bool cmpImageMounted();
// True when an image is mounted and the path names a file in it.
bool cmpImageFileExists(const std::string& path);
// The mounted image's file name ("" when none); part of the identity of lists read from it.
std::string cmpImageFileName();
// Opens a file the way every KIWI reader does (mounted image, volume set or plain file).
// Raises EFOpenError when it cannot.
std::shared_ptr<TLN_Stream> cmpOpenFile(const std::string& path);
