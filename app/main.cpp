// Entry point of Kolvane. Until the game's own application joins the frame, the program runs
// the frame with a plain scene: a window with its menu bar whose client area is cleared to the
// game's background colour every frame.
#include "app/application.h"
#include "game/flow/game_application.h"
#include "platform/window.h"

#if __has_include("gfx/soft/soft_device.h")
#include "gfx/soft/soft_device.h"
#define KOLVANE_HAS_REFERENCE_DEVICE 1
#endif

namespace {

constexpr D3DCOLOR kBackgroundColour = 0xFF203048;

// Offers the reference device (REF) next to the hardware one when it is built in.
void registerReferenceDevice() {
#ifdef KOLVANE_HAS_REFERENCE_DEVICE
    kolvane::soft::registerSoftwareDevice();
#endif
}

class PlainApplication : public Application3D {
public:
    PlainApplication() {
        caption = "2001 Kolvane";
        wantDepthBuffer = true;
        cursorInFullscreen = true;
        const WindowRect desktop = desktopRect();
        if (desktop.width() > 10 && desktop.height() > 65) {
            initialWidth = static_cast<std::uint32_t>(desktop.width() - 10);
            initialHeight = static_cast<std::uint32_t>(desktop.height() - 65);
        }
    }

    ResultCode createDeviceObjects() override {
        showWindow(mainWindow);
        return kResultOk;
    }

    ResultCode drawScene() override {
        if (FAILED(device->BeginScene())) {
            return kResultOk;
        }
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackgroundColour, 1.0f, 0);
        device->EndScene();
        return kResultOk;
    }
};

}  // namespace

int main() {
    registerReferenceDevice();
    GameApplication application;
    if (FAILED(application.createApp(nullptr))) {
        return 0;
    }
    return application.runLoop();
}
