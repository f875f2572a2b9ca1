// The two global code pages of map text, readable from any thread.
#pragma once

#include <atomic>

// The code page in which KIWI text is stored; 65001 (UTF-8) at start-up, 1200 = big-endian UTF-16.
extern std::atomic<int> MapTextCodePage;
// The code page into which map text is converted for display; 0 = the system ANSI code page.
extern std::atomic<int> MapAnsiCodePage;
