// Failures as data and their English form.
#include "kiwi/core/Failure.h"

#include <cstring>
#include <ostream>

namespace {

struct CodeText {
    std::string_view name;
    std::string_view english;
};

constexpr CodeText kCodeTexts[] = {
#define KIWI_FAILURE_TEXT(code, english) {#code, english},
    KIWI_FAILURE_CODES(KIWI_FAILURE_TEXT)
#undef KIWI_FAILURE_TEXT
};

const CodeText& textOf(FailureCode code) {
    const auto index = size_t(code);
    return index < std::size(kCodeTexts) ? kCodeTexts[index] : kCodeTexts[0];
}

} // namespace

FailureValue::FailureValue(std::string valueName, const Failure& value)
    : name(std::move(valueName)), inner(std::make_shared<const Failure>(value)) {}

Failure::Failure(FailureCode code, const Failure& cause, std::vector<FailureValue> values)
    : code_(code), values_(std::move(values)) {
    values_.emplace_back("cause", cause);
}

Failure Failure::Words(std::string words, const std::string& file) {
    if (file.empty()) return Failure(FailureCode::Unknown, {{"words", std::move(words)}});
    return Failure(FailureCode::UnknownInFile, {{"words", std::move(words)}, {"file", file}});
}

Failure Failure::System(int error) {
    return Failure(FailureCode::System, {{"error", int64_t(error)}, {"words", std::strerror(error)}});
}

std::string Failure::Value(std::string_view name) const {
    for (const FailureValue& value : values_)
        if (value.name == name) return value.text;
    return {};
}

Failure Failure::AboutFile(const std::string& file) const {
    if (code_ != FailureCode::Unknown || file.empty()) return *this;
    return Words(Value("words"), file);
}

std::string Failure::English() const {
    return Fill(EnglishForm(code_), [](const Failure& inner) { return inner.English(); });
}

std::string Failure::Fill(std::string_view form,
                          const std::function<std::string(const Failure&)>& tell) const {
    std::string text;
    text.reserve(form.size() + 32);
    for (size_t at = 0; at < form.size();) {
        const size_t open = form.find('{', at);
        const size_t close = open == std::string_view::npos ? open : form.find('}', open);
        if (close == std::string_view::npos) {
            text.append(form.substr(at));
            break;
        }
        text.append(form.substr(at, open - at));
        const std::string_view name = form.substr(open + 1, close - open - 1);
        for (const FailureValue& value : values_)
            if (value.name == name) {
                text += value.inner ? tell(*value.inner) : value.text;
                break;
            }
        at = close + 1;
    }
    return text;
}

std::ostream& operator<<(std::ostream& out, const Failure& failure) {
    return out << failure.English();
}

std::string_view EnglishForm(FailureCode code) {
    return textOf(code).english;
}

std::string_view FailureCodeName(FailureCode code) {
    return textOf(code).name;
}

const std::vector<FailureCode>& AllFailureCodes() {
    static const std::vector<FailureCode> codes = [] {
        std::vector<FailureCode> all;
        for (size_t i = 0; i < std::size(kCodeTexts); ++i)
            all.push_back(FailureCode(i));
        return all;
    }();
    return codes;
}
