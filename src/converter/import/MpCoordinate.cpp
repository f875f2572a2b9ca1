// Reading a decimal degree text digit by digit into map units, without floating point.
#include "converter/import/MpCoordinate.h"

#include <cstddef>

#include "platform/MulDiv.h"

namespace mp_import {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool allDigits(std::string_view s) {
    for (const char c : s)
        if (!isDigit(c)) return false;
    return true;
}

constexpr int kFractionDigits = 7;
constexpr int kMaxIntegerDigits = 3;

} // namespace

std::optional<int32_t> CoordToMapUnits(std::string_view text, int limitDegrees) {
    text = trim(text);
    if (text.empty()) return {};
    bool negative = false;
    std::string_view body = text;
    if (body.front() == '-') {
        negative = true;
        body.remove_prefix(1);
    }
    // An exponent form "m E-e" moves the point e places to the left.
    int shift = 0;
    const size_t e = text.size() > 2 ? text.find_first_of("eE", 2) : std::string_view::npos;
    if (e != std::string_view::npos) {
        const size_t at = e - (text.size() - body.size());
        const std::string_view exponent = body.substr(at + 1);
        if (exponent.size() < 2 || exponent.front() != '-' || exponent.size() > 4) return {};
        const std::string_view digits = exponent.substr(1);
        if (!allDigits(digits)) return {};
        for (const char c : digits)
            shift = shift * 10 + (c - '0');
        body = body.substr(0, at);
    }
    std::string_view integer = body;
    std::string_view fraction;
    const size_t point = body.find('.');
    const bool hasPoint = point != std::string_view::npos;
    if (hasPoint) {
        integer = body.substr(0, point);
        fraction = body.substr(point + 1);
    }
    // A leading "." stands for "0."; a sign alone or a lone point is no number.
    if (integer.empty() && (!hasPoint || negative || fraction.empty())) return {};
    if (!allDigits(integer) || !allDigits(fraction)) return {};

    // The digits with the point moved left by the exponent: the integer part d (at most 3 significant
    // digits) and the fraction cut or filled to 7 digits.
    const ptrdiff_t pointAt = ptrdiff_t(integer.size()) - shift;
    const auto digitAt = [&](ptrdiff_t i) -> int { // digit i of integer+fraction; 0 outside
        if (i < 0) return 0;
        const auto u = size_t(i);
        if (u < integer.size()) return integer[u] - '0';
        if (u - integer.size() < fraction.size()) return fraction[u - integer.size()] - '0';
        return 0;
    };
    int64_t d = 0;
    int significant = 0;
    for (ptrdiff_t i = 0; i < pointAt; ++i) {
        const int digit = digitAt(i);
        if (significant > 0 || digit != 0) ++significant;
        if (significant > kMaxIntegerDigits) return {};
        d = d * 10 + digit;
    }
    int64_t f = 0;
    for (int k = 0; k < kFractionDigits; ++k)
        f = f * 10 + digitAt(pointAt + k);

    int64_t result = 0;
    if (!hasPoint && shift == 0) {
        result = d * kUnitsPerDegree;
        if (negative) result = -result;
    } else {
        const int64_t s = MulDiv64(f, 3600, 10000000);
        const int64_t base = (negative ? -d * 3600 - s : d * 3600 + s) * 128;
        const int64_t rest = f - MulDiv64(s, 10000000, 3600);
        const int64_t r = MulDiv64(rest, kUnitsPerDegree, 10000000);
        result = negative ? base - r : base + r;
    }
    const int64_t limit = int64_t(limitDegrees) * kUnitsPerDegree;
    if (result > limit || result < -limit) return {};
    return int32_t(result);
}

} // namespace mp_import
