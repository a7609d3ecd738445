// Giving back the resident pages of a shared library the game is done with for now. A library
// that cannot be unloaded (the mesh importer's cannot: some of its symbols are bound for the
// process's life) keeps the code it ran at start-up resident otherwise, megabytes of it.
#pragma once

#include <cstddef>
#include <string_view>

// Drops from the process's memory the pages of every loaded library whose file name starts
// with `fileNamePrefix` ("libz.so" matches "/usr/lib/x86_64-linux-gnu/libz.so.1") that the
// library can never have written: its code and read-only data, not the data it writes nor the
// tables the loader fills in at start and then makes read-only. The library stays loaded and
// callable; a page it needs again is read back from its file (the system's file cache) when
// next touched. Returns the bytes of address range given back, 0 where no library matched.
std::size_t releaseLibraryPages(std::string_view fileNamePrefix);
