// Opening a document with the desktop's own program for it, as the shell's "open" verb does.
#pragma once

#include <string>

// The file:// address of a file in the working directory (its name percent-encoded where an
// address needs it).
std::string workingDirectoryFileUrl(const char* fileName);

// Opens a file of the working directory (the help page) with the desktop's program for it.
// False when nothing could be started; the game ignores the result.
bool openWithShell(const char* fileName);

using UrlOpener = bool (*)(const char* url);

// Replaces what opens addresses (nullptr puts SDL_OpenURL back); returns the one before.
// Tests install a recorder so that no browser is started.
UrlOpener setUrlOpener(UrlOpener opener);
