// What a scripted session cannot set up cheaply: a frame in which nothing has
// changed on a full-size board, with a chosen food.
#include <gtest/gtest.h>

#include "app/game_app.h"
#include "fake_console.h"

namespace {

TEST(Render, AnUnchangedFrameIsTheFoodThenEverySegmentInOneWrite) {
    GameApp app;
    app.termCols = app.game.width = 40;
    app.termRows = 24;
    app.game.height = 23;
    app.game.body = {{20, 11}, {19, 11}, {18, 11}, {17, 11}};
    app.game.food = {5, 3};
    app.game.foodValue = 42;
    app.game.hasFood = true;
    app.render();
    const char* storage = app.frameBuffer.data();  // kept from the larger first frame
    resetFakeConsole();
    app.render();
    EXPECT_EQ(fakeConsole().transcript,
              "       0 write \\e[H\\e[5;11H\\e[0m\\e[100m\\e[93m2A\\e[13;41H\\e[102m  "
              "\\e[13;39H\\e[42m  \\e[13;37H\\e[42m  \\e[13;35H\\e[42m  \\e[0m\n"
              "       0 flush\n");
    EXPECT_EQ(app.frameBuffer.data(), storage);
}

}  // namespace
