// Decoding of map text through the map text code page and the display (ANSI) code page.
#include "kiwi/core/KiwiText.h"

#include "kiwi/core/MapCodePage.h"
#include "platform/CodePage.h"

#include <utility>

namespace {

bool isUnicodePage(int codePage) {
    return codePage == CodePageUtf8 || codePage == CodePageUtf16Kiwi || codePage == CodePageUtf16BigEndian;
}

} // namespace

QString DecodeMapText(QByteArrayView raw, int codePage, int ansiCodePage) {
    if (codePage == CodePageUtf16Kiwi) return decodeFromCodePage(raw, CodePageUtf16Kiwi);
    const QString text = decodeFromCodePage(raw, codePage);
    if (ansiCodePage == CodePageSystemAnsi || isUnicodePage(ansiCodePage) ||
        !isSupportedCodePage(ansiCodePage))
        return text;
    return decodeFromCodePage(encodeToCodePage(text, ansiCodePage), ansiCodePage);
}

QString DecodeMapText(QByteArrayView raw) {
    const MapCodePagePair pages = LoadMapCodePages();
    return DecodeMapText(raw, pages.text, pages.ansi);
}

KiwiText KiwiText::fromRaw(QByteArray raw, int codePage, int ansiCodePage) {
    QString text = DecodeMapText(raw, codePage, ansiCodePage);
    return KiwiText{std::move(raw), std::move(text)};
}

KiwiText KiwiText::fromRaw(QByteArray raw) {
    QString text = DecodeMapText(raw);
    return KiwiText{std::move(raw), std::move(text)};
}
