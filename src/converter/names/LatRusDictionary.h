// The Latin-to-Cyrillic dictionary: Latin keys compared without regard to case (cp1251 fold), each with
// one translation, filled from "key=value" text files or compiled ".lndict" files, extended during a run by
// an unknown-name handler, written back as text, and used to translate whole names, tab-separated parts
// and single words. All text is 8-bit code page 1251.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "converter/output/ProducedFile.h"

class LatRusDictionary {
public:
    // Asked for a name or word that has no key; a non-empty answer is added as a new pair.
    using UnknownNameHandler = std::function<std::string(std::string_view name)>;
    using ProgressHandler = std::function<void(int percent)>;

    // The area code of a ".lndict" file; the wizard sets the translation area's code before a run.
    uint32_t areaCode = 0;
    // After translation Ё becomes Е.
    bool foldYo = false;
    // After translation Ї and І become the Latin I, Є the Latin E, Ґ becomes Г and Ў becomes У.
    bool foldUkrainian = false;

    void Clear();
    int Count() const { return int(entries_.size()); }
    const std::string& GetLatin(int i) const { return entries_[size_t(i)].key; }
    const std::string& GetTranslation(int i) const { return values_[entries_[size_t(i)].value]; }
    // Replaces key i's translation in place (the value list entry itself).
    void SetTranslation(int i, std::string_view text);
    void ClearTranslation(int i) { SetTranslation(i, {}); }
    // Removes key i; its translation stays in the value list so other indexes stay valid.
    void DeleteAt(int i);
    // Index of the key (compared folded), -1 when absent.
    int IndexOfLatin(std::string_view key) const;
    // The first index whose folded key is not below the folded text (Count() when none): the editor's
    // search by first letters.
    int LowerBound(std::string_view text) const;
    // An absent key is added with the text; a present one keeps its translation. Returns the key's index.
    int AddPair(std::string_view key, std::string_view text);
    // As AddPair, but a present key gets the new text.
    int SetPair(std::string_view key, std::string_view text);

    // A whole name, or the tab-separated parts of a name (after "X=" prefixes), translated; folds applied.
    // An unknown whole name gives "", an unknown part is kept as it is.
    std::string TranslateName(std::string_view name, bool ask);
    // The same, translating word by word; unknown words are kept.
    std::string TranslateNameByWords(std::string_view name, bool ask);

    // What a text load found: its key/value pairs and the other lines that are not blank.
    struct TextLoad {
        int pairs = 0;
        int otherLines = 0;
    };
    // Adds the pairs of a "key=value" text (existing keys keep their translations). A text without a
    // single pair changes nothing: it is no dictionary.
    TextLoad LoadFromText(std::string_view text);
    // Reads the file and adds its pairs; raises EFOpenError when it cannot be read.
    TextLoad LoadFromTextFile(const std::string& path);
    // Replaces the contents with a compiled dictionary. A malformed one is refused whole and the
    // dictionary stays as it was; returns the problem, or "" when loaded.
    std::string LoadFromBytes(std::string_view bytes);
    // Opens the file and loads it as LoadFromBytes; a file that cannot be read raises EFOpenError.
    std::string LoadFromFile(const std::string& path);
    // "key=value" lines (CR LF) in key order. Entries that could not be read back the same way (a key with
    // "=", a line break in key or value, an empty key) are left out; returns how many.
    int SaveToText(std::string& text) const;
    // Writes the text form as a produced file (temporary then renamed); returns the entries left out.
    int SaveToTextFile(const std::string& path, const OutputOpener& opener = {}) const;

    void SetUnknownNameHandler(UnknownNameHandler handler) { unknownName_ = std::move(handler); }
    void SetProgressHandler(ProgressHandler handler) { progress_ = std::move(handler); }
    // True while no key holds a space.
    bool NoSpaces() const { return noSpaces_; }
    // Changed since loaded or saved (edits, added pairs, loads).
    bool Dirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }

private:
    struct Entry {
        std::string folded;
        std::string key;
        uint32_t value = 0;
    };
    struct Pair {
        std::string_view key;
        std::string_view value;
    };

    struct FoldedHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };

    // Looks the folded text up; the index or -1. Allocates nothing once the thread's buffer is warm.
    int find(std::string_view key) const;
    // The translation of a key, or null: one hash probe, for the translation loops.
    const std::string* findTranslation(std::string_view key) const;
    void rebuildIndex();
    int insertAt(size_t position, std::string_view key, std::string folded, std::string_view text);
    // A whole name: its translation, the handler's non-empty answer, or "".
    std::string lookupName(std::string_view name, bool ask);
    // One word appended to out: its translation, the handler's non-empty answer, or the word.
    void appendWord(std::string_view word, bool ask, std::string& out);
    void appendByWords(std::string_view text, bool ask, std::string& out);
    std::string translate(std::string_view name, bool ask, bool byWords);
    void applyFolds(std::string& text) const;
    // Adds pairs in one sort; the first of equal keys wins and existing keys keep their translations.
    void addPairs(const std::vector<Pair>& pairs);
    void noteSpace(std::string_view key) {
        if (noSpaces_ && key.find(' ') != std::string_view::npos) noSpaces_ = false;
    }

    std::vector<Entry> entries_;
    std::vector<std::string> values_;
    // Folded key → value index (indexes into values_ never change, unlike positions in entries_).
    std::unordered_map<std::string, uint32_t, FoldedHash, std::equal_to<>> index_;
    bool noSpaces_ = true;
    bool dirty_ = false;
    UnknownNameHandler unknownName_;
    ProgressHandler progress_;
};

// RAII: sets a dictionary's unknown-name handler for a scope (a run) and clears it afterwards.
class ScopedUnknownNameHandler {
public:
    ScopedUnknownNameHandler(LatRusDictionary& dictionary, LatRusDictionary::UnknownNameHandler handler)
        : dictionary_(dictionary) {
        dictionary_.SetUnknownNameHandler(std::move(handler));
    }
    ~ScopedUnknownNameHandler() { dictionary_.SetUnknownNameHandler({}); }
    ScopedUnknownNameHandler(const ScopedUnknownNameHandler&) = delete;
    ScopedUnknownNameHandler& operator=(const ScopedUnknownNameHandler&) = delete;

private:
    LatRusDictionary& dictionary_;
};
