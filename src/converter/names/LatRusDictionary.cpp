// The dictionary's sorted keys, pair operations and name translation.
#include "converter/names/LatRusDictionary.h"

#include <algorithm>

#include "converter/names/Cp1251Text.h"

namespace {

// The separators of word-by-word translation: space ( ) " [ ] - , / \ and the digits.
bool isWordSeparator(char c) {
    switch (c) {
    case ' ':
    case '(':
    case ')':
    case '"':
    case '[':
    case ']':
    case '-':
    case ',':
    case '/':
    case '\\':
        return true;
    default:
        return c >= '0' && c <= '9';
    }
}

// The fold buffer of the look-ups on this thread: reused, so a look-up allocates nothing once warm.
std::string& foldBuffer() {
    thread_local std::string buffer;
    return buffer;
}

} // namespace

void LatRusDictionary::Clear() {
    entries_.clear();
    values_.clear();
    index_.clear();
    noSpaces_ = true;
    dirty_ = true;
}

void LatRusDictionary::SetTranslation(int i, std::string_view text) {
    values_[entries_[size_t(i)].value] = std::string(text);
    dirty_ = true;
}

void LatRusDictionary::DeleteAt(int i) {
    index_.erase(entries_[size_t(i)].folded);
    entries_.erase(entries_.begin() + i);
    dirty_ = true;
}

int LatRusDictionary::find(std::string_view key) const {
    std::string& folded = foldBuffer();
    FoldCp1251(key, folded);
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), std::string_view(folded),
                                     [](const Entry& e, std::string_view k) { return e.folded < k; });
    if (it == entries_.end() || it->folded != folded) return -1;
    return int(it - entries_.begin());
}

int LatRusDictionary::IndexOfLatin(std::string_view key) const {
    return find(key);
}

const std::string* LatRusDictionary::findTranslation(std::string_view key) const {
    std::string& folded = foldBuffer();
    FoldCp1251(key, folded);
    const auto it = index_.find(std::string_view(folded));
    return it == index_.end() ? nullptr : &values_[it->second];
}

void LatRusDictionary::rebuildIndex() {
    index_.clear();
    index_.reserve(entries_.size());
    for (const Entry& entry : entries_)
        index_.emplace(entry.folded, entry.value);
}

int LatRusDictionary::LowerBound(std::string_view text) const {
    const std::string folded = FoldedCp1251(text);
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), folded,
                                     [](const Entry& e, const std::string& k) { return e.folded < k; });
    return int(it - entries_.begin());
}

int LatRusDictionary::insertAt(size_t position, std::string_view key, std::string folded,
                               std::string_view text) {
    values_.emplace_back(text);
    index_.emplace(folded, uint32_t(values_.size() - 1));
    entries_.insert(entries_.begin() + ptrdiff_t(position),
                    Entry{std::move(folded), std::string(key), uint32_t(values_.size() - 1)});
    noteSpace(key);
    dirty_ = true;
    return int(position);
}

int LatRusDictionary::AddPair(std::string_view key, std::string_view text) {
    std::string folded = FoldedCp1251(key);
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), folded,
                                     [](const Entry& e, const std::string& k) { return e.folded < k; });
    if (it != entries_.end() && it->folded == folded) return int(it - entries_.begin());
    return insertAt(size_t(it - entries_.begin()), key, std::move(folded), text);
}

int LatRusDictionary::SetPair(std::string_view key, std::string_view text) {
    const int index = find(key);
    if (index < 0) return AddPair(key, text);
    values_.emplace_back(text);
    entries_[size_t(index)].value = uint32_t(values_.size() - 1);
    index_[entries_[size_t(index)].folded] = entries_[size_t(index)].value;
    dirty_ = true;
    return index;
}

std::string LatRusDictionary::lookupName(std::string_view name, bool ask) {
    if (const std::string* translation = findTranslation(name)) return *translation;
    if (ask && unknownName_) {
        std::string answer = unknownName_(name);
        if (!answer.empty()) AddPair(name, answer);
        return answer;
    }
    return {};
}

