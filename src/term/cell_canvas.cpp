#include "term/cell_canvas.h"

#include <charconv>

#include "console/vt.h"
#include "term/screen_size.h"

namespace {

void appendDecimal(std::string& out, int32_t n) {
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end);
}

}  // namespace

void CellCanvas::moveTo(Cell at) {
    frameBuffer.append("\x1b[");  // cursor position: ESC [ row ; column H
    appendDecimal(frameBuffer, at.y + 1);
    frameBuffer.push_back(';');
    appendDecimal(frameBuffer, 2 * at.x + 1);
    frameBuffer.push_back('H');
}

void CellCanvas::paintCell(Cell at, std::string_view colour) {
    if (at.x < 0 || at.y < 0) return;
    moveTo(at);
    frameBuffer.append(colour);
    frameBuffer.append("  ");
}

void CellCanvas::putCell(Cell at, std::string_view text, std::string_view fg, std::string_view bg) {
    if (at.x < 0 || at.y < 0) return;
    char cellBytes[2] = {' ', ' '};
    if (text.size() >= 1) cellBytes[0] = text[0];
    if (text.size() >= 2) cellBytes[1] = text[1];
    moveTo(at);
    frameBuffer.append(vt::kAttributesReset);  // reset, so no earlier colour shows through
    frameBuffer.append(bg);
    frameBuffer.append(fg);
    frameBuffer.append(cellBytes, 2);
}

void CellCanvas::putText(int32_t x, int32_t y, std::string_view text, std::string_view fg,
                         std::string_view bg) {
    for (std::size_t i = 0; i < text.size(); i += 2, ++x)
        putCell({x, y}, text.substr(i, 2), fg, bg);
}

void CellCanvas::putCentred(int32_t row, std::string_view text, std::string_view fg,
                            std::string_view bg) {
    const int32_t width = termCols > 0 ? 2 * termCols : 0;
    int32_t pad = (width - static_cast<int32_t>(text.size())) / 2;
    if (pad < 0) pad = 0;
    const int32_t x = pad / 2;
    if (pad % 2 == 0) {
        putText(x, row, text, fg, bg);
        return;
    }
    // Odd padding: a leading space fills the left half of the first cell, so
    // the text's first byte lands on console column pad + 1.
    const char first[2] = {' ', text.empty() ? ' ' : text[0]};
    putCell({x, row}, {first, 2}, fg, bg);
    if (text.size() > 1) putText(x + 1, row, text.substr(1), fg, bg);
}

void CellCanvas::clearScreen(std::string_view colour) {
    const console::WindowSize size = screenSize();
    const int32_t cols = size.cols > 0 ? size.cols : 0;
    const int32_t rows = size.rows > 0 ? size.rows : 0;
    for (int32_t r = 1; r <= rows; ++r) {
        frameBuffer.append("\x1b[");
        appendDecimal(frameBuffer, r);
        frameBuffer.append(";1H");
        frameBuffer.append(colour);
        frameBuffer.append(static_cast<std::size_t>(cols), ' ');
    }
}
