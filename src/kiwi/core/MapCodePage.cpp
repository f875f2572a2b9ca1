// Globals of the map text code pages.
#include "kiwi/core/MapCodePage.h"

std::atomic<int> MapTextCodePage{65001};
std::atomic<int> MapAnsiCodePage{0};
