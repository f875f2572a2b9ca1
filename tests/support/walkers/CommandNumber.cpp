// The headless tools' number syntax, shared by kiwiprobe's options and the benchmarks' variables.
#include "CommandNumber.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

std::string rangeText(long long low, long long high) {
    if (high == LLONG_MAX) return "not at least " + std::to_string(low);
    if (low == LLONG_MIN) return "not at most " + std::to_string(high);
    return "not from " + std::to_string(low) + " to " + std::to_string(high);
}

} // namespace

std::optional<long long> ParseCommandNumber(const std::string& text, long long low, long long high,
                                            std::string* why) {
    const bool negative = !text.empty() && text[0] == '-';
    std::string_view digits(text);
    digits.remove_prefix(negative ? 1 : 0);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    // from_chars takes no sign, blank or prefix of its own, so only the digits are read.
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (digits.empty() || end != digits.data() + digits.size()) {
        *why = "not a number";
        return std::nullopt;
    }
    const unsigned long long limit = negative ? 0ULL - (unsigned long long)LLONG_MIN : LLONG_MAX;
    if (error == std::errc::result_out_of_range || magnitude > limit) {
        *why = "out of range";
        return std::nullopt;
    }
    const long long value = negative ? (long long)(0ULL - magnitude) : (long long)magnitude;
    if (value < low || value > high) {
        *why = rangeText(low, high);
        return std::nullopt;
    }
    return value;
}

long long BenchSizeVariable(const char* variable, long long fallback, long long low, long long high) {
    const char* text = std::getenv(variable);
    if (!text || !*text) return fallback;
    std::string why;
    if (const auto value = ParseCommandNumber(text, low, high, &why)) return *value;
    std::fprintf(stderr, "%s=%s: %s\n", variable, text, why.c_str());
    std::exit(2);
}
