// What the tests that run the real game on the software device share: the device maker that
// offers only the software device (REF), and one turn of the main loop with a frame step, in
// simulated time.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "app/application.h"
#include "gfx/soft/soft_device.h"
#include "gfx/window.h"
#include "platform/window.h"
#include "tests/soak/game_in_process.h"

// The frame step of the loop below: 16 ms, a 60 Hz display.
constexpr std::int64_t kLoopFrameMicroseconds = 16000;

inline IDirect3D8* makeReferenceOnlyDirect3D(UINT) {
    std::vector<std::unique_ptr<DeviceBackend>> backends;
    backends.push_back(kolvane::soft::makeSoftwareDeviceBackend());
    return createDirect3DWithBackends(std::move(backends));
}

// While it lives, the frame makes only the software device, which presents without waiting
// for the display.
class OnReferenceDevice {
public:
    OnReferenceDevice() : previous_(setDirect3DMaker(makeReferenceOnlyDirect3D)) {
        setPresentWait(false);
    }
    ~OnReferenceDevice() {
        setPresentWait(true);
        setDirect3DMaker(previous_);
    }
    OnReferenceDevice(const OnReferenceDevice&) = delete;
    OnReferenceDevice& operator=(const OnReferenceDevice&) = delete;

private:
    Direct3DMaker previous_;
};

// Closes the game's window if it has one, lets the game go, and handles what was left queued.
template <typename Game>
void closeGame(std::unique_ptr<Game>& game) {
    if (game != nullptr && game->mainWindow != nullptr) {
        sendMessage(game->mainWindow, WM_CLOSE, 0, 0);
    }
    game.reset();
    WindowMessage message;
    while (peekMessage(message, true)) {
    }
}

// What the main loop does between two frames: every message waiting is handled, then, while
// the window is active and may render, one frame step 16 ms later. The frame step's result,
// or success when there was none.
inline ResultCode runMainLoopTurn(Application3D& app) {
    WindowMessage message;
    while (peekMessage(message, true)) {
        if (message.message != WM_QUIT && !translateAccelerator(app.mainWindow, message)) {
            dispatchMessage(message);
        }
    }
    SimulatedClock::advanceMicroseconds(kLoopFrameMicroseconds);
    return app.isActive && app.canRender ? app.frameStep() : kResultOk;
}
