// Code page conversion through the C library's iconv, with one converter per code page and direction
// kept per thread, and the Unicode pages of KIWI text handled directly.
#include "platform/CodePage.h"

#include <QSysInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// Unicode text inside this file is UTF-16 in host order, which is what QString holds.
const char* hostUtf16Name() {
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
}

const char* iconvName(int codePage) {
    switch (codePage) {
    case 874:
        return "CP874";
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1252:
        return "CP1252";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 20127:
        return "ASCII";
    case 28591:
        return "ISO-8859-1";
    case 28592:
        return "ISO-8859-2";
    case 28593:
        return "ISO-8859-3";
    case 28594:
        return "ISO-8859-4";
    case 28595:
        return "ISO-8859-5";
    case 28596:
        return "ISO-8859-6";
    case 28597:
        return "ISO-8859-7";
    case 28598:
        return "ISO-8859-8";
    case 28599:
        return "ISO-8859-9";
    case 28600:
        return "ISO-8859-10";
    case 28601:
        return "ISO-8859-11";
    // 28602 would be ISO-8859-12, which was never published.
    case 28603:
        return "ISO-8859-13";
    case 28604:
        return "ISO-8859-14";
    case 28605:
        return "ISO-8859-15";
    case 50220:
        return "ISO-2022-JP";
    default:
        return nullptr;
    }
}

// Pages whose bytes 0x00-0x7F are ASCII, so pure ASCII input needs no converter.
bool isAsciiCompatible(int codePage) {
    return codePage != 50220;
}

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Converters of the calling thread. iconv_t carries shift state, so one must never be shared
// between threads; opening one per call would cost more than most conversions.
class ThreadConverters {
public:
    ThreadConverters() = default;
    ThreadConverters(const ThreadConverters&) = delete;
    ThreadConverters& operator=(const ThreadConverters&) = delete;
    ~ThreadConverters() {
        for (auto& entry : entries_)
            if (entry.converter != kNoConverter) iconv_close(entry.converter);
    }

    // The converter from codePage to Unicode (toUnicode) or back; kNoConverter when iconv lacks it.
    iconv_t get(int codePage, bool toUnicode) {
        for (const auto& entry : entries_)
            if (entry.codePage == codePage && entry.toUnicode == toUnicode) return entry.converter;
        const char* name = iconvName(codePage);
        iconv_t converter = kNoConverter;
        if (name)
            converter = toUnicode ? iconv_open(hostUtf16Name(), name) : iconv_open(name, hostUtf16Name());
        entries_.push_back({codePage, toUnicode, converter});
        return converter;
    }

private:
    struct Entry {
        int codePage;
        bool toUnicode;
        iconv_t converter;
    };
    std::vector<Entry> entries_;
};

ThreadConverters& threadConverters() {
    thread_local ThreadConverters converters;
    return converters;
}

bool isPureAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool isPureAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

// Big-endian UTF-16 with every fault replaced by U+FFFD one unit at a time.
QString decodeUtf16BigEndian(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype units = bytes.size() / 2;
    QString result;
    result.reserve(units + 1);
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = char16_t(data[2 * i] << 8 | data[2 * i + 1]);
        if (QChar::isHighSurrogate(unit) && i + 1 < units) {
            const char16_t next = char16_t(data[2 * i + 2] << 8 | data[2 * i + 3]);
            if (QChar::isLowSurrogate(next)) {
                result.append(QChar(unit));
                result.append(QChar(next));
                ++i;
                continue;
            }
        }
        result.append(QChar::isSurrogate(unit) ? QChar(QChar::ReplacementCharacter) : QChar(unit));
    }
    if (bytes.size() % 2) result.append(QChar(QChar::ReplacementCharacter));
    return result;
}

QByteArray encodeUtf16BigEndian(const QString& text) {
    QByteArray result;
    result.reserve(text.size() * 2);
    const auto put = [&result](char16_t unit) {
        result.append(char(unit >> 8));
        result.append(char(unit & 0xFF));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            put(unit);
            put(text[++i].unicode());
        } else {
            put(QChar::isSurrogate(unit) ? u'?' : unit);
        }
    }
    return result;
}

// Runs iconv over the whole input into a growing buffer. On a bad sequence at the input position,
// onBad(in, inLeft, produced) steps past it and may append a replacement to output. Ends when all
// input is converted and the converter is flushed, or on an error other than those.
template <typename OnBad>
void runIconv(iconv_t converter, const char* input, size_t inputSize, std::vector<char>& output,
              size_t& produced, OnBad onBad) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input);
    size_t inLeft = inputSize;
    bool flushing = false;
    for (;;) {
        if (output.size() - produced < 16) output.resize(output.size() * 2 + 64);
        char* out = output.data() + produced;
        size_t outLeft = output.size() - produced;
        const size_t result = flushing ? iconv(converter, nullptr, nullptr, &out, &outLeft)
                                       : iconv(converter, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        produced = size_t(out - output.data());
        if (result != size_t(-1)) {
            // The flush writes what stateful pages still hold (a reset sequence, a pending base
            // character) once all input is consumed.
            if (flushing) return;
            flushing = true;
            continue;
        }
        if (error == E2BIG) {
            output.resize(output.size() * 2 + 64);
        } else if (!flushing && (error == EILSEQ || error == EINVAL)) {
            onBad(in, inLeft, produced);
        } else {
            return;
        }
    }
}

