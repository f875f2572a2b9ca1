// The hex viewer window's texts, copy rules, search ranges and snapping.
#include "hexview/HexWindowRules.h"

#include <QFileInfo>
#include <cstdlib>

#include "kiwi/display/KiwiFormat.h"
#include "platform/CodePage.h"

namespace hexwindow {

namespace {

QString hex0x(int64_t value) {
    return QString::fromStdString(FormatHex0x(value));
}

constexpr int kUtf8CodePage = 65001;

// The length of the longest prefix that does not end inside a UTF-8 sequence.
qsizetype completeUtf8Length(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    qsizetype lead = size;
    // A sequence is at most 4 bytes: look back over at most 3 continuation bytes for its lead.
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = uint8_t(bytes[size - back]);
        if ((byte & 0xC0) == 0x80) continue;
        lead = size - back;
        int need = 1;
        if ((byte & 0xE0) == 0xC0)
            need = 2;
        else if ((byte & 0xF0) == 0xE0)
            need = 3;
        else if ((byte & 0xF8) == 0xF0)
            need = 4;
        return back < need ? lead : size;
    }
    return size;
}

} // namespace

QString BinaryMimeType() {
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(kBinaryFormatName);
}

QString DisplayName(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    if (name.compare(QStringLiteral("ALLDATA1.KWI"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("ALLDATA.KWI");
    if (name.compare(QStringLiteral("REGION1.KWI"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("REGION.KWI");
    return name;
}

QString Caption(bool floating, const QString& displayName) {
    return floating ? QStringLiteral("Hex Viewer  ") + displayName : displayName;
}

QString AddressPanel(int64_t address) {
    return QStringLiteral("Адрес  ") + hex0x(address);
}

QString BytePanel(uint8_t byte) {
    return hex0x(byte) + QStringLiteral(" (") + QString::number(byte) + QStringLiteral(")");
}

QString BlockPanel(int64_t start, int64_t end) {
    if (end < start) return {};
    return QStringLiteral("Блок  ") + hex0x(start) + QStringLiteral(" - ") + hex0x(end);
}

QString SizePanel(int64_t start, int64_t end) {
    if (end < start) return {};
    const int64_t size = end - start + 1;
    return QStringLiteral("Размер  ") + hex0x(size) + QStringLiteral(" (") + QString::number(size) +
           QStringLiteral(")");
}

QString SearchFailedText(const QString& reason) {
    return QStringLiteral("Поиск прерван: ошибка чтения.\n") + reason;
}

QString BinaryCopiedBalloon(int64_t bytes) {
    return QStringLiteral("Скопировано в буфер обмена:\n1) Бинарные данные ") + hex0x(bytes) +
           QStringLiteral(" байт.");
}

QString TextCopiedBalloon(int64_t bytes) {
    return QStringLiteral("Скопировано в буфер обмена:\n1) Текстовые даннын ") + hex0x(bytes) +
           QStringLiteral(" байт.\n2) Бинарные данные ") + hex0x(bytes) + QStringLiteral(" байт.");
}

QString HexTextCopiedBalloon(int64_t bytes) {
    return QStringLiteral("Скопировано в буфер обмена:\n1) Текстовые данные ") + hex0x(bytes) +
           QStringLiteral(" байт.");
}

QString HexText(QByteArrayView bytes) {
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = uint8_t(c);
        text.append(QChar(digits[byte >> 4]));
        text.append(QChar(digits[byte & 15]));
        text.append(QChar(' '));
    }
    return text;
}

std::optional<QString> ClipboardText(QByteArrayView bytes, int codePage) {
    QByteArray data = bytes.toByteArray();
    if (codePage == kUtf8CodePage) {
        data.truncate(completeUtf8Length(data));
        if (QString::fromUtf8(data).toUtf8() != data) return std::nullopt;
        // The bytes above proved valid: decode them with NULs as blanks.
        data.replace('\0', ' ');
        return QString::fromUtf8(data);
    }
    data.replace('\0', ' ');
    return decodeFromCodePage(data, codePage);
}

SearchRange FindRange(int zone, int64_t size, int64_t cursor, int64_t blockStart, int64_t blockEnd) {
    switch (zone) {
    case SearchInfo::FromCursor:
        return {cursor, size};
    case SearchInfo::InBlock:
        // The block's end is its last byte: the range ends after it.
        return {blockStart, blockEnd + 1};
    default:
        return {0, size};
    }
}

std::optional<SearchRange> FindNextRange(const SearchInfo& info, int64_t size, int64_t cursor, bool hasBlock,
                                         int64_t blockEnd) {
    int64_t start = cursor + 1;
    if (start == info.lastHit) ++start;
    const int64_t end = hasBlock && info.zone == SearchInfo::InBlock ? blockEnd + 1 : size;
    // The last search went over this place without a hit: searching again would find nothing either.
    if (start >= info.start && start + 100 < info.end && info.lastHit == -1) return std::nullopt;
    return SearchRange{start, end};
}

SnapMove SnapAfterMove(int dx, int dy) {
    if (std::abs(dx) > kSnapDistance || std::abs(dy) > kSnapDistance) return SnapMove::Unsnap;
    return dx != 0 ? SnapMove::Snap : SnapMove::Keep;
}

} // namespace hexwindow
