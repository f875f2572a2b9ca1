// Temporary file streams: files without a name in the temporary folder (O_TMPFILE), or, where the file
// system cannot make those, a unique name that is unlinked the moment the file is open.
#include "kiwi/io/TempFileStream.h"

#include <QDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "kiwi/core/KiwiErrors.h"

std::pair<int, std::string> OpenScratchFile(const char* prefix, bool nameless) {
    static const std::string suffix = ".tmp";
    const std::string folder = TemporaryFolder();
    const std::string pattern = folder + "/" + prefix + "XXXXXX" + suffix;
    int fd = nameless ? ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600) : -1;
    struct stat st {};
    // Reported by its inode number, which tells scratch files apart in messages.
    if (fd >= 0 && ::fstat(fd, &st) == 0)
        return {fd, folder + "/" + prefix + std::to_string(st.st_ino) + suffix};
    if (fd >= 0) return {fd, pattern};
    // EISDIR and EOPNOTSUPP: a kernel or file system without nameless files. Any other error (a missing
    // folder, no permission) fails the named way too and is reported from there.
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd = ::mkostemps(name.data(), int(suffix.size()), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        throw EFCreateError(
            Failure(FailureCode::FileCreateFailed, Failure::System(error), {{"file", pattern}}));
    }
    ::unlink(name.data());
    return {fd, std::string(name.data())};
}

// QDir::tempPath() is empty when $TMPDIR names a missing folder; the named folder is then used anyway, so
// that the failure reports it instead of writing elsewhere.
std::string TemporaryFolder() {
    QString folder = QDir::tempPath();
    if (folder.isEmpty()) folder = qEnvironmentVariable("TMPDIR");
    if (folder.isEmpty()) folder = QStringLiteral("/tmp");
    return QDir::cleanPath(folder).toStdString();
}

TLN_TempFileStream::TLN_TempFileStream() : TLN_TempFileStream(OpenScratchFile("ZRV")) {}

TLN_TempFileStream::TLN_TempFileStream(std::pair<int, std::string> created)
    : TLN_HandleStream(created.first, std::move(created.second)) {}

// The base class closes the descriptor, which frees the nameless file's data.
TLN_TempFileStream::~TLN_TempFileStream() = default;

TLN_TemporaryFileStream::TLN_TemporaryFileStream() : TLN_TemporaryFileStream(OpenScratchFile("DA")) {}

TLN_TemporaryFileStream::TLN_TemporaryFileStream(std::pair<int, std::string> created)
    : TLN_HandleStream(created.first, std::move(created.second)) {}

TLN_TemporaryFileStream::~TLN_TemporaryFileStream() = default;