void LatRusDictionary::appendWord(std::string_view word, bool ask, std::string& out) {
    if (const std::string* translation = findTranslation(word)) {
        out += *translation;
        return;
    }
    if (ask && unknownName_) {
        const std::string answer = unknownName_(word);
        if (!answer.empty()) {
            AddPair(word, answer);
            out += answer;
            return;
        }
    }
    out += word;
}

void LatRusDictionary::appendByWords(std::string_view text, bool ask, std::string& out) {
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        const bool separators = isWordSeparator(text[i]);
        while (end < text.size() && isWordSeparator(text[end]) == separators)
            ++end;
        if (separators)
            out += text.substr(i, end - i);
        else
            appendWord(text.substr(i, end - i), ask, out);
        i = end;
    }
}

std::string LatRusDictionary::translate(std::string_view name, bool ask, bool byWords) {
    const bool prefixed = name.size() >= 3 && name[1] == '=';
    std::string result;
    if (!prefixed && name.find('\t') == std::string_view::npos) {
        if (byWords)
            appendByWords(name, ask, result);
        else
            result = lookupName(name, ask);
    } else {
        // Every part is translated, the prefix kept in front: a prefixed name loses none of its parts, and
        // an "=" further on in a name without a prefix is part of the text, not a prefix to drop.
        std::string_view rest = prefixed ? name.substr(2) : name;
        std::string part;
        while (true) {
            const size_t tab = rest.find('\t');
            const std::string_view piece = rest.substr(0, tab);
            part.clear();
            if (byWords)
                appendByWords(piece, ask, part);
            else
                part = lookupName(piece, ask);
            if (part.empty() || part == " ")
                result += piece;
            else
                result += part;
            if (tab == std::string_view::npos) break;
            result += '\t';
            rest = rest.substr(tab + 1);
        }
        if (prefixed) result.insert(0, name.substr(0, 2));
    }
    applyFolds(result);
    return result;
}

std::string LatRusDictionary::TranslateName(std::string_view name, bool ask) {
    return translate(name, ask, false);
}

std::string LatRusDictionary::TranslateNameByWords(std::string_view name, bool ask) {
    return translate(name, ask, true);
}

void LatRusDictionary::applyFolds(std::string& text) const {
    if (!foldYo && !foldUkrainian) return;
    for (char& c : text) {
        switch (uint8_t(c)) {
        case 168: // Ё
            if (foldYo) c = char(197);
            break;
        case 175: // Ї
        case 178: // І
            if (foldUkrainian) c = 'I';
            break;
        case 170: // Є
            if (foldUkrainian) c = 'E';
            break;
        case 165: // Ґ
            if (foldUkrainian) c = char(195);
            break;
        case 161: // Ў
            if (foldUkrainian) c = char(211);
            break;
        default:
            break;
        }
    }
}

void LatRusDictionary::addPairs(const std::vector<Pair>& pairs) {
    struct Incoming {
        std::string folded;
        size_t order;
    };
    std::vector<Incoming> incoming;
    incoming.reserve(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i)
        incoming.push_back({FoldedCp1251(pairs[i].key), i});
    std::stable_sort(incoming.begin(), incoming.end(),
                     [](const Incoming& a, const Incoming& b) { return a.folded < b.folded; });
    std::vector<Entry> merged;
    merged.reserve(entries_.size() + incoming.size());
    values_.reserve(values_.size() + incoming.size());
    size_t old = 0;
    for (size_t i = 0; i < incoming.size(); ++i) {
        while (old < entries_.size() && entries_[old].folded < incoming[i].folded)
            merged.push_back(std::move(entries_[old++]));
        // The first of equal new keys wins. Its folded key has moved into merged, so the twin is compared
        // with what was kept there, never with the moved-from original.
        if (!merged.empty() && merged.back().folded == incoming[i].folded) continue;
        // An existing key keeps its translation.
        if (old < entries_.size() && entries_[old].folded == incoming[i].folded) continue;
        const Pair& pair = pairs[incoming[i].order];
        values_.emplace_back(pair.value);
        noteSpace(pair.key);
        merged.push_back(
            Entry{std::move(incoming[i].folded), std::string(pair.key), uint32_t(values_.size() - 1)});
    }
    while (old < entries_.size())
        merged.push_back(std::move(entries_[old++]));
    entries_ = std::move(merged);
    rebuildIndex();
    dirty_ = true;
}
