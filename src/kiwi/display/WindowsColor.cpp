// Windows colour values to QColor.
#include "kiwi/display/WindowsColor.h"

QColor winColor(TLN_Color color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}
