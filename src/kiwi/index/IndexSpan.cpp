// Representation strings of the index data.
#include "kiwi/index/IndexSpan.h"

#include <algorithm>

#include <QByteArray>

#include "kiwi/io/WholeRead.h"

namespace index_span {

TLN_Representation_Item readRepresentation(TLN_Stream& stream, int64_t position, int64_t limit) {
    TLN_Representation_Item item;
    if (position < 0) return item;
    const std::vector<uint8_t> head = bounded::readBytes(stream, position, 2);
    if (head.size() < 2) {
        item.Error = ShortReadText(
            whole::Shortfall(stream, "the character string's length", position, 2, int64_t(head.size())));
        return item;
    }
    item.Position = position;
    item.LengthWords = cursor(head).u16(0);
    int64_t count = int64_t(item.LengthWords) * 2;
    if (limit >= 0 && count > limit - (position + 2)) count = std::max<int64_t>(0, limit - (position + 2));
    const std::vector<uint8_t> bytes = bounded::readBytes(stream, position + 2, count);
    if (int64_t(bytes.size()) < count)
        item.Error = ShortReadText(
            whole::Shortfall(stream, "the character string", position + 2, count, int64_t(bytes.size())));
    item.Text =
        KiwiText::fromRaw(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    const qsizetype nul = item.Text.text.indexOf(QChar(0));
    if (nul >= 0) item.Text.text.truncate(nul);
    return item;
}

} // namespace index_span
