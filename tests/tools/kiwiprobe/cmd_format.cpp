// kiwiprobe format: the text formatters of stored values, one "KIND VALUE [TEXT]" line per value.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

#include "ProbeCommand.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/parts/Loading.h"

namespace {

long long inRange(const std::string& text, long long low, long long high) {
    const long long value = probe::parseNumber(text);
    if (value < low || value > high)
        throw probe::UsageError(text + ": not from " + std::to_string(low) + " to " + std::to_string(high));
    return value;
}

int32_t int32Value(const std::string& text) {
    return int32_t(inRange(text, INT32_MIN, INT32_MAX));
}
uint32_t uint32Value(const std::string& text) {
    return uint32_t(inRange(text, 0, UINT32_MAX));
}

// "X,Y" in 1/8 arc-second.
TLN_Point pointValue(const std::string& text) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) throw probe::UsageError(text + ": not X,Y");
    return {int32Value(text.substr(0, comma)), int32Value(text.substr(comma + 1))};
}

using Formatter = std::function<std::string(const std::string&)>;

const std::map<std::string, Formatter>& formatters() {
    static const std::map<std::string, Formatter> table{
        {"grouped", [](const std::string& v) { return FormatNumberGrouped(probe::parseNumber(v)); }},
        {"hex64", [](const std::string& v) { return FormatHex64Spaced(probe::parseNumber(v)); }},
        {"hex0x", [](const std::string& v) { return FormatHex0x(probe::parseNumber(v)); }},
        {"hexdigits", [](const std::string& v) { return FormatHexDigits(probe::parseNumber(v)); }},
        {"hex32", [](const std::string& v) { return FormatHex32Spaced(probe::parseNumber(v)); }},
        {"dword", [](const std::string& v) { return FormatDWordHex(uint32Value(v)); }},
        {"word", [](const std::string& v) { return FormatWordHex(uint16_t(inRange(v, 0, 0xFFFF))); }},
        {"compact", [](const std::string& v) { return CompactHexText(v); }},
        {"dms", [](const std::string& v) { return FormatDMS(int32Value(v)); }},
        {"lat", [](const std::string& v) { return FormatLatitude(int32Value(v)); }},
        {"lon", [](const std::string& v) { return FormatLongitude(int32Value(v)); }},
        {"degrees", [](const std::string& v) { return FormatDegrees(int32Value(v)); }},
        {"cmptype", [](const std::string& v) { return CompressionTypeName(uint32Value(v)); }},
        {"traffic", [](const std::string& v) { return TrafficProvidersText(uint32Value(v)); }},
        {"maker", [](const std::string& v) { return DataMakerName(pointValue(v)); }},
    };
    return table;
}

int formatCommand(const probe::Args& args) {
    const auto& words = args.words();
    if (words.size() < 2 || !formatters().count(words[0])) {
        std::fprintf(stderr, "format: give KIND VALUE...; kinds:");
        for (const auto& entry : formatters())
            std::fprintf(stderr, " %s", entry.first.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    const Formatter& formatter = formatters().at(words[0]);
    for (size_t i = 1; i < words.size(); ++i)
        std::printf("%s %s [%s]\n", words[0].c_str(), words[i].c_str(), formatter(words[i]).c_str());
    return 0;
}

probe::Register reg("format", "KIND VALUE...",
                    "Each VALUE as the program shows a stored value of KIND: grouped hex64 hex0x hexdigits "
                    "hex32 dword word compact dms lat lon degrees cmptype traffic maker.",
                    formatCommand);

} // namespace
