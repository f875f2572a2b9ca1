// Display characters and upper-case bytes of a code page, built once per page from the platform's
// converters.
#include "hexview/model/HexCharTable.h"

#include <QByteArray>
#include <QString>

#include "platform/CodePage.h"

namespace {

// Pages in which a byte above 0x7F is part of a sequence, not a character of its own.
bool multiByte(int codePage) {
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case CodePageUtf8:
        return true;
    default:
        return false;
    }
}

// Pages whose bytes are not characters one by one: shown in the system page instead.
bool notBytewise(int codePage) {
    return codePage == CodePageUtf16Kiwi || codePage == CodePageUtf16BigEndian || codePage == 50220 ||
           !isSupportedCodePage(codePage);
}

// The one character a byte decodes to, or 0 when it does not decode to exactly one.
char16_t decodeByte(uint8_t byte, int codePage) {
    const char raw = char(byte);
    const QString text = decodeFromCodePage(QByteArrayView(&raw, 1), codePage);
    if (text.size() != 1 || text[0] == QChar::ReplacementCharacter) return 0;
    return text[0].unicode();
}

} // namespace

HexCharTable::HexCharTable(int codePage) : codePage_(codePage), utf8_(codePage == CodePageUtf8) {
    const int shown = utf8_ || !notBytewise(codePage) ? codePage : systemAnsiCodePage();
    const bool sequences = multiByte(shown);
    for (int b = 0; b < 256; ++b) {
        const auto byte = uint8_t(b);
        single_[size_t(b)] = (b < 0x80 || !multiByte(shown)) ? decodeByte(byte, shown) : 0;
        upper_[size_t(b)] = byte;
        if (b >= 'a' && b <= 'z') upper_[size_t(b)] = uint8_t(b - 'a' + 'A');
        if (sequences || b < 0x80) continue;
        const char16_t c = single_[size_t(b)];
        if (c == 0) continue;
        const QString upper = QString(QChar(c)).toUpper();
        if (upper.size() != 1 || upper[0] == QChar(c)) continue;
        const QByteArray encoded = encodeToCodePage(upper, shown);
        if (encoded.size() == 1 && decodeByte(uint8_t(encoded[0]), shown) == upper[0].unicode())
            upper_[size_t(b)] = uint8_t(encoded[0]);
    }
}

void HexCharTable::DecodeRow(const uint8_t* bytes, int available, int rowCount, char16_t out[16]) const {
    for (int i = 0; i < 16; ++i)
        out[i] = 0;
    if (rowCount > 16) rowCount = 16;
    if (available < rowCount) rowCount = available;
    if (!utf8_) {
        for (int i = 0; i < rowCount; ++i)
            out[i] = single_[bytes[i]];
        return;
    }
    // UTF-8: a byte below 0x80 is itself; otherwise the byte and the next (which may lie in the next row)
    // are read as one sequence, shown at the first position with nothing at the second.
    int i = 0;
    while (i < rowCount) {
        if (bytes[i] < 0x80) {
            out[i] = bytes[i];
            ++i;
            continue;
        }
        if (i + 1 < available) {
            const QString pair = QString::fromUtf8(reinterpret_cast<const char*>(bytes + i), 2);
            if (pair.size() == 1 && pair[0] != QChar::ReplacementCharacter) {
                out[i] = pair[0].unicode();
                i += 2;
                continue;
            }
        }
        ++i;
    }
}
