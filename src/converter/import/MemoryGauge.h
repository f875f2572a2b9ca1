// The memory gauge beside the import: the system's memory load, the size of the building data and the
// memory still available, read from /proc/meminfo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mp_import {

struct MemoryGauge {
    int loadPercent = 0; // 100 - available x 100 / total
    int64_t availableMiB = 0;
};

// The gauge from the text of /proc/meminfo; nothing when MemTotal or MemAvailable is missing.
std::optional<MemoryGauge> ParseMeminfo(std::string_view text);
// The gauge of this system now (zeros when /proc/meminfo cannot be read).
MemoryGauge ReadMemoryGauge();

// "Загружено: <used div 2^20> Mb"
std::string LoadedSizeText(size_t usedBytes);
// "Доступно памяти: <available> Mb"
std::string AvailableMemoryText(int64_t availableMiB);

} // namespace mp_import
