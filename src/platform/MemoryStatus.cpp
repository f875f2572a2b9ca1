// Memory figures read from /proc/meminfo.
#include "platform/MemoryStatus.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <string>

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A value line "Name:   12345 kB" in bytes; nullopt when the number is malformed.
std::optional<uint64_t> parseKilobytes(std::string_view value) {
    value = trimmed(value);
    uint64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end == value.data()) return std::nullopt;
    const std::string_view unit = trimmed(value.substr(size_t(end - value.data())));
    if (!unit.empty() && unit != "kB") return std::nullopt;
    // Saturate absurd values instead of wrapping.
    if (number > std::numeric_limits<uint64_t>::max() / 1024) return std::numeric_limits<uint64_t>::max();
    return number * 1024;
}

uint64_t saturatingAdd(uint64_t a, uint64_t b) {
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

} // namespace

MemoryStatus parseMemInfo(std::string_view text) {
    std::optional<uint64_t> total, available, memoryFree, buffers, cached;
    while (!text.empty()) {
        const size_t lineEnd = text.find('\n');
        const std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = trimmed(line.substr(0, colon));
        const std::optional<uint64_t> value = parseKilobytes(line.substr(colon + 1));
        if (!value) continue;
        if (name == "MemTotal")
            total = value;
        else if (name == "MemAvailable")
            available = value;
        else if (name == "MemFree")
            memoryFree = value;
        else if (name == "Buffers")
            buffers = value;
        else if (name == "Cached")
            cached = value;
    }
    MemoryStatus status;
    if (!total || *total == 0) return status;
    if (!available) {
        if (!memoryFree) return status;
        available = saturatingAdd(saturatingAdd(*memoryFree, buffers.value_or(0)), cached.value_or(0));
    }
    status.valid = true;
    status.totalPhysical = *total;
    status.availablePhysical = std::min(*available, *total);
    const auto freePercent =
        unsigned(static_cast<unsigned __int128>(status.availablePhysical) * 100 / *total);
    status.memoryLoad = int(100 - freePercent);
    return status;
}

MemoryStatus currentMemoryStatus() {
    std::ifstream file("/proc/meminfo");
    if (!file) return {};
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return parseMemInfo(text);
}
