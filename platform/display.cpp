#include "platform/display.h"

#include <SDL.h>

#include <cstring>

namespace {

// The driver the player or a test asked for, or null when SDL chooses.
const char* requestedVideoDriver() {
    const char* hint = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return hint != nullptr && hint[0] != '\0' ? hint : nullptr;
}

bool wasAskedFor(const char* driverName) {
    const char* requested = requestedVideoDriver();
    return requested != nullptr && std::strstr(requested, driverName) != nullptr;
}

}  // namespace

bool isScreenlessVideoDriver(const char* driverName) {
    return driverName != nullptr &&
           (std::strcmp(driverName, "offscreen") == 0 || std::strcmp(driverName, "dummy") == 0);
}

bool connectToDisplay(std::string* problem) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *problem = std::string("Kolvane cannot open a display: ") + SDL_GetError();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (isScreenlessVideoDriver(driver) && !wasAskedFor(driver)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        *problem =
            "Kolvane found no display to show its window on: no X server answers at DISPLAY "
            "and no Wayland compositor at WAYLAND_DISPLAY. Start it from a desktop session.";
        return false;
    }
    return true;
}
