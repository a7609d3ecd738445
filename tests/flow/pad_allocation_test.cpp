// A connected pad costs the game no heap memory per frame: the real game on the software
// device, with a virtual game controller plugged in, runs frame after frame of play through
// the real event pump, with the stick held over and let go, while every allocation of the
// process is counted.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/flow/game_application.h"
#include "platform/gamepad.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "tests/flow/game_on_reference_device.h"
#include "tests/support/counted_allocations.h"
#include "tests/support/virtual_pad.h"

namespace {

TEST(PadAllocations, FramesOfPlayWithAPadConnectedAllocateNothing) {
    MediaDirectory media;
    BoxRecorder boxes;
    SimulatedClock clock;
    OnReferenceDevice referenceDevice;
    VirtualPad pad;
    ASSERT_TRUE(pad.plugged()) << SDL_GetError();
    auto owned = std::make_unique<GameApplication>();
    GameApplication& game = *owned;
    game.initialWidth = 160;
    game.initialHeight = 120;
    ASSERT_EQ(game.createApp(nullptr), kResultOk);
    runMainLoopTurn(game);
    ASSERT_EQ(connectedGamepadCount(), 1);
    for (int i = 0; i < 2; ++i) {  // A, A: a Classic game
        pad.hold(SDL_CONTROLLER_BUTTON_A);
        runMainLoopTurn(game);
        pad.letGo(SDL_CONTROLLER_BUTTON_A);
        runMainLoopTurn(game);
    }
    ASSERT_EQ(game.gameState().screen, Playing);
    // Once through what the frames below do, so that everything made on first use is made.
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    for (int frame = 0; frame < 60; ++frame) {
        runMainLoopTurn(game);
    }
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 0);
    runMainLoopTurn(game);

    int rightHeldFrames = 0;
    const long counted = allocationsDuring([&] {
        for (int frame = 0; frame < 600 && game.gameState().screen == Playing; ++frame) {
            if (frame % 100 == 0) {
                pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, frame % 200 == 0 ? 30000 : 0);
            }
            rightHeldFrames += keyState(VK_RIGHT) != 0;
            runMainLoopTurn(game);
        }
    });
    EXPECT_EQ(counted, 0);
    EXPECT_GT(rightHeldFrames, 200) << "the stick was held over during the count";
    EXPECT_EQ(game.gameState().screen, Playing);
    closeGame(owned);
}

}  // namespace
