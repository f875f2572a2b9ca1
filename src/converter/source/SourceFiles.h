// The files the converter reads beside the source map: in the map's folder on disk, or in the map's folder
// inside the mounted image, where the file layer reads the map itself.
#pragma once

#include <memory>
#include <string>

#include "converter/output/ProducedFile.h"
#include "kiwi/io/Stream.h"

// The name by which the readers open the file called name (ASCII case ignored) beside the map at mapPath,
// or "" when there is none. While an image is mounted every reader opens names inside it, so the lookup
// is made there too: mapPath is then the map's name inside the image ("ALLDATA.KWI", "DATA\ALLDATA.KWI").
std::string FindBesideSource(const std::string& mapPath, const std::string& name);

// Opens the file called name beside the map for reading with a stream of its own (decompressed when a CMP
// list names it), or nullptr when there is none. Streams on a mounted image read it without a shared
// position, so this may run on any thread. Raises EFOpenError when the file is found but cannot be opened.
std::shared_ptr<TLN_Stream> OpenBesideSource(const std::string& mapPath, const std::string& name);

// The files the map at mapPath is read from, each guarded alone (a file of the user's may be saved beside
// them): the mounted image, or the map's file, its CMP list and the files beside it the converter reads.
SourceGuard SourceFilesGuard(const std::string& mapPath);
