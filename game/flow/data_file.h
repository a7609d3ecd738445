// The game's data files in the working directory: reading them whole and replacing them
// safely. Only game/flow uses this; the file formats live with their records.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// A data file longer than this is read only up to this many bytes; every file the game
// writes is a few kilobytes at most.
constexpr std::size_t kMaxDataFileBytes = 1u << 20;

// Opens the file for reading, creating it empty when it does not exist, and returns its
// contents (at most kMaxDataFileBytes). Returns nothing when it cannot be opened or created,
// or is not a plain file.
std::optional<std::string> readDataFile(const char* fileName);

// The system steps of replacing a file. Each behaves like the POSIX call of the same name;
// tests swap them to simulate a full disk, a failing sync or a crash part-way.
struct FileReplaceSteps {
    std::function<long(int fd, const char* bytes, std::size_t count)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
};

// The real system calls.
FileReplaceSteps systemFileSteps();

// The name of the file that a save writes before it takes the place of fileName.
std::string replacementFileName(const char* fileName);

// Writes contents to a new file beside fileName, syncs it to disk and only then renames it
// over fileName, so fileName always holds either its old or its new contents in full.
// Returns false on any failure; the new file is then removed and fileName left untouched.
bool replaceDataFile(const char* fileName, std::string_view contents,
                     const FileReplaceSteps& steps = systemFileSteps());
