// New texts of names and guidance strings under the run's name options.
#include "converter/names/NameTextPolicy.h"

#include "converter/names/Cp1251Text.h"
#include "converter/output/OutputEncoding.h"
#include "platform/CodePage.h"

namespace {

bool holdsQuestionMark(const std::string& text) {
    return text.find('?') != std::string::npos;
}

std::string toStd(const QByteArray& bytes) {
    return std::string(bytes.constData(), size_t(bytes.size()));
}

} // namespace

std::string TrimTrailingZeros(std::string text) {
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

bool NameTextPolicy::Applies(int level, uint8_t parcelAreaCode) const {
    if (options_.utfToAnsi) return true;
    if (!options_.translate || !dictionary_) return false;
    return level <= options_.translationLevel || parcelAreaCode == AreaCode();
}

std::string NameTextPolicy::AnsiOf(const KiwiText& stored) {
    return toStd(ansiBytes(stored));
}

QByteArray NameTextPolicy::ansiBytes(const KiwiText& stored) {
    QByteArray bytes = encodeToCodePage(stored.text, kAnsiCodePage);
    qsizetype length = bytes.size();
    while (length > 0 && bytes[length - 1] == '\0')
        --length;
    bytes.truncate(length);
    return bytes;
}

std::optional<QByteArray> NameTextPolicy::Encode(const std::string& ansi) const {
    const QByteArray bytes(ansi.data(), qsizetype(ansi.size()));
    if (options_.utfToAnsi || options_.textCodePage == kAnsiCodePage) return bytes;
    const QByteArray encoded =
        encodeToCodePage(decodeFromCodePage(bytes, kAnsiCodePage), options_.textCodePage);
    // A character the map's page cannot hold would be stored as "?": the old text stays instead.
    if (encoded.count('?') != bytes.count('?')) return std::nullopt;
    return encoded;
}

std::optional<QByteArray> NameTextPolicy::NameRecordText(const KiwiText& stored, uint16_t typeCode,
                                                         uint8_t parcelAreaCode) {
    const bool freeway = typeCode == kFreewayTypeCode;
    if (freeway && options_.excludeFreeways) return std::nullopt;
    if (options_.utfToAnsi) {
        // Re-encoding stores the code page 1251 bytes themselves, without a copy per name.
        QByteArray ansi = ansiBytes(stored);
        if (ansi == stored.raw) return std::nullopt;
        if (freeway) ansi = QByteArray::fromStdString(LatinizeCapitals(ansi.toStdString()));
        if (ansi.isEmpty()) return std::nullopt;
        return ansi;
    }
    std::string text = AnsiOf(stored);
    if (options_.translate && dictionary_) {
        const bool ask = AreaCode() == parcelAreaCode;
        text = options_.byWords ? dictionary_->TranslateNameByWords(text, ask)
                                : dictionary_->TranslateName(text, ask);
        if (holdsQuestionMark(text)) return std::nullopt;
    } else {
        return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    return Encode(text);
}

std::optional<QByteArray> NameTextPolicy::GuidanceText(const KiwiText& stored, size_t fieldBytes) {
    std::string text = AnsiOf(stored);
    if (text.empty()) return std::nullopt;
    std::optional<QByteArray> bytes;
    if (options_.translate && dictionary_) {
        text = options_.byWords ? dictionary_->TranslateNameByWords(text, true)
                                : dictionary_->TranslateName(text, true);
        if (text.empty() || holdsQuestionMark(text)) return std::nullopt;
        bytes = Encode(text);
    } else if (options_.utfToAnsi) {
        bytes = QByteArray(text.data(), qsizetype(text.size()));
    }
    if (!bytes || bytes->size() > qsizetype(fieldBytes) || *bytes == stored.raw) return std::nullopt;
    return bytes;
}
