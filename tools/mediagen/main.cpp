// mediagen <run directory>: writes all of Kolvane's media, the same bytes on every run.
#include <cstdio>
#include <filesystem>

#include "tools/mediagen/media_parts.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mediagen <run directory>\n");
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
    return ok ? 0 : 1;
}
