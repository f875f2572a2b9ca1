// Rendering the binary clipboard data on request.
#include "hexview/model/HexBlockMimeData.h"

#include <QByteArray>
#include <QVariant>
#include <exception>

HexBlockMimeData::HexBlockMimeData(QString binaryType, std::weak_ptr<TLN_Stream> stream, int64_t start,
                                   int64_t end)
    : binaryType_(std::move(binaryType)), stream_(std::move(stream)), start_(start), end_(end) {}

QStringList HexBlockMimeData::formats() const {
    QStringList list = QMimeData::formats();
    if (!list.contains(binaryType_)) list.prepend(binaryType_);
    return list;
}

bool HexBlockMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == binaryType_ || QMimeData::hasFormat(mimeType);
}

QVariant HexBlockMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != binaryType_) return QMimeData::retrieveData(mimeType, type);
    // The stream the block was copied from may be gone (another file shown, the disc closed): then
    // there is nothing to paste rather than another stream's bytes.
    const std::shared_ptr<TLN_Stream> stream = stream_.lock();
    if (!stream || end_ <= start_) return {};
    ++renders_;
    if (onRender_) onRender_();
    QByteArray bytes(qsizetype(end_ - start_), Qt::Uninitialized);
    try {
        const int64_t got = stream->ReadAt(start_, bytes.data(), bytes.size());
        bytes.truncate(qsizetype(std::max<int64_t>(got, 0)));
    } catch (const std::exception& error) {
        error_ = QString::fromStdString(error.what());
        if (onRender_) onRender_();
        return {};
    }
    return bytes;
}
