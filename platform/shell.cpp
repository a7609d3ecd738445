#include "platform/shell.h"

#include <SDL.h>

#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

bool sdlOpenUrl(const char* url) {
    return SDL_OpenURL(url) == 0;
}

UrlOpener installedOpener = nullptr;

bool keptInUrl(unsigned char c) {
    return std::isalnum(c) != 0 || c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
}

std::string percentEncoded(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : path) {
        if (keptInUrl(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

}  // namespace

std::string workingDirectoryFileUrl(const char* fileName) {
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    if (error) {
        directory = "/";
    }
    return "file://" + percentEncoded((directory / fileName).generic_string());
}

bool openWithShell(const char* fileName) {
    const std::string url = workingDirectoryFileUrl(fileName);
    return (installedOpener != nullptr ? installedOpener : sdlOpenUrl)(url.c_str());
}

UrlOpener setUrlOpener(UrlOpener opener) {
    const UrlOpener previous = installedOpener != nullptr ? installedOpener : sdlOpenUrl;
    installedOpener = opener;
    return previous;
}
