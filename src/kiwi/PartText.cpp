// Decoding of part text; the one place where the small part readers meet the code-page codec.
#include "kiwi/PartText.h"

#include <iconv.h>

#include "kiwi/MapCodePage.h"

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

QString decodeUtf16BigEndian(const QByteArray& raw) {
    QString text;
    text.reserve(raw.size() / 2);
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        text.append(QChar(char16_t(uint8_t(raw[i]) << 8 | uint8_t(raw[i + 1]))));
    if (raw.size() % 2) text.append(QChar::ReplacementCharacter);
    return text;
}

// Interim 8-bit decoding through iconv until the shared codec is available.
QString decodeCodePage(const QByteArray& raw, int codePage) {
    if (codePage == 65001 || codePage == 0) return QString::fromUtf8(raw);
    const QByteArray name = "CP" + QByteArray::number(codePage);
    iconv_t cd = iconv_open("UTF-8", name.constData());
    if (cd == iconv_t(-1)) return QString::fromLatin1(raw);
    QByteArray out(raw.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(raw.constData());
    size_t inLeft = size_t(raw.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    QString text;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1)) break;
        // An invalid byte: keep what came before, mark it and go on one byte later.
        text += QString::fromUtf8(out.constData(), outPtr - out.constData());
        text += QChar::ReplacementCharacter;
        outPtr = out.data();
        outLeft = size_t(out.size());
        ++in;
        --inLeft;
    }
    text += QString::fromUtf8(out.constData(), outPtr - out.constData());
    iconv_close(cd);
    return text;
}

} // namespace

TLN_PartText DecodePartText(const QByteArray& raw) {
    const int codePage = MapTextCodePage.load();
    TLN_PartText result;
    result.Raw = cutAtTerminator(raw, codePage);
    result.Text = codePage == 1200 ? decodeUtf16BigEndian(result.Raw) : decodeCodePage(result.Raw, codePage);
    return result;
}
