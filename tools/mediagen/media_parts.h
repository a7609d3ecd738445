// The parts of the media generator. Each writes its files below the run directory it is
// given and returns false (after saying why on standard error) if a file could not be made.
#pragma once

#include <filesystem>

namespace mediagen {

bool writePictures(const std::filesystem::path& runDir);    // Graphics/*.bmp
bool writeMeshes(const std::filesystem::path& runDir);      // Graphics/*.x
bool writeSounds(const std::filesystem::path& runDir);      // Sound/*.wav
bool writeMusic(const std::filesystem::path& runDir);       // Sound/*.mid
bool writeTexts(const std::filesystem::path& runDir);       // gameinfo.txt, help.htm
bool writeWindowIcon(const std::filesystem::path& runDir);  // Graphics/icon.bmp
// The desktop's icons: hicolor/<size>x<size>/apps/*.png and hicolor/scalable/apps/*.svg.
bool writeDesktopIcons(const std::filesystem::path& iconDir);

}  // namespace mediagen
