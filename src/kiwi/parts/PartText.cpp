// Decoding of part text: the terminator rule of the small parts, then the shared map text codec.
#include "kiwi/parts/PartText.h"

#include "kiwi/core/KiwiText.h"
#include "kiwi/core/MapCodePage.h"

namespace {

QByteArray cutAtTerminator(const QByteArray& raw, int codePage) {
    if (codePage == 1200) {
        for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
            if (raw[i] == 0 && raw[i + 1] == 0) return raw.left(i);
        return raw;
    }
    const qsizetype nul = raw.indexOf('\0');
    return nul < 0 ? raw : raw.left(nul);
}

} // namespace

TLN_PartText DecodePartText(const QByteArray& raw) {
    const MapCodePagePair pages = LoadMapCodePages();
    TLN_PartText result;
    result.Raw = cutAtTerminator(raw, pages.text);
    result.Text = DecodeMapText(result.Raw, pages.text, pages.ansi);
    return result;
}
