// Opening a file of the working directory with the desktop's viewer for it (the shell's
// "open" verb), for the help page.
#pragma once

#include <string>

// The file:// address of a file of the working directory, with every byte outside the
// unreserved characters and "/" percent-encoded.
std::string fileAddress(const char* fileName);

// Hands the file's address to xdg-open without waiting for the viewer and without an owner
// window. Failures (no file, no viewer, no xdg-open) are swallowed.
void openWithDesktopViewer(const char* fileName);
