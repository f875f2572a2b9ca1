// Hex pattern and offset parsing for the dialogs, strict about every character since anything can be
// typed or pasted.
#include "hexview/dialogs/model/HexInputText.h"

#include <limits>

#include "kiwi/display/KiwiFormat.h"

namespace {

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    return -1;
}

} // namespace

QByteArray ParseHexPattern(const QString& text) {
    const QString digits = text.size() % 2 != 0 ? QStringLiteral("0") + text : text;
    QByteArray bytes;
    bytes.reserve(digits.size() / 2);
    for (qsizetype i = 0; i + 1 < digits.size(); i += 2) {
        const int high = hexDigitValue(digits[i]);
        const int low = hexDigitValue(digits[i + 1]);
        if (high < 0 || low < 0) return {};
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

int64_t ParseHexOffset(const QString& text) {
    if (text.isEmpty()) return -1;
    uint64_t value = 0;
    constexpr uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max());
    for (const QChar c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) return -1;
        if (value > (limit - uint64_t(digit)) / 16) return -1;
        value = value * 16 + uint64_t(digit);
    }
    return int64_t(value);
}

bool OffsetTextAcceptable(const QString& text, int64_t streamSize) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F'))) return false;
    }
    if (text.isEmpty()) return true;
    const int64_t value = ParseHexOffset(text);
    return value >= 0 && value < streamSize;
}

QString OffsetDigits(int64_t value) {
    return QString::fromStdString(FormatHexDigits(value));
}
