// Drawing requests in cell coordinates, turned into escape sequences and
// appended to the frame buffer. A cell is two console columns wide; canvas
// cell (x, y) covers console row y + 1, columns 2x + 1 and 2x + 2. Nothing
// here writes to the console: the renderer sends a whole frame at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/cell.h"

struct CellCanvas {
    std::string& frameBuffer;
    int32_t termCols = 0;  // console width in cells, for centring

    // Two spaces in the colour. Cells with a negative coordinate are dropped.
    void paintCell(Cell at, std::string_view colour);
    // The first two bytes of text (padded with spaces); an empty bg is absent.
    void putCell(Cell at, std::string_view text, std::string_view fg, std::string_view bg = {});
    // Two bytes per cell, rightwards from cell x of row y.
    void putText(int32_t x, int32_t y, std::string_view text, std::string_view fg,
                 std::string_view bg = {});
    // Centred across the console width; odd padding puts a space in front.
    void putCentred(int32_t row, std::string_view text, std::string_view fg,
                    std::string_view bg = {});
    // Every row of the console window filled with spaces in the colour.
    void clearScreen(std::string_view colour);

    // Appends the cursor move to canvas cell (x, y).
    void moveTo(Cell at);
};
