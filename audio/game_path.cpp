#include "audio/game_path.h"

#include <algorithm>

std::string gameFilePath(std::string_view fileName) {
    std::string path(fileName);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}