// Pages whose decoder holds a base letter back until it knows whether a combining mark follows.
bool holdsBaseLetters(int codePage) {
    return codePage == 1255 || codePage == 1258;
}

QString decodeWithIconv(iconv_t converter, QByteArrayView bytes, bool flushBeforeReplacement) {
    std::vector<char> output(size_t(bytes.size()) * 2 + 64);
    size_t produced = 0;
    runIconv(converter, bytes.data(), size_t(bytes.size()), output, produced,
             [&output, converter, flushBeforeReplacement](char*& in, size_t& inLeft, size_t& written) {
                 if (output.size() - written < 16) output.resize(output.size() * 2 + 64);
                 if (flushBeforeReplacement) {
                     // A held-back letter comes before the bad byte's replacement.
                     char* out = output.data() + written;
                     size_t outLeft = output.size() - written;
                     iconv(converter, nullptr, nullptr, &out, &outLeft);
                     written = size_t(out - output.data());
                 }
                 const char16_t replacement = QChar::ReplacementCharacter;
                 std::memcpy(output.data() + written, &replacement, sizeof replacement);
                 written += sizeof replacement;
                 ++in;
                 --inLeft;
             });
    return QString(reinterpret_cast<const QChar*>(output.data()), qsizetype(produced / 2));
}

QByteArray encodeWithIconv(iconv_t converter, const QString& text) {
    std::vector<char> output(size_t(text.size()) * 2 + 64);
    size_t produced = 0;
    runIconv(converter, reinterpret_cast<const char*>(text.utf16()), size_t(text.size()) * 2, output,
             produced, [&output, converter](char*& in, size_t& inLeft, size_t& written) {
                 // Skip one character (a surrogate pair counts as one), then write "?" through the
                 // converter so that a stateful page shifts back to ASCII first.
                 char16_t unit;
                 std::memcpy(&unit, in, sizeof unit);
                 size_t step = 2;
                 if (QChar::isHighSurrogate(unit) && inLeft >= 4) {
                     char16_t next;
                     std::memcpy(&next, in + 2, sizeof next);
                     if (QChar::isLowSurrogate(next)) step = 4;
                 }
                 in += std::min(step, inLeft);
                 inLeft -= std::min(step, inLeft);
                 char16_t question = u'?';
                 char* questionIn = reinterpret_cast<char*>(&question);
                 size_t questionLeft = sizeof question;
                 if (output.size() - written < 16) output.resize(output.size() * 2 + 64);
                 char* out = output.data() + written;
                 size_t outLeft = output.size() - written;
                 iconv(converter, &questionIn, &questionLeft, &out, &outLeft);
                 written = size_t(out - output.data());
             });
    return QByteArray(output.data(), qsizetype(produced));
}

int resolveCodePage(int codePage) {
    return codePage == CodePageSystemAnsi ? systemAnsiCodePage() : codePage;
}

// A stateless single-byte page as two tables, read off its iconv converter once per process: the
// converter then costs nothing per text, where map names are converted by the million. Pages whose
// decoder composes letters with marks (1255, 1258), multi-byte and stateful pages stay with iconv.
class SingleByteTable {
public:
    static const SingleByteTable* For(int codePage) {
        if (!isSingleByte(codePage)) return nullptr;
        // The last page asked for on this thread answers without a lock.
        thread_local int lastPage = -1;
        thread_local const SingleByteTable* last = nullptr;
        if (codePage == lastPage) return last;
        static std::mutex mutex;
        static std::map<int, std::unique_ptr<SingleByteTable>> tables;
        std::lock_guard lock(mutex);
        auto found = tables.find(codePage);
        if (found == tables.end()) found = tables.emplace(codePage, build(codePage)).first;
        lastPage = codePage;
        last = found->second.get();
        return last;
    }

    QString Decode(QByteArrayView bytes) const {
        QString text(bytes.size(), Qt::Uninitialized);
        QChar* out = text.data();
        for (const char c : bytes)
            *out++ = QChar(decode_[static_cast<unsigned char>(c)]);
        return text;
    }

    // A character the page lacks is "?"; a surrogate pair is one character.
    QByteArray Encode(const QString& text) const {
        QByteArray bytes(text.size(), Qt::Uninitialized);
        char* out = bytes.data();
        const char16_t* in = reinterpret_cast<const char16_t*>(text.utf16());
        const char16_t* end = in + text.size();
        while (in < end) {
            const char16_t unit = *in++;
            if (QChar::isHighSurrogate(unit) && in < end && QChar::isLowSurrogate(*in)) ++in;
            const int16_t byte = encode_[unit];
            *out++ = byte < 0 ? '?' : char(byte);
        }
        bytes.truncate(qsizetype(out - bytes.data()));
        return bytes;
    }

private:
    static bool isSingleByte(int codePage) {
        return codePage == 874 || (codePage >= 1250 && codePage <= 1257 && codePage != 1255) ||
               codePage == 20127 || (codePage >= 28591 && codePage <= 28605);
    }

