// What the window, the menu bar and the dialog runtime share inside platform/.
#pragma once

#include <SDL.h>

#include "platform/window.h"

struct WindowRecord {
    WindowHandle handle = nullptr;
    SDL_Window* sdl = nullptr;
    WindowProcedure procedure = nullptr;
    std::uint32_t style = 0;
    bool hasMenuBar = false;
    bool alive = false;
};

// The hit-test answer for a point on the menu bar.
constexpr MessageResult kHitTestMenu = 5;

WindowRecord* findWindowRecord(WindowHandle window);
WindowRecord* findWindowRecordOfSdl(SDL_Window* window);
// Draws the overlay's latest frame over the window's drawable, just before a swap.
void drawOverlayBeforeSwap(WindowRecord& record);
// The same through an SDL renderer of the window, just before it presents.
void drawOverlayOnRenderer(WindowRecord& record, SDL_Renderer* renderer);
int menuBarHeightOf(const WindowRecord& record);
// Adds a message at the end of the queue (same thread only).
void queueMessage(const WindowMessage& message);
// Takes one SDL event (waiting for it when wait is set) and turns it into messages.
bool pumpOneEvent(bool wait);

// Menu bar and overlay (menu_bar.cpp).
void feedMenuBarInput(WindowRecord& record, const SDL_Event& event);
// Runs the menu loop: enter-menu-loop, the open menu until it closes, exit-menu-loop, then the
// chosen command (if any) is queued as a command message.
void runMenuLoop(WindowRecord& record);
void releaseMenuBar(WindowRecord& record);
// Whether a menu of the bar was open in the overlay's latest frame.
bool menuOpen();

// Frees the window cursor made by useWindowCursor (cursor.cpp); done with the last window.
void releaseWindowCursor();
