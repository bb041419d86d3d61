#include "term/cell_canvas.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "fake_console.h"

namespace {

constexpr std::string_view kFg = "\x1b[36m";
constexpr std::string_view kBg = "\x1b[40m";

// What putCell appends at console row r, column c, in kFg on kBg.
std::string cellAt(int r, int c, std::string_view bytes) {
    return "\x1b[" + std::to_string(r) + ";" + std::to_string(c) + "H\x1b[0m\x1b[40m\x1b[36m" +
           std::string(bytes);
}

struct CellCanvasTest : ::testing::Test {
    std::string out;
    CellCanvas canvas{out, 40};
    void SetUp() override { resetFakeConsole(); }
};

TEST_F(CellCanvasTest, CellsAreACursorMoveThenColoursThenTwoBytes) {
    canvas.paintCell({3, 5}, "\x1b[42m");  // no reset before the colour
    canvas.paintCell({0, 0}, kBg);
    EXPECT_EQ(out, "\x1b[6;7H\x1b[42m  \x1b[1;1H\x1b[40m  ");
    using Case = std::tuple<Cell, std::string_view, std::string_view, std::string_view>;
    for (const auto& [at, text, bg, want] :
         {Case{{0, 0}, "SC", kBg, "\x1b[1;1H\x1b[0m\x1b[40m\x1b[36mSC"},
          Case{{5, 3}, "7", "\x1b[100m", "\x1b[4;11H\x1b[0m\x1b[100m\x1b[36m7 "},
          Case{{12, 99}, "", kBg, "\x1b[100;25H\x1b[0m\x1b[40m\x1b[36m  "},
          Case{{1, 2}, "ABC", {}, "\x1b[3;3H\x1b[0m\x1b[36mAB"},  // no background
          Case{{-1, 4}, "AB", kBg, ""}, Case{{2, -1}, "AB", kBg, ""}}) {
        out.clear();
        canvas.putCell(at, text, kFg, bg);
        if (want.empty()) canvas.paintCell(at, kBg);
        EXPECT_EQ(out, want) << at.x << "," << at.y;
    }
}

TEST_F(CellCanvasTest, PutTextFillsCellsTwoBytesEachAndDropsThoseLeftOfTheEdge) {
    canvas.putText(0, 0, "SCORE: 0x0000", kFg, kBg);
    EXPECT_EQ(out, cellAt(1, 1, "SC") + cellAt(1, 3, "OR") + cellAt(1, 5, "E:") +
                       cellAt(1, 7, " 0") + cellAt(1, 9, "x0") + cellAt(1, 11, "00") +
                       cellAt(1, 13, "0 "));
    out.clear();
    canvas.putText(-1, 0, "ABCD", kFg, kBg);
    canvas.putText(3, 1, "", kFg, kBg);
    EXPECT_EQ(out, cellAt(1, 1, "CD"));
}

TEST_F(CellCanvasTest, PutCentredPadsLeftAndShiftsOddPaddingByASpace) {
    constexpr std::string_view kTitle = "ZINTARAPOLKE V1.0 - PRESS Q TO QUIT";
    constexpr std::string_view kPause = "PAUSED: RESIZE >= 10x10";
    // termCols and text; then the cell and text putText would be given
    using Case = std::tuple<int32_t, std::string_view, int32_t, std::string_view>;
    for (const auto& [termCols, text, x, placed] :
         {Case{40, kTitle, 11, kTitle},             // pad 22
          Case{40, "GAME OVER", 17, " GAME OVER"},  // pad 35, "G" on column 36
          Case{9, kPause, 0, kPause},               // wider than the console
          Case{0, "GAME OVER", 0, "GAME OVER"}, Case{-3, "AB", 0, "AB"}}) {
        std::string want;
        CellCanvas{out, termCols}.putCentred(2, text, kFg, kBg);
        CellCanvas{want, 0}.putText(x, 2, placed, kFg, kBg);
        EXPECT_EQ(out, want) << termCols << " '" << text << "'";
        out.clear();
    }
}

TEST_F(CellCanvasTest, ClearScreenFillsEveryWindowRowOrTheFallback) {
    using Case = std::tuple<std::optional<console::WindowSize>, int, int>;  // size, rows, cols
    for (const auto& [size, rows, cols] : {Case{console::WindowSize{81, 30}, 30, 81},
                                           Case{std::nullopt, 24, 80},  // the query failed
                                           Case{console::WindowSize{80, 0}, 0, 0}}) {
        fakeConsole().size = size;
        out.clear();
        canvas.clearScreen(kBg);
        std::string want;
        for (int r = 1; r <= rows; ++r) {
            want += "\x1b[" + std::to_string(r) + ";1H\x1b[40m" + std::string(cols, ' ');
        }
        EXPECT_EQ(out, want) << rows << " rows";
    }
}

}  // namespace
