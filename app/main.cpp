// Entry point of Kolvane: offers the reference device next to the hardware one, creates the
// game's application and runs its message loop until the window closes.
#include "game/flow/game_application.h"

#if __has_include("gfx/soft/soft_device.h")
#include "gfx/soft/soft_device.h"
#define KOLVANE_HAS_REFERENCE_DEVICE 1
#endif

namespace {

// Offers the reference device (REF) next to the hardware one when it is built in.
void registerReferenceDevice() {
#ifdef KOLVANE_HAS_REFERENCE_DEVICE
    kolvane::soft::registerSoftwareDevice();
#endif
}

}  // namespace

int main() {
    registerReferenceDevice();
    GameApplication application;
    if (FAILED(application.createApp(nullptr))) {
        return 0;
    }
    return application.runLoop();
}
