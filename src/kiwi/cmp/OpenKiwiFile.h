// Opens a KIWI file by name the way every reader does: inside the mounted image, as a volume set or as a
// plain file, decompressed when a CMP list names it.
#pragma once

#include <memory>
#include <string>

#include "kiwi/io/Stream.h"

// Raises EFOpenError when the file cannot be opened.
std::shared_ptr<TLN_Stream> OpenKiwiFile(const std::string& fileName);
