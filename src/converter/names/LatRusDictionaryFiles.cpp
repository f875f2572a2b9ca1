// The dictionary's files: "key=value" text read in one sort and written back, and the compiled ".lndict"
// form, checked whole before it replaces anything.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "converter/names/Cp1251Text.h"
#include "converter/names/LatRusDictionary.h"
#include "converter/output/OutputEncoding.h"
#include "kiwi/core/KiwiErrors.h"
#include "platform/CodePage.h"

namespace {

bool isBlank(char c) {
    return uint8_t(c) <= 32;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Lines split at CR LF, LF or CR; a last line without a break counts, an empty tail after one does not.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EFOpenError(Failure(FailureCode::FileOpenRefused, {{"file", path}}));
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw EFOpenError(Failure(FailureCode::FileReadFailed, {{"file", path}}));
    return bytes;
}

uint32_t readU32(std::string_view bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// Bytes below the blank other than the tab, which separates the parts of a name.
bool holdsControlBytes(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) { return uint8_t(c) < 32 && c != '\t'; });
}

bool breaksLine(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

LatRusDictionary::TextLoad LatRusDictionary::LoadFromText(std::string_view text) {
    const std::vector<std::string_view> lines = splitLines(text);
    int lastProgress = 0;
    if (progress_) progress_(0);
    std::vector<Pair> pairs;
    pairs.reserve(lines.size());
    TextLoad found;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const size_t equals = line.find('=');
        bool pair = false;
        // A line holding control bytes is binary, not text, whatever "=" it happens to contain.
        if (equals != std::string_view::npos && equals > 0 && !holdsControlBytes(line)) {
            // Keys are trimmed on the right like the editor trims them: "Moscow =..." must match "Moscow".
            const std::string_view key = trimRight(line.substr(0, equals));
            std::string_view value = line.substr(equals + 1);
            while (!value.empty() && isBlank(value.front()))
                value.remove_prefix(1);
            value = trimRight(value);
            if (!key.empty() && !value.empty()) {
                pairs.push_back({key, value});
                pair = true;
            }
        }
        if (!pair && !trimRight(line).empty()) ++found.otherLines;
        const int percent = int(uint64_t(i) * 100 / lines.size());
        if (percent != lastProgress && progress_) progress_(percent);
        lastProgress = percent;
    }
    found.pairs = int(pairs.size());
    if (!pairs.empty()) addPairs(pairs);
    return found;
}

LatRusDictionary::TextLoad LatRusDictionary::LoadFromTextFile(const std::string& path) {
    return LoadFromText(readWholeFile(path));
}

std::string LatRusDictionary::LoadFromBytes(std::string_view bytes) {
    if (bytes.size() < 8) return "Файл словаря короче своего заголовка";
    const uint32_t area = readU32(bytes, 0);
    const uint64_t count = readU32(bytes, 4);
    size_t at = 8;
    if (count * 8 > bytes.size() - at) return "В файле словаря меньше ключей, чем указано в его заголовке";
    struct Record {
        std::string_view key;
        uint32_t value;
    };
    std::vector<Record> records;
    records.reserve(size_t(count));
    for (uint64_t i = 0; i < count; ++i) {
        if (bytes.size() - at < 8) return "Файл словаря обрывается внутри ключа " + std::to_string(i);
        const uint32_t value = readU32(bytes, at);
        const uint64_t length = readU32(bytes, at + 4);
        at += 8;
        if (length > bytes.size() - at) return "Ключ " + std::to_string(i) + " выходит за конец файла";
        records.push_back({bytes.substr(at, size_t(length)), value});
        at += size_t(length);
    }
    std::vector<std::string_view> valueLines = splitLines(bytes.substr(at));
    LatRusDictionary loaded;
    loaded.values_.assign(valueLines.begin(), valueLines.end());
    loaded.entries_.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].key.empty()) return "Ключ " + std::to_string(i) + " пуст";
        if (records[i].value >= loaded.values_.size())
            return "Ключ " + std::to_string(i) + " ссылается за пределы списка из " +
                   std::to_string(loaded.values_.size()) + " переводов";
        loaded.noteSpace(records[i].key);
        loaded.entries_.push_back(
            Entry{FoldedCp1251(records[i].key), std::string(records[i].key), records[i].value});
    }
    std::stable_sort(loaded.entries_.begin(), loaded.entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.folded < b.folded; });
    const auto twin = std::adjacent_find(loaded.entries_.begin(), loaded.entries_.end(),
                                         [](const Entry& a, const Entry& b) { return a.folded == b.folded; });
    // The key is cp1251 bytes; the message is UTF-8 text.
    if (twin != loaded.entries_.end())
        return "Ключ \"" + decodeFromCodePage(twin->key, kAnsiCodePage).toStdString() +
               "\" встречается дважды";
    entries_ = std::move(loaded.entries_);
    values_ = std::move(loaded.values_);
    rebuildIndex();
    noSpaces_ = loaded.noSpaces_;
    areaCode = area;
    dirty_ = true;
    return {};
}

std::string LatRusDictionary::LoadFromFile(const std::string& path) {
    return LoadFromBytes(readWholeFile(path));
}

int LatRusDictionary::SaveToText(std::string& text) const {
    int skipped = 0;
    text.clear();
    for (const Entry& entry : entries_) {
        const std::string& value = values_[entry.value];
        if (entry.key.empty() || entry.key.find('=') != std::string::npos || breaksLine(entry.key) ||
            breaksLine(value)) {
            ++skipped;
            continue;
        }
        text += entry.key;
        text += '=';
        text += value;
        text += "\r\n";
    }
    return skipped;
}

int LatRusDictionary::SaveToTextFile(const std::string& path, const OutputOpener& opener) const {
    std::string text;
    const int skipped = SaveToText(text);
    WriteProducedFile(path, text, opener);
    return skipped;
}
