// What a pad's controls mean to the game, as plain data: the left stick's dead zone and
// hysteresis, the letters of name entry, and the key each button and direction stands for on
// each kind of screen. No SDL state is kept here. Internal to platform/ and its tests.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/gamepad.h"

// The controls the game listens to, one pad's worth.
enum class PadControl : int {
    Up,
    Down,
    Left,
    Right,
    South,  // A
    East,   // B
    West,   // X
    North,  // Y
    Start,
    Back,
};
constexpr int kPadControlCount = 10;

// The stick's travel, either way from the centre, at which a direction is taken, and below
// which a taken direction is let go again (the dead zone). Between the two a direction keeps
// what it was, so a stick resting near the edge does not flicker.
constexpr int kStickPressTravel = 16000;
constexpr int kStickDeadZone = 10000;

// The direction of one stick axis after a new reading: -1, 0 or +1, from the direction held
// before.
int stickDirection(int heldBefore, int axisValue);

// The letters name entry runs through, in order: A to Z, the digits, Space.
constexpr char kFirstNameLetter = 'A';
// The letter `steps` after letter in that order, wrapping round (negative steps go back).
char stepNameLetter(char letter, int steps);
// The key that types letter.
SDL_Keycode keyForNameLetter(char letter);

// What a control does when pressed.
enum class PadAction {
    None,
    Key,         // presses the key
    OpenMenu,    // opens the window's "Options" menu
    NextLetter,  // name entry: the letter after the one at the cursor
    PreviousLetter,
    TakeLetter,  // name entry: types the letter at the cursor
};

struct PadMeaning {
    PadAction action = PadAction::None;
    SDL_Keycode key = SDLK_UNKNOWN;  // for PadAction::Key
};

// Where the pad's input goes: the game's screens (with what the shown one wants), or the open
// menu or modal dialog.
struct PadTarget {
    PadUse use = PadUse::Menus;
    bool modalLoop = false;     // a menu or the dialog is open
    bool menuBarShown = false;  // the window shows its menu bar
};

// What pressing control means for target.
PadMeaning meaningOf(PadControl control, const PadTarget& target);

// Whether control repeats while held, as a held key does: the directions.
bool repeatsWhileHeld(PadControl control);

// The keyboard's repeat: the first repeat after this delay, then one each interval.
constexpr std::uint32_t kRepeatDelayMilliseconds = 500;
constexpr std::uint32_t kRepeatIntervalMilliseconds = 33;
