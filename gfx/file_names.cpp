#include "gfx/file_names.h"

#include <algorithm>

std::string hostFileName(const char* name) {
    std::string host = name != nullptr ? name : "";
    std::replace(host.begin(), host.end(), '\\', '/');
    return host;
}
