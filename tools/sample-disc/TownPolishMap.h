// The sample town's buildings, city area and house numbers as a Polish-format map (".mp"), so the map
// converter's import has something to read: drawn from the same town as the disc's main map.
#pragma once

#include <QString>
#include <string>

// The text of the map: code page 1251, CRLF lines, one polygon per building (Type=0x13), the town as a
// city area (Type=0x01) and one house number (Type=0x3300) inside every building.
std::string buildTownPolishMap();

// Where the map lies beside an image: its folder, named after it ("sample-disc.iso" → "sample-disc-town.mp").
QString townPolishMapPath(const QString& imagePath);

// Writes the map to path under a temporary name renamed into place. False with a message in error.
bool writeTownPolishMap(const QString& path, QString& error);
