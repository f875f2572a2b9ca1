// What the hex grid's widget tests share: a shown grid of a fixed size, mouse and key events sent to it,
// and the dominant colour of a cell in a picture of the grid.
#pragma once

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMap>
#include <QMouseEvent>

#include "hexview/HexGrid.h"
#include "model/HexTestSupport.h"

namespace gridtest {

inline void press(HexGrid& grid, QPoint at) {
    QMouseEvent event(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &event);
}

inline void moveHeld(HexGrid& grid, QPoint at) {
    QMouseEvent event(QEvent::MouseMove, at, grid.viewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &event);
}

inline void release(HexGrid& grid, QPoint at) {
    QMouseEvent event(QEvent::MouseButtonRelease, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &event);
}

inline void click(HexGrid& grid, QPoint at) {
    press(grid, at);
    release(grid, at);
}

inline void key(HexGrid& grid, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, code, modifiers);
    QApplication::sendEvent(&grid, &event);
}

// The colour most pixels of rect have: the cell's background, whatever glyph is drawn on it.
inline QColor dominant(const QImage& image, const QRect& rect) {
    QMap<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    return QColor(best);
}

// A grid shown at 900 x 600 pixels.
struct ShownGrid {
    ShownGrid() {
        grid.resize(900, 600);
        grid.show();
    }
    QImage picture() { return grid.viewport()->grab().toImage(); }
    HexGrid grid;
};

} // namespace gridtest
