// Temporary file streams: mkostemps in the temporary folder; the name is unlinked on destruction.
#include "kiwi/io/TempFileStream.h"

#include <QDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "kiwi/core/KiwiErrors.h"

namespace {

// Creates the file exclusively (mode 0600) and returns its descriptor and name.
std::pair<int, std::string> createUniqueFile(const char* prefix) {
    static const std::string suffix = ".tmp";
    const std::string pattern = TemporaryFolder() + "/" + prefix + "XXXXXX" + suffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemps(name.data(), int(suffix.size()), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw EFCreateError("Cannot create file \"" + pattern + "\". " + std::strerror(error));
    }
    return {fd, std::string(name.data())};
}

} // namespace

// QDir::tempPath() is empty when $TMPDIR names a missing folder; the named folder is then used anyway, so
// that the failure reports it instead of writing elsewhere.
std::string TemporaryFolder() {
    QString folder = QDir::tempPath();
    if (folder.isEmpty()) folder = qEnvironmentVariable("TMPDIR");
    if (folder.isEmpty()) folder = QStringLiteral("/tmp");
    return QDir::cleanPath(folder).toStdString();
}

TLN_TempFileStream::TLN_TempFileStream() : TLN_TempFileStream(createUniqueFile("ZRV")) {}

TLN_TempFileStream::TLN_TempFileStream(std::pair<int, std::string> created)
    : TLN_HandleStream(created.first, std::move(created.second)) {}

// The base class closes the descriptor afterwards, which frees the data of the now nameless file.
TLN_TempFileStream::~TLN_TempFileStream() {
    ::unlink(FileName().c_str());
}

TLN_TemporaryFileStream::TLN_TemporaryFileStream() : TLN_TemporaryFileStream(createUniqueFile("DA")) {}

TLN_TemporaryFileStream::TLN_TemporaryFileStream(std::pair<int, std::string> created)
    : TLN_HandleStream(created.first, std::move(created.second)) {}

TLN_TemporaryFileStream::~TLN_TemporaryFileStream() {
    ::unlink(FileName().c_str());
}
