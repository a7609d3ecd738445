#include "platform/game_folders.h"

#include <SDL.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

constexpr mode_t kPlayerFolderMode = 0700;

bool isAbsolutePath(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::string joined(std::string folder, const std::string& name) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder + name;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isPlainFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

const char* homeFromUserDatabase() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr ? entry->pw_dir : nullptr;
}

}  // namespace

std::string programFolder() {
    char* base = SDL_GetBasePath();
    if (base == nullptr) {
        return {};
    }
    std::string folder = base;
    SDL_free(base);
    return folder;
}

std::optional<std::string> installedMediaFolder(const std::string& programFolder,
                                                const char* mediaFromProgram) {
    if (programFolder.empty()) {
        return std::nullopt;
    }
    const std::string media = joined(programFolder, mediaFromProgram);
    if (!isPlainFile(joined(media, kMediaMarkerFile))) {
        return std::nullopt;
    }
    return media;
}

std::string playerDataFolderFor(const char* xdgDataHome, const char* home) {
    if (isAbsolutePath(xdgDataHome)) {
        return joined(xdgDataHome, kPlayerFolderName);
    }
    if (isAbsolutePath(home)) {
        return joined(joined(home, ".local/share"), kPlayerFolderName);
    }
    return {};
}

std::string playerDataFolder() {
    const char* home = std::getenv("HOME");
    return playerDataFolderFor(std::getenv("XDG_DATA_HOME"),
                               isAbsolutePath(home) ? home : homeFromUserDatabase());
}

bool makeFolder(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), kPlayerFolderMode);
    }
    ::mkdir(folder.c_str(), kPlayerFolderMode);
    return isFolder(folder);
}

bool enterFolder(const std::string& folder) {
    return ::chdir(folder.c_str()) == 0;
}
