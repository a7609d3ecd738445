// mediagen <run directory> [<icon directory>]: writes all of Kolvane's media, the same bytes on
// every run, and the desktop's icons of the game into the icon directory when one is named.
#include <cstdio>
#include <filesystem>

#include "tools/mediagen/media_parts.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: mediagen <run directory> [<icon directory>]\n");
        return 2;
    }
    const std::filesystem::path runDir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(runDir / "Graphics", error);
    std::filesystem::create_directories(runDir / "Sound", error);
    bool ok = mediagen::writePictures(runDir);
    ok = mediagen::writeMeshes(runDir) && ok;
    ok = mediagen::writeSounds(runDir) && ok;
    ok = mediagen::writeMusic(runDir) && ok;
    ok = mediagen::writeTexts(runDir) && ok;
    ok = mediagen::writeWindowIcon(runDir) && ok;
    if (argc == 3) {
        ok = mediagen::writeDesktopIcons(argv[2]) && ok;
    }
    return ok ? 0 : 1;
}
