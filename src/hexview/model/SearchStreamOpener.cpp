// Reopening by class: decompressing stream, file-layer stream, plain file stream.
#include "hexview/model/SearchStreamOpener.h"

#include <exception>
#include <sys/stat.h>

#include "kiwi/cmp/DecompFileStream.h"
#include "kiwi/disc/FileStream.h"
#include "kiwi/io/HandleStream.h"

namespace {

bool sameFile(TLN_Stream& a, TLN_Stream& b);

bool sameFileStream(const TLN_FileStream& a, const TLN_FileStream& b) {
    if (a.StreamMode() != b.StreamMode() || a.OpenedName() != b.OpenedName()) return false;
    if (a.StreamMode() == TLN_FileStream::Mode::Image)
        return a.Image() == b.Image() && a.ImageEntry() == b.ImageEntry();
    return true;
}

bool sameHandle(const TLN_HandleStream& a, const TLN_HandleStream& b) {
    struct stat sa {};
    struct stat sb {};
    return ::fstat(a.Handle(), &sa) == 0 && ::fstat(b.Handle(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Both streams read the same file the same way.
bool sameFile(TLN_Stream& a, TLN_Stream& b) {
    if (a.Size() != b.Size()) return false;
    if (auto* fa = dynamic_cast<TLN_FileStream*>(&a))
        if (auto* fb = dynamic_cast<TLN_FileStream*>(&b)) return sameFileStream(*fa, *fb);
    if (auto* ha = dynamic_cast<TLN_HandleStream*>(&a))
        if (auto* hb = dynamic_cast<TLN_HandleStream*>(&b)) return sameHandle(*ha, *hb);
    if (auto* da = dynamic_cast<TLN_DecompFileStream*>(&a))
        if (auto* db = dynamic_cast<TLN_DecompFileStream*>(&b))
            return da->Listed() == db->Listed() && sameFile(da->DataStream(), db->DataStream());
    return false;
}

std::shared_ptr<TLN_Stream> reopen(TLN_Stream& shown) {
    if (auto* decomp = dynamic_cast<TLN_DecompFileStream*>(&shown))
        return TLN_DecompFileStream::Create(decomp->FileName());
    if (auto* file = dynamic_cast<TLN_FileStream*>(&shown))
        return std::make_shared<TLN_FileStream>(file->OpenedName());
    if (auto* handle = dynamic_cast<TLN_HandleStream*>(&shown))
        return TLN_HandleStream::OpenForReading(handle->FileName());
    return nullptr;
}

} // namespace

std::shared_ptr<TLN_Stream> OpenSearchStream(const std::shared_ptr<TLN_Stream>& shown) {
    if (!shown) return shown;
    try {
        auto own = reopen(*shown);
        if (own && sameFile(*own, *shown)) return own;
    } catch (const std::exception&) {
        // The file moved or the image was unmounted: the shown stream serves through its ReadAt.
    }
    return shown;
}
