// Map text as the readers need it: the bytes as stored, and the text decoded for display through the
// map's code pages.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Decodes KIWI text stored in codePage. 1200 is big-endian UTF-16 and is taken as it is. Any other page
// is decoded and then, when ansiCodePage is an 8-bit page other than 0, sent through that page and back,
// so that what the display page cannot hold shows as "?", as the map's display conversion does.
// ansiCodePage 0 (the system page), a Unicode page or an unsupported page adds no step. Invalid bytes
// give U+FFFD (see decodeFromCodePage). Nothing is trimmed: NULs stay, callers cut where their field
// says.
QString DecodeMapText(QByteArrayView raw, int codePage, int ansiCodePage);
// The same with the current MapTextCodePage and MapAnsiCodePage.
QString DecodeMapText(QByteArrayView raw);

// A decoded text together with its stored bytes; callers compare and rewrite the bytes, show the text.
struct KiwiText {
    QByteArray raw;
    QString text;

    static KiwiText fromRaw(QByteArray raw, int codePage, int ansiCodePage);
    static KiwiText fromRaw(QByteArray raw);
};
