// Conversion between bytes in a Windows code page (by its number) and Unicode text.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>

// Code page numbers with a meaning of their own. KIWI text in 1200 is big-endian UTF-16, unlike
// Windows' own 1200; both 1200 and 1201 are therefore read and written big-endian here.
inline constexpr int CodePageSystemAnsi = 0;
inline constexpr int CodePageUtf16Kiwi = 1200;
inline constexpr int CodePageUtf16BigEndian = 1201;
inline constexpr int CodePageUtf8 = 65001;

// True when text in codePage can be converted on this system: 0, 65001, 1200, 1201, 874, 932, 936,
// 949, 950, 1250-1258, 20127, 28591-28601, 28603-28605 and 50220 (ISO-2022-JP), given the system's
// iconv provides the page.
bool isSupportedCodePage(int codePage);

// The code page that 0 ("the system ANSI code page") stands for. Linux has no such setting, so it is
// derived from the language of the system locale the way Windows picks its ANSI page (Russian 1251,
// Japanese 932, ...); 1252 for every other language and for the C locale. Fixed for the process.
int systemAnsiCodePage();
// The ANSI code page Windows uses for a locale's language (and script, for Chinese and Serbian).
int ansiCodePageForLocale(const QLocale& locale);

// Decodes bytes in codePage. Every byte is decoded: NULs are kept, nothing stops on a bad byte. An
// invalid or incomplete sequence gives U+FFFD and decoding goes on one byte later (one 16-bit unit
// later in UTF-16, where an odd last byte and a lone surrogate also give U+FFFD). A code page that is
// not supported is decoded as Latin-1 (each byte its own character); *supported then reports false.
QString decodeFromCodePage(QByteArrayView bytes, int codePage, bool* supported = nullptr);

// Encodes text in codePage. A character the page cannot hold, and a lone surrogate, becomes "?".
// An unsupported code page encodes as Latin-1 (characters above U+00FF as "?"), *supported false.
// Stateful pages (50220) end in their initial shift state.
QByteArray encodeToCodePage(const QString& text, int codePage, bool* supported = nullptr);
