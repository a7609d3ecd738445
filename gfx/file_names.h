// The game names its files with backslashes ("Graphics\cell_1.x"); this is where such a name
// becomes one the host's file system understands.
#pragma once

#include <string>

// The name with every backslash turned into the host's separator.
std::string hostFileName(const char* name);
