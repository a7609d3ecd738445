// The layer drawn over the device's frames in a window: the menu bar with any open menu, and
// the modal dialog, built as one Dear ImGui frame and drawn just before the frame is shown.
// Internal to platform/.
#pragma once

#include <SDL.h>

#include <string>

#include "platform/window_internal.h"

// Makes the overlay's ImGui context, on first use; later calls do nothing.
void ensureOverlay();

// Follows the pointer over the window: where it is and which buttons are down.
void trackPointer(const SDL_Event& event);

// A key going down or up (keyEvent) for the open menu or dialog, passed on as `scancode`: a
// modal loop may let one key stand for another.
void pressOverlayKey(const SDL_Event& keyEvent, SDL_Scancode scancode);

// Either Enter key (the main one or the keypad's).
bool isEnterKey(SDL_Scancode scancode);

// Lets go of every key, so that none stays down from one modal loop into the next.
void releaseOverlayKeys();

// Has the window redraw itself, which draws the overlay; builds the overlay frame here when
// the window drew nothing (no device), so that menus and the dialog work without one.
void repaintOverlay(WindowRecord& record);

// Draws the overlay's latest frame over the window's OpenGL drawable, just before a swap.
void drawOverlayBeforeSwap(WindowRecord& record);
// The same through an SDL renderer of the window, just before it presents.
void drawOverlayOnRenderer(WindowRecord& record, SDL_Renderer* renderer);

// Forgets the context and everything drawn with it (the window is going).
void releaseOverlay();

// Text without the '&' mnemonic markers ("&&" stays a single '&').
std::string withoutMnemonic(const std::string& text);
