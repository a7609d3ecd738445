// Where the game finds its media and keeps each player's data files. Run from its build tree,
// both are the working directory. Installed, the media lie in a folder found from the
// program's own location, and each player keeps scores and options in a folder of their own.
#pragma once

#include <optional>
#include <string>

// The file whose presence marks a folder as the game's media folder.
constexpr const char* kMediaMarkerFile = "gameinfo.txt";
// The name of each player's data folder inside the desktop's per-user data folder.
constexpr const char* kPlayerFolderName = "kolvane";

// The folder the running program lies in, ending in '/'; empty when the system cannot say.
std::string programFolder();

// The installed media folder of a program in programFolder: mediaFromProgram (a path relative
// to that folder) when it holds the media marker file; nothing for a program that is not
// installed (the build tree) or an empty programFolder.
std::optional<std::string> installedMediaFolder(const std::string& programFolder,
                                                const char* mediaFromProgram);

// The player's data folder as the desktop's base-directory rules place it: kPlayerFolderName
// inside xdgDataHome when that is an absolute path, otherwise inside home's .local/share.
// Empty when neither gives an absolute path.
std::string playerDataFolderFor(const char* xdgDataHome, const char* home);

// The player's data folder for the user running the game (XDG_DATA_HOME, HOME, else the home
// folder the user database names).
std::string playerDataFolder();

// Creates folder and any parent it lacks (new ones readable by the user alone). False when the
// folder does not exist afterwards; the game then runs on its defaults.
bool makeFolder(const std::string& folder);

// Makes folder the working directory; false when it cannot.
bool enterFolder(const std::string& folder);
