// What the find dialog answers and the hex viewer remembers of the last search: the bytes to find, the
// kind of pattern, the zone and the range searched.
#pragma once

#include <QByteArray>
#include <cstdint>

struct SearchInfo {
    // The kind of pattern: the find dialog's function item + 1.
    enum Type { Hex = 1, Text = 2 };
    // The item indexes of the zone group.
    enum Zone { WholeFile = 0, FromCursor = 1, InBlock = 2 };
    // The item indexes of the direction group; every search runs forward, "up" is never offered.
    enum Direction { Up = 0, Down = 1 };

    int type = Hex;
    int zone = WholeFile;
    int direction = Down;
    bool matchCase = false;
    // Filled by the hex viewer: the range searched (end excluded) and the offset of the last hit
    // (-1 none, -2 not searched since the file changed).
    int64_t start = 0;
    int64_t end = 0;
    int64_t lastHit = -2;
    // The bytes to find, already in the code page of the data.
    QByteArray pattern;
};
