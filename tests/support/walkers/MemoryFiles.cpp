// In-memory files for reader tests.
#include "support/walkers/MemoryFiles.h"

#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"

namespace fixture {

MemoryFiles memoryFilesOf(const AllDataImage& image) {
    MemoryFiles files = image.files;
    files["ALLDATA.KWI"] = image.allData;
    return files;
}

std::function<std::shared_ptr<TLN_Stream>(const std::string&)> memoryOpener(MemoryFiles files) {
    auto shared = std::make_shared<const MemoryFiles>(std::move(files));
    return [shared](const std::string& path) -> std::shared_ptr<TLN_Stream> {
        const std::string name = fileNamePart(path);
        const auto found = shared->find(name);
        if (found == shared->end()) throw EFOpenError("Cannot open file " + path);
        return std::make_shared<TLN_MemoryStream>(found->second, name);
    };
}

} // namespace fixture
