// The names a run's dictionary could not translate, collected from the unknown-name handler (any thread
// that translates) and saved as "LogDictErrors.txt": sorted, each once, as "name=" lines.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "converter/output/ProducedFile.h"

class DictionaryMissList {
public:
    // Records the name and answers "" (the dictionary then keeps the name untranslated).
    std::string Add(std::string_view name);
    // The "name=" lines, sorted and without repeats.
    std::vector<std::string> Lines() const;
    // Writes the lines (CR LF) as a produced file; returns how many.
    size_t Save(const std::string& path, const OutputOpener& opener = {}) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> names_;
};
