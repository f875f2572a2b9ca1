// Reading the memory figures of the gauge.
#include "converter/import/MemoryGauge.h"

#include <algorithm>
#include <cstdio>

namespace mp_import {
namespace {

// The value in kB of a "Key:   1234 kB" line, or -1.
int64_t field(std::string_view text, std::string_view key) {
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == ':') {
            int64_t value = 0;
            bool digits = false;
            for (const char c : line.substr(key.size() + 1)) {
                if (c >= '0' && c <= '9') {
                    value = value * 10 + (c - '0');
                    digits = true;
                } else if (digits) {
                    break;
                }
            }
            return digits ? value : -1;
        }
        at = end + 1;
    }
    return -1;
}

} // namespace

std::optional<MemoryGauge> ParseMeminfo(std::string_view text) {
    const int64_t total = field(text, "MemTotal");
    const int64_t available = field(text, "MemAvailable");
    if (total <= 0 || available < 0) return {};
    MemoryGauge gauge;
    gauge.loadPercent = int(100 - std::min(available, total) * 100 / total);
    gauge.availableMiB = available / 1024;
    return gauge;
}

MemoryGauge ReadMemoryGauge() {
    std::FILE* file = std::fopen("/proc/meminfo", "rb");
    if (!file) return {};
    char text[8192];
    const size_t got = std::fread(text, 1, sizeof text, file);
    std::fclose(file);
    return ParseMeminfo(std::string_view(text, got)).value_or(MemoryGauge{});
}

std::string LoadedSizeText(size_t usedBytes) {
    return "Загружено: " + std::to_string(usedBytes >> 20) + " Mb";
}

std::string AvailableMemoryText(int64_t availableMiB) {
    return "Доступно памяти: " + std::to_string(availableMiB) + " Mb";
}

} // namespace mp_import
