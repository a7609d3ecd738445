#include "game/flow/desktop_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::string fileAddress(const char* fileName) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(fileName, error);
    std::string address = "file://";
    for (unsigned char c : path.string()) {
        if (isUnreserved(c)) {
            address += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            address += escaped;
        }
    }
    return address;
}

void openWithDesktopViewer(const char* fileName) {
    const std::string address = fileAddress(fileName);
    // The shell starts the opener in the background and ends at once, so the game neither waits
    // for the viewer nor leaves a finished child behind. The address is an argument, never
    // part of the command text.
    const char* script = "xdg-open \"$1\" >/dev/null 2>&1 </dev/null &";
    char* const arguments[] = {const_cast<char*>("sh"),
                               const_cast<char*>("-c"),
                               const_cast<char*>(script),
                               const_cast<char*>("sh"),
                               const_cast<char*>(address.c_str()),
                               nullptr};
    pid_t shell = 0;
    if (posix_spawn(&shell, "/bin/sh", nullptr, nullptr, arguments, environ) != 0) {
        return;
    }
    while (waitpid(shell, nullptr, 0) < 0 && errno == EINTR) {
    }
}
