// Reads COVERAGE.BIN and loads the coverage pictures beside it.
#include "kiwi/parts/Coverage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/BeCursor.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/WholeRead.h"

namespace {
constexpr int kMaxItems = 255;
// A coverage picture is a small BMP; anything larger than this is not read.
constexpr int64_t kMaxPictureFileBytes = 64LL * 1024 * 1024;
constexpr int64_t kMaxPicturePixels = 16LL * 1024 * 1024;
} // namespace

TLN_Coverage::TLN_Coverage(const std::string& fileName) : fileName_(fileName), folder_(folderPart(fileName)) {
    std::shared_ptr<TLN_Stream> stream = OpenKiwiFile(fileName);
    const int64_t size = stream->Size();
    // The file is small (at most 255 records of at most 258 bytes): read it whole.
    std::vector<uint8_t> bytes(size_t(std::min<int64_t>(size, 2 + kMaxItems * 258)));
    bytes.resize(size_t(bounded::readInto(*stream, 0, bytes.data(), int64_t(bytes.size()))));
    if (bytes.size() < 2) {
        damage_ = whole::Short(*stream, "Number of Picture Items", 0, 2, int64_t(bytes.size()));
        return;
    }
    const BeCursor file(bytes.data(), bytes.size());
    const int count = file.u16(0);
    storedCount_ = count;
    if (count > kMaxItems) {
        damage_ = Failure::Words("Number of Picture Items " + std::to_string(count) + " (at most 255)");
        return;
    }
    size_t position = 2;
    for (int i = 0; i < count; ++i) {
        // An item whose code, length or name runs past the end of the file is not read: the items before
        // it are, and the list says where it ends.
        const size_t length = position + 3 <= bytes.size() ? bytes[position + 2] : 0;
        if (position + 3 + length > bytes.size()) {
            truncated_ = true;
            damage_ = whole::Short(*stream,
                                   "Number of Picture Items " + std::to_string(count) + ", item " +
                                       std::to_string(i + 1),
                                   int64_t(position), int64_t(3 + length),
                                   int64_t(bytes.size() - std::min(bytes.size(), position)));
            break;
        }
        TLN_CoverageBMP item;
        item.Code = file.u16(int64_t(position));
        position += 3;
        item.Name.assign(reinterpret_cast<const char*>(bytes.data() + position), length);
        position += length;
        items_.push_back(std::move(item));
    }
    valid_ = true;
}

TLN_CoverageBMP TLN_Coverage::GetItem(int i) const {
    if (i < 0 || i >= int(items_.size())) return {};
    return items_[size_t(i)];
}

bool TLN_Coverage::LoadPicture(const std::string& name, QImage& picture) const {
    const std::optional<std::string> bare = safeBareName(name);
    if (!bare) return false;
    // A file on disk matches case-insensitively; otherwise the file layer may still find it (an image).
    const std::string path = resolveInFolder(folder_, *bare).value_or(joinPath(folder_, *bare));
    QByteArray bytes;
    try {
        std::shared_ptr<TLN_Stream> stream = OpenKiwiFile(path);
        const int64_t size = stream->Size();
        if (size <= 0 || size > kMaxPictureFileBytes) return false;
        bytes.resize(qsizetype(size));
        bytes.resize(qsizetype(bounded::readInto(*stream, 0, bytes.data(), size)));
    } catch (const KiwiError& error) {
        error_.Keep(error);
        return false;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)));
    const QSize dimensions = reader.size();
    if (!dimensions.isValid() || int64_t(dimensions.width()) * dimensions.height() > kMaxPicturePixels)
        return false;
    QImage image;
    if (!reader.read(&image) || image.isNull()) return false;
    picture = std::move(image);
    return true;
}
