// The system's memory figures that the converter shows while it loads building data.
#pragma once

#include <cstdint>
#include <string_view>

struct MemoryStatus {
    bool valid = false;         // false when the figures could not be read
    int memoryLoad = 0;         // percent of physical memory in use, 0-100
    uint64_t totalPhysical = 0; // bytes
    // Bytes that can still be allocated without swapping. It also stands for the free address space
    // the converter reports, which on a 64-bit system says nothing about the room left.
    uint64_t availablePhysical = 0;
};

// Parses the text of /proc/meminfo. Available memory is "MemAvailable", or "MemFree" + "Buffers" +
// "Cached" on kernels without it; the load is 100 - available × 100 / total. Without a usable
// "MemTotal" the result is not valid. Unknown lines and malformed numbers are ignored.
MemoryStatus parseMemInfo(std::string_view text);

// The current figures from /proc/meminfo; not valid when it cannot be read.
MemoryStatus currentMemoryStatus();
