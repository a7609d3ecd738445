// Gamepads as a second way into the game beside the keyboard. SDL's game-controller layer
// opens every pad connected, at start and when one is plugged in; the event pump turns each
// pad's buttons and sticks into the game's own key messages and key states, so the game reads
// a pad as it reads the keyboard. The game only says what the pad is used for on the screen
// it shows, which decides what Start and A stand for.
#pragma once

#include <cstdint>

// What the screen shown now wants from a pad.
enum class PadUse {
    Menus,      // A and Start are Enter
    Play,       // A turns the piece (Up), Start pauses (P)
    Paused,     // A and Start resume (Enter)
    NameEntry,  // Up and Down choose a letter at the cursor, Right or A takes it
};

// Tells the pads what the screen shown now wants. Entering name entry starts the letter
// being chosen at 'A'.
void useGamepadFor(PadUse use);

// The letter being chosen at the name-entry cursor ('A'..'Z', '0'..'9' or ' '), or 0 when no
// name is being entered or no pad is connected.
char gamepadLetterAtCursor();

// How many pads are open now.
int connectedGamepadCount();

// Whether a pad holds the game's virtual key down now (the d-pad or the left stick for the
// arrows, and any button held for the key it stands for).
bool gamepadHoldsKey(std::uint32_t virtualKey);
