// The help page, opened from the window menu with the desktop's viewer for it.
#pragma once

#include <functional>

constexpr const char* kHelpPage = "help.htm";

// Hands a file of the working directory to the desktop to open with its registered viewer,
// as the shell's "open" verb does, without an owner window. Any failure (no file, no viewer) is
// swallowed; the game goes on either way. The platform layer supplies the real one.
using ShellOpenFile = std::function<void(const char* fileName)>;

// Opens the help page through shellOpen; an empty shellOpen does nothing.
void openHelp(const ShellOpenFile& shellOpen);
