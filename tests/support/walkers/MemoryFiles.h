// In-memory files for reader tests: a stream opener that serves named byte vectors instead of the disk.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kiwi/io/Stream.h"
#include "support/fixtures/AllDataFixture.h"

namespace fixture {

using MemoryFiles = std::map<std::string, std::vector<uint8_t>>;

// "ALLDATA.KWI" and the data files of an image.
MemoryFiles memoryFilesOf(const AllDataImage& image);
// Opens a path by its file-name part from files (exact name); raises EFOpenError for other names.
// Each open creates a fresh stream over a copy of the bytes.
std::function<std::shared_ptr<TLN_Stream>(const std::string&)> memoryOpener(MemoryFiles files);

} // namespace fixture
