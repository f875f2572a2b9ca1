// Draws the hex grid: the header row and the visible data rows of a grid model, each row's bytes taken
// from the model's row cache once, each cell in the colours of its kind.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPalette>
#include <QStaticText>
#include <QString>
#include <array>
#include <cstdint>

#include "hexview/model/HexGridModel.h"

class QPainter;

class HexGridPainter {
public:
    HexGridPainter();

    // Fonts derive from base: 10 points for the address, the header and the hex bytes, 8 for characters.
    void SetFont(const QFont& base);
    int RowHeight() const { return rowHeight_; }

    // Background and text colour of a cell kind, from palette's active group.
    static QColor Background(HexGridModel::CellKind kind, const QPalette& palette);
    static QColor Foreground(HexGridModel::CellKind kind, const QPalette& palette);

    // Paints the grid into width x height pixels: the header, then data rows from the model's top row;
    // xOffset is the horizontal scroll in pixels.
    void Paint(QPainter& painter, HexGridModel& model, const QPalette& palette, int width, int height,
               int xOffset);

private:
    void paintHeader(QPainter& painter, const HexGridModel& model, const QPalette& palette);
    void paintRow(QPainter& painter, HexGridModel& model, const QPalette& palette, int64_t dataRow, int y);
    const QStaticText& charText(char16_t value);

    QFont hexFont_;
    QFont addressFont_;
    QFont wideAddressFont_;
    QFont charFont_;
    int rowHeight_ = 20;
    int hexTextHeight_ = 0;
    int charTextHeight_ = 0;
    std::array<QStaticText, 256> hexTexts_;
    QHash<char16_t, QStaticText> charTexts_;
};