    // Null when iconv lacks the page or two bytes decode to one character (the encoder's choice between
    // them is iconv's to make).
    static std::unique_ptr<SingleByteTable> build(int codePage) {
        const iconv_t converter = iconvName(codePage) ? threadConverters().get(codePage, true) : kNoConverter;
        if (converter == kNoConverter) return nullptr;
        auto table = std::make_unique<SingleByteTable>();
        table->encode_.assign(0x10000, -1);
        for (int byte = 0; byte < 256; ++byte) {
            const char c = char(byte);
            const QString one = decodeWithIconv(converter, QByteArrayView(&c, 1), false);
            if (one.size() != 1) return nullptr;
            const char16_t unit = one.at(0).unicode();
            table->decode_[size_t(byte)] = unit;
            if (unit == QChar::ReplacementCharacter) continue;
            if (QChar::isSurrogate(unit) || table->encode_[unit] >= 0) return nullptr;
            table->encode_[unit] = int16_t(byte);
        }
        return table;
    }

    std::array<char16_t, 256> decode_{};
    std::vector<int16_t> encode_;
};

} // namespace

bool isSupportedCodePage(int codePage) {
    codePage = resolveCodePage(codePage);
    if (codePage == CodePageUtf8 || codePage == CodePageUtf16Kiwi || codePage == CodePageUtf16BigEndian)
        return true;
    return iconvName(codePage) && threadConverters().get(codePage, true) != kNoConverter &&
           threadConverters().get(codePage, false) != kNoConverter;
}

int ansiCodePageForLocale(const QLocale& locale) {
    switch (locale.script()) {
    case QLocale::CyrillicScript:
        return 1251;
    case QLocale::GreekScript:
        return 1253;
    case QLocale::HebrewScript:
        return 1255;
    case QLocale::ArabicScript:
        return 1256;
    case QLocale::ThaiScript:
        return 874;
    case QLocale::TraditionalHanScript:
        return 950;
    case QLocale::SimplifiedHanScript:
        return 936;
    default:
        break;
    }
    switch (locale.language()) {
    case QLocale::Japanese:
        return 932;
    case QLocale::Korean:
        return 949;
    case QLocale::Chinese:
        return 936;
    case QLocale::Vietnamese:
        return 1258;
    case QLocale::Turkish:
    case QLocale::Azerbaijani:
    case QLocale::Uzbek:
        return 1254;
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian:
        return 1257;
    case QLocale::Polish:
    case QLocale::Czech:
    case QLocale::Slovak:
    case QLocale::Hungarian:
    case QLocale::Slovenian:
    case QLocale::Croatian:
    case QLocale::Romanian:
    case QLocale::Albanian:
    case QLocale::Bosnian:
    case QLocale::Serbian:
    case QLocale::Turkmen:
        return 1250;
    default:
        return 1252;
    }
}

int systemAnsiCodePage() {
    static const int codePage = ansiCodePageForLocale(QLocale::system());
    return codePage;
}

QString decodeFromCodePage(QByteArrayView bytes, int codePage, bool* supported) {
    codePage = resolveCodePage(codePage);
    if (supported) *supported = true;
    if (codePage == CodePageUtf8) return QString::fromUtf8(bytes);
    if (codePage == CodePageUtf16Kiwi || codePage == CodePageUtf16BigEndian)
        return decodeUtf16BigEndian(bytes);
    if (codePage == 28591) return QString::fromLatin1(bytes);
    if (iconvName(codePage)) {
        if (isAsciiCompatible(codePage) && isPureAscii(bytes)) return QString::fromLatin1(bytes);
        if (const SingleByteTable* table = SingleByteTable::For(codePage)) return table->Decode(bytes);
        const iconv_t converter = threadConverters().get(codePage, true);
        if (converter != kNoConverter) return decodeWithIconv(converter, bytes, holdsBaseLetters(codePage));
    }
    if (supported) *supported = false;
    return QString::fromLatin1(bytes);
}

QByteArray encodeToCodePage(const QString& text, int codePage, bool* supported) {
    codePage = resolveCodePage(codePage);
    if (supported) *supported = true;
    if (codePage == CodePageUtf8) return text.toUtf8();
    if (codePage == CodePageUtf16Kiwi || codePage == CodePageUtf16BigEndian)
        return encodeUtf16BigEndian(text);
    if (codePage == 28591) return text.toLatin1();
    if (iconvName(codePage)) {
        if (isAsciiCompatible(codePage) && isPureAscii(text)) return text.toLatin1();
        if (const SingleByteTable* table = SingleByteTable::For(codePage)) return table->Encode(text);
        const iconv_t converter = threadConverters().get(codePage, false);
        if (converter != kNoConverter) return encodeWithIconv(converter, text);
    }
    if (supported) *supported = false;
    return text.toLatin1();
}
