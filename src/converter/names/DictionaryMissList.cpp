// Collection and saving of the names a dictionary could not translate.
#include "converter/names/DictionaryMissList.h"

#include <algorithm>

std::string DictionaryMissList::Add(std::string_view name) {
    const std::lock_guard lock(mutex_);
    names_.emplace_back(name);
    return {};
}

std::vector<std::string> DictionaryMissList::Lines() const {
    std::vector<std::string> lines;
    {
        const std::lock_guard lock(mutex_);
        lines = names_;
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    for (std::string& line : lines)
        line += '=';
    return lines;
}

size_t DictionaryMissList::Save(const std::string& path, const OutputOpener& opener) const {
    const std::vector<std::string> lines = Lines();
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteProducedFile(path, text, opener);
    return lines.size();
}
