// The device's life under strain: the real game object, in a game, on the offscreen video
// driver with the OpenGL device (HAL) and the software device (REF), goes through 100 window
// resizes, 50 trips to full-screen and back and 20 device changes made through the device
// dialog's logic. Every frame in between draws; the memory the process holds after the last
// change is that after the first.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/device_dialog.h"
#include "game/flow/game_application.h"
#include "gfx/soft/soft_device.h"
#include "gfx/window.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "tests/soak/game_in_process.h"

namespace {

constexpr int kResizes = 100;
constexpr int kFullscreenTrips = 50;
constexpr int kDeviceChanges = 20;

// Plays the user's part in the device dialog: picks the next device of the list and presses
// OK.
int chooseOtherDevice(WindowHandle, Dialog& dialog, DialogProcedure procedure, void* context) {
    DialogControl* devices = dialog.control(kDeviceListId);
    if (devices == nullptr || devices->items.size() < 2) {
        ADD_FAILURE() << "the dialog offers fewer than two devices";
        return procedure(dialog, kDialogCancel, kNotifyClicked, context);
    }
    const int next = (devices->selected + 1) % static_cast<int>(devices->items.size());
    selectListItem(dialog, kDeviceListId, next);
    EXPECT_EQ(procedure(dialog, kDeviceListId, kNotifySelectionConfirmed, context), -1);
    return procedure(dialog, kDialogOk, kNotifyClicked, context);
}

class DeviceChurn : public ::testing::Test {
protected:
    void SetUp() override {
        kolvane::soft::registerSoftwareDevice();
        previousMaker_ = setDirect3DMaker(Direct3DCreate8);
        previousRunner_ = setModalDialogRunner(chooseOtherDevice);
        setPresentWait(false);
    }
    void TearDown() override {
        setPresentWait(true);
        setModalDialogRunner(previousRunner_);
        setDirect3DMaker(previousMaker_);
    }

    // A few frames, each a step of the clock later.
    void frames(GameApplication& game, int count) {
        for (int i = 0; i < count; ++i) {
            SimulatedClock::advanceMicroseconds(40000);
            ASSERT_GE(game.frameStep(), 0);
        }
    }

    void key(GameApplication& game, std::uint32_t virtualKey) {
        sendMessage(game.mainWindow, WM_KEYDOWN, virtualKey, 0);
        frames(game, 1);
    }

private:
    Direct3DMaker previousMaker_ = nullptr;
    ModalDialogRunner previousRunner_ = nullptr;
};

TEST_F(DeviceChurn, ResizesFullScreenTripsAndDeviceChangesKeepTheGameDrawingInBoundedMemory) {
    MediaDirectory media;
    BoxRecorder boxes;
    SimulatedClock clock;

    GameApplication game;
    game.initialWidth = 320;
    game.initialHeight = 240;
    ASSERT_EQ(game.createApp(nullptr), kResultOk)
        << (boxes.shown().empty() ? "" : boxes.shown()[0]);
    ASSERT_EQ(game.adapters[game.currentAdapter].deviceCount, 2u)
        << "HAL and REF; the one device is " << game.currentDeviceEntry().name;
    // A Crazy game under way, so every frame draws the well, pieces and text.
    key(game, VK_RETURN);
    key(game, VK_UP);
    key(game, VK_RETURN);
    ASSERT_EQ(game.gameState().screen, Playing);
    frames(game, 30);

    // Twenty rounds, each with five resizes, two or three trips to full-screen and back and one
    // device change, which alternates between HAL and REF. After the first two rounds every kind
    // of buffer has been made on both devices once, and the game is back on the device it ends
    // on; what the process holds after the last round must be what it held then.
    SDL_Window* window = sdlWindowOf(game.mainWindow);
    int resizes = 0;
    int trips = 0;
    D3DDEVTYPE expected = game.currentDeviceEntry().deviceType;
    std::vector<double> residentAfterRound;
    for (int round = 0; round < kDeviceChanges; ++round) {
        for (int i = 0; i < kResizes / kDeviceChanges; ++i, ++resizes) {
            const int width = 240 + (resizes * 37) % 160;
            const int height = 180 + (resizes * 23) % 120;
            sendMessage(game.mainWindow, WM_ENTERSIZEMOVE, 0, 0);
            SDL_SetWindowSize(window, width, height);
            sendMessage(game.mainWindow, WM_EXITSIZEMOVE, 0, 0);
            const WindowRect client = clientRect(game.mainWindow);
            ASSERT_EQ(game.presentParams.BackBufferWidth, static_cast<UINT>(client.width()));
            ASSERT_EQ(game.presentParams.BackBufferHeight, static_cast<UINT>(client.height()));
            ASSERT_TRUE(game.canRender);
            frames(game, 2);
        }
        const int tripsThisRound = 2 + round % 2;
        for (int i = 0; i < tripsThisRound; ++i, ++trips) {
            sendMessage(game.mainWindow, WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen),
                        0);
            ASSERT_FALSE(game.inWindow) << trips;
            ASSERT_FALSE(menuBarShown(game.mainWindow));
            frames(game, 1);
            sendMessage(game.mainWindow, WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen),
                        0);
            ASSERT_TRUE(game.inWindow) << trips;
            ASSERT_TRUE(menuBarShown(game.mainWindow));
            frames(game, 1);
        }
        expected = expected == D3DDEVTYPE_HAL ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
        sendMessage(game.mainWindow, WM_COMMAND, menuCommand(kCommandChangeVideoMode), 0);
        ASSERT_NE(game.device, nullptr) << round;
        ASSERT_EQ(game.currentDeviceEntry().deviceType, expected) << round;
        ASSERT_TRUE(game.canRender) << "the dialog's pause ended";
        frames(game, 2);
        residentAfterRound.push_back(static_cast<double>(residentBytes()) / 1048576.0);
    }
    EXPECT_EQ(resizes, kResizes);
    EXPECT_EQ(trips, kFullscreenTrips);
    EXPECT_EQ(game.gameState().screen, Playing);
    EXPECT_TRUE(boxes.shown().empty()) << boxes.shown().front();

    std::printf("resident memory after each round (MiB):");
    for (double mib : residentAfterRound) {
        std::printf(" %.1f", mib);
    }
    std::printf("\n");
#ifndef KOLVANE_UNDER_ASAN
    // The last three rounds that end on the same device as round 2 each hold about what it
    // held. Their median is compared, as one round alone can measure a few MiB more (memory
    // freed by the process is not always given back to the system at once); a leak raises
    // all three.
    std::vector<double> lastRounds;
    for (std::size_t i = residentAfterRound.size() - 1; lastRounds.size() < 3; i -= 2) {
        lastRounds.push_back(residentAfterRound[i]);
    }
    std::sort(lastRounds.begin(), lastRounds.end());
    EXPECT_LE(lastRounds[1], residentAfterRound[1] * 1.05);
#endif
    sendMessage(game.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(game.device, nullptr);
}

}  // namespace
