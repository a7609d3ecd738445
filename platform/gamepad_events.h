// The pads' side of the event pump: SDL's controller events in, the keyboard events and
// requests they stand for out. Internal to platform/.
#pragma once

#include <SDL.h>

#include <cstddef>

#include "platform/gamepad_controls.h"

// Room for every control of a pad going up and another going down.
constexpr std::size_t kMaxPadKeyEvents = 2 * kPadControlCount;

// Where the pad's input lands now, as the pump sees it.
struct PadSituation {
    Uint32 windowId = 0;        // SDL's id of the main window, which gets the keys
    bool modalLoop = false;     // a menu or the dialog has the keyboard
    bool menuBarShown = false;  // the main window shows its menu bar
};

// What pad input asks of the pump: key events to take as the keyboard's, in order, and the
// window's menu to open or the news that a pad went away.
struct PadOutput {
    SDL_Event keys[kMaxPadKeyEvents];
    std::size_t keyCount = 0;
    bool opensMenu = false;
    bool padRemoved = false;
};

// Starts SDL's game-controller layer once video runs, so that every pad connected is
// announced; starts it afresh after SDL was shut down. Quietly does without pads when SDL
// cannot start it.
void ensureGamepads();

// Whether event is one of a pad's (a pad added or removed, a button, an axis).
bool isGamepadEvent(const SDL_Event& event);

// Opens an added pad, closes a removed one (letting go of what it held), and turns a button or
// axis change into out.
void takeGamepadEvent(const SDL_Event& event, const PadSituation& situation, PadOutput& out);

// The repeat of a held direction, when one is due by the game's millisecond clock.
void takeGamepadRepeats(const PadSituation& situation, PadOutput& out);

// Milliseconds until the next repeat is due (0 when it is due now), or -1 when no direction
// is held.
int millisecondsToGamepadRepeat();
