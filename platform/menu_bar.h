// The window's menu bar, "&Options" with its three items and the "&Help" item, and the menu
// loop that runs while one of its menus is open. Internal to platform/.
#pragma once

#include "platform/window_internal.h"

// How the menu loop was entered: Alt or F10 opens "&Options" at once; a press on the bar opens
// what it falls on.
enum class MenuOpening { ByKeyboard, ByMouse };

// Draws the bar into the overlay frame being built when it is shown; while shut, no menu opens.
void drawMenuBarWidgets(bool shown, bool shut);

// Runs the menu loop: the window hears enter-menu-loop, the open menu is worked until it closes
// (an item taken, Escape, a click beside it, the focus lost, the window closing), the window
// hears exit-menu-loop, and the item taken, if any, is queued as a command message. Does nothing
// while a menu loop runs already.
void runMenuLoop(WindowRecord& record, MenuOpening opening);

// Whether a menu of the bar was open in the overlay's latest frame.
bool menuOpen();

// Forgets the bar's state, with the overlay it was drawn in.
void forgetMenuBar();
