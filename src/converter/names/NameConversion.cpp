// A run's name conversion: dictionary, writer and miss list.
#include "converter/names/NameConversion.h"

#include "converter/names/NameParcelWriter.h"
#include "kiwi/core/KiwiErrors.h"

namespace {

bool endsWithNoCase(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(uint8_t(text[text.size() - tail.size() + i])) != tail[i]) return false;
    return true;
}

} // namespace

NameConversion::NameConversion(const ConversionOptions& options, std::shared_ptr<LatRusDictionary> dictionary)
    : options_(options), dictionary_(std::move(dictionary)) {}

NameConversion::~NameConversion() {
    // The handler points into this object's miss list: the dictionary outlives the run.
    if (dictionary_ && misses_) dictionary_->SetUnknownNameHandler({});
}

Failure NameConversion::Prepare(ConversionProgress& progress) {
    if (options_.utfToAnsi) progress.AddLog("Convert UTF-8 to ISO/ANSI mode in use.");
    if (!options_.translate) return {};
    if (!dictionary_ && !options_.dictionaryPath.empty()) {
        auto loaded = std::make_shared<LatRusDictionary>();
        try {
            if (endsWithNoCase(options_.dictionaryPath, ".lndict")) {
                const std::string problem = loaded->LoadFromFile(options_.dictionaryPath);
                if (!problem.empty()) return Failure::Words(problem, options_.dictionaryPath);
            } else {
                loaded->LoadFromTextFile(options_.dictionaryPath);
            }
        } catch (const std::exception& e) {
            return FailureOf(e, options_.dictionaryPath);
        }
        if (options_.dictionaryAreaCode >= 0) loaded->areaCode = uint32_t(options_.dictionaryAreaCode);
        loaded->foldYo = options_.foldYo;
        loaded->foldUkrainian = options_.foldUkrainian;
        dictionary_ = std::move(loaded);
    }
    if (!dictionary_) return {};
    progress.AddLog("Dictionary for Area (Area Code = " + std::to_string(dictionary_->areaCode & 0xFF) +
                    ") in use.");
    if (options_.logDictErrors) {
        misses_ = std::make_unique<DictionaryMissList>();
        DictionaryMissList* misses = misses_.get();
        dictionary_->SetUnknownNameHandler([misses](std::string_view name) { return misses->Add(name); });
    }
    return {};
}

std::unique_ptr<ParcelWriter> NameConversion::MakeWriter(TLN_KiwiMap& map, ConversionProgress& progress) {
    if (!options_.translate && !options_.utfToAnsi) return nullptr;
    NameOptions names;
    names.translate = options_.translate;
    names.utfToAnsi = options_.utfToAnsi;
    names.byWords = options_.translateByWords;
    names.excludeFreeways = options_.excludeFreeways;
    names.translationLevel = options_.translationLevel;
    names.textCodePage = map.CodePages().text;
    auto writer =
        std::make_unique<NameParcelWriter>(map, NameTextPolicy(names, dictionary_.get()),
                                           [&progress](const std::string& line) { progress.AddLog(line); });
    writer_ = writer.get();
    return writer;
}

int NameConversion::Warnings() const {
    return writer_ ? writer_->Warnings() : 0;
}

void NameConversion::Finish(const std::string& folder, ConversionProgress& progress) {
    if (!misses_) return;
    try {
        const size_t count = misses_->Save(folder + "/LogDictErrors.txt");
        progress.AddLog("LogDictErrors.txt saved with " + std::to_string(count) + " records");
    } catch (const std::exception& e) {
        progress.AddLog(std::string("WARNING: LogDictErrors.txt not saved: ") + e.what());
    }
}
