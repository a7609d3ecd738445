// What the window, the event pump, the overlay, the menu bar and the dialog runtime share
// inside platform/.
#pragma once

#include <SDL.h>

#include "platform/event_translation.h"
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
// The live window with SDL's window id, nullptr for none.
WindowRecord* windowRecordOfSdlId(Uint32 windowId);
// The first live window (the main window), nullptr for none.
WindowRecord* firstLiveWindowRecord();
// The height of the menu bar as shown now (0 when hidden or full-screen).
int menuBarHeightOf(const WindowRecord& record);
// What event translation needs to know of the window now.
EventWindowInfo eventInfoFor(const WindowRecord& record);

// Frees the window cursor made by useWindowCursor (cursor.cpp); done with the last window.
void releaseWindowCursor();
