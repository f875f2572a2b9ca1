// Conversion of Windows colour values (0x00BBGGRR, as tables, palettes and settings store them) to QColor.
#pragma once

#include <QColor>

#include "kiwi/core/KiwiPrimitives.h"

// Red from bits 0-7, green 8-15, blue 16-23; the top byte is ignored. Never use the value as a QRgb.
QColor winColor(TLN_Color color);
