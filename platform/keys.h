// Keys as the game sees them: virtual-key codes for SDL's keys, and the held state of a key.
#pragma once

#include <cstdint>

// The virtual-key code for an SDL key code (SDL_Keycode) with the modifier state
// (SDL_Keymod) in force: letters and digits give their upper-case ASCII code whatever Shift
// or Caps Lock say; the keypad gives its number keys with Num Lock on and its navigation keys
// (keypad 5: Clear) with Num Lock off. 0 for a key the game has no code for.
std::uint32_t virtualKeyFromSdl(std::int32_t sdlKeycode, std::uint16_t sdlModifiers);

// The state of a virtual key as the game polls it: the high bit (0x8000) is set while the
// key is held, on the keyboard or on a pad. Answered by the installed key-state function.
std::uint16_t keyState(std::uint32_t virtualKey);

using KeyStateFunction = std::uint16_t (*)(std::uint32_t virtualKey);

// Replaces the key-state source (nullptr puts back the keyboard's and the pads'); returns the one
// before. Tests use it to hold keys down without a keyboard.
KeyStateFunction setKeyStateFunction(KeyStateFunction function);
