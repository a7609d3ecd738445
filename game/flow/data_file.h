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

// The folder that holds each player's own data files (scores.dat, options.dat): empty for the
// working directory, as when the game runs from its build tree; the installed game names the
// player's folder before it reads any of them.
void setPlayerDataFolder(std::string folder);
// Where the player's data file fileName is: fileName inside the player's data folder.
std::string playerDataFile(const char* fileName);

// The system steps of replacing a file. Each behaves like the POSIX call of the same name;
// tests swap them to simulate a full disk, a failing sync or a crash part-way.
struct FileReplaceSteps {
    std::function<long(int fd, const char* bytes, std::size_t count)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
};

// The real system calls.
FileReplaceSteps systemFileSteps();

// The file that fileName names once every symbolic link on the way is followed; fileName
// itself when it is no link. The file need not exist.
std::string linkTarget(const char* fileName);

// The name of the file that a save writes before it takes the place of fileName (beside the
// file a link names, when fileName is a link).
std::string replacementFileName(const char* fileName);

// What a save makes of the file's contents as they are at that moment.
using DataFileUpdate = std::function<std::string(std::string_view current)>;

// Saves fileName under an exclusive advisory lock (flock) that other copies of the game take
// too: reads the file's current contents, hands them to update and writes what it returns.
// The new contents go to a new file beside the file, synced to disk and renamed over it, so
// the file always holds either its old or its new contents in full. A symbolic link is
// followed and its target replaced; the file keeps its permission bits. A file that may not
// be written (read-only, or no plain file) is left alone and update is not called; where
// only the folder may not be written, the file is rewritten in place.
// Returns false on any failure; the new file is then removed and fileName left untouched.
bool updateDataFile(const char* fileName, const DataFileUpdate& update,
                    const FileReplaceSteps& steps = systemFileSteps());

// updateDataFile with contents that do not depend on what the file held.
bool replaceDataFile(const char* fileName, std::string_view contents,
                     const FileReplaceSteps& steps = systemFileSteps());
