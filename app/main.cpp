// Entry point of Kolvane: finds the display, the media and the player's data folder, offers the
// reference device next to the hardware one, creates the game's application and runs its
// message loop until the window closes.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/flow/data_file.h"
#include "game/flow/game_application.h"
#include "platform/display.h"
#include "platform/game_folders.h"

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

// The installed game reads its media where they were installed, whatever the working
// directory, and keeps each player's scores and options in that player's own folder. Run from
// the build tree, the working directory holds both, as it always has. A player folder that
// cannot be made leaves the game on its defaults, as missing files do.
void useInstalledFolders() {
    const std::optional<std::string> media =
        installedMediaFolder(programFolder(), KOLVANE_MEDIA_FROM_PROGRAM);
    if (!media || !enterFolder(*media)) {
        return;
    }
    const std::string playerFolder = playerDataFolder();
    makeFolder(playerFolder);
    setPlayerDataFolder(playerFolder.empty() ? std::string("/nonexistent") : playerFolder);
}

}  // namespace

int main() {
    std::string problem;
    if (!connectToDisplay(&problem)) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return EXIT_FAILURE;
    }
    useInstalledFolders();
    registerReferenceDevice();
    GameApplication application;
    if (FAILED(application.createApp(nullptr))) {
        return 0;
    }
    return application.runLoop();
}
