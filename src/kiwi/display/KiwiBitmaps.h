// The eight small bitmaps the map view and record views draw with, loaded once from the resources.
#pragma once

#include <QImage>
#include <array>
#include <string_view>

// In loading order.
inline constexpr std::array<std::string_view, 8> KiwiBitmapNames = {
    "GREENBMP", "LIGHTGREYBMP", "REDBMP", "YELLOWBMP", "PURPLEBMP", "VIOLETBMP", "BWBMP", "ONEWAYBMP",
};

// The bitmap of that name, or a null image for any other name. The first call loads all eight; calls from
// several threads are safe. "ONEWAYBMP" has an alpha channel: its bottom-left pixel's colour is transparent.
QImage KiwiBitmap(std::string_view name);
