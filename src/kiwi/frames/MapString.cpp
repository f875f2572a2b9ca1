// Character strings of parcel frames and their conversion.
#include "kiwi/frames/MapString.h"

#include "kiwi/core/MapCodePage.h"
#include "platform/CodePage.h"

namespace {

bool isUtf16(int codePage) {
    return codePage == CodePageUtf16Kiwi || codePage == CodePageUtf16BigEndian;
}

// A multi-language table announces its languages + 1 in the word at P + 2.
constexpr uint16_t kFirstTableCount = 3;
constexpr uint16_t kLastTableCount = 15;

} // namespace

TLN_TextPages TLN_TextPages::Current() {
    const MapCodePagePair pages = LoadMapCodePages();
    return TLN_TextPages{pages.text, pages.ansi};
}

KiwiText ConvertText(const TLN_FrameSpan& frame, int64_t byteCount, int64_t position,
                     const TLN_TextPages& pages, bool keepRaw, bool* found) {
    const bool inside = byteCount <= 0 || frame.Contains(position, byteCount);
    if (found) *found = inside;
    // A string that runs past its frame is not there: no part of it is shown.
    if (byteCount <= 0 || !inside) return {};
    const BeCursor c = frame.At(position, byteCount);
    const QByteArrayView bytes(reinterpret_cast<const char*>(c.data()), qsizetype(c.size()));
    KiwiText result;
    result.text = DecodeMapText(bytes, pages.Text, pages.Ansi);
    if (result.text.endsWith(QChar(0))) result.text.chop(1);
    if (keepRaw) {
        qsizetype length = bytes.size();
        if (isUtf16(pages.Text)) {
            length &= ~qsizetype(1);
            while (length >= 2 && bytes[length - 1] == 0 && bytes[length - 2] == 0)
                length -= 2;
        } else {
            while (length >= 1 && bytes[length - 1] == 0)
                --length;
        }
        result.raw = bytes.first(length).toByteArray();
    }
    return result;
}

int64_t SelectedStringPosition(const TLN_FrameSpan& frame, uint32_t language, int64_t position) {
    if (!frame.Contains(position, 2)) return -1;
    if (!frame.Contains(position + 2, 2)) return position;
    const uint16_t count = frame.At(position + 2).u16(0);
    if (count < kFirstTableCount || count > kLastTableCount) return position;
    const uint32_t k = (language == 0 || language >= count) ? 1 : language;
    const int64_t at = position + 2 * int64_t(k);
    if (!frame.Contains(at, 2)) return -1;
    const uint16_t offset = frame.At(at).u16(0);
    if (offset == 0xFFFF) return -1;
    const int64_t selected = position + 2 * int64_t(offset);
    return frame.Contains(selected, 2) ? selected : -1;
}

KiwiText ReadText(const TLN_FrameSpan& frame, uint32_t language, int64_t position, const TLN_TextPages& pages,
                  bool keepRaw, bool* found) {
    const int64_t selected = SelectedStringPosition(frame, language, position);
    if (selected < 0) {
        if (found) *found = false;
        return {};
    }
    const int64_t words = frame.At(selected).u16(0);
    return ConvertText(frame, 2 * words, selected + 2, pages, keepRaw, found);
}
