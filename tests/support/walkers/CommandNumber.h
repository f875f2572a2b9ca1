// The one number syntax of the headless tools and the benchmarks' size variables: decimal (a leading 0
// stays decimal) or hexadecimal with "0x", signed, within a range the caller names.
#pragma once

#include <climits>
#include <optional>
#include <string>

// The value of text, or nothing with *why set ("not a number", "out of range", "not from 1 to 16").
std::optional<long long> ParseCommandNumber(const std::string& text, long long low, long long high,
                                            std::string* why);

// A benchmark's size variable: fallback when it is unset or empty; a value that is not such a number from
// low to high ends the process with exit 2 and the variable named on stderr, instead of a silent default.
long long BenchSizeVariable(const char* variable, long long fallback, long long low = 1,
                            long long high = LLONG_MAX);
