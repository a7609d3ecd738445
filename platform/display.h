// Reaching the desktop's display before anything is shown on it.
#pragma once

#include <string>

// The video drivers that show nothing on a screen; SDL falls back on them when it finds no
// display, so the game takes one only when it is asked for by name (as the tests do).
bool isScreenlessVideoDriver(const char* driverName);

// Starts SDL's video on the desktop's display. False, with a sentence for the player in
// *problem, when there is none to show the game on (no X server at DISPLAY, no Wayland
// compositor) and no screenless driver was asked for.
bool connectToDisplay(std::string* problem);
