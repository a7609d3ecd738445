// The screens' side of the window messages: keys per screen, the window menu's commands, focus
// changes and the end of a music track. The frame-move step makes the one other change of
// screen (a game that ends).
#pragma once

#include <cstdint>

#include "game/flow/game_services.h"
#include "game/flow/game_state.h"
#include "platform/messages.h"

// The music files, by the track number chooseMusic picks: 0 the menu tune, 1..3 game tunes.
constexpr int musicTrackCount = 4;
extern const char* const musicFiles[musicTrackCount];

// Handles one window message at application time appTime: WM_KEYDOWN (wParam the virtual-key
// code), WM_COMMAND 40013, 40014 and 40015 (low word of wParam), WM_SETFOCUS, WM_KILLFOCUS,
// WM_SIZE, WM_INPUT_DEVICE_CHANGE and MM_MCINOTIFY; every other message changes nothing.
// Losing the focus, being minimised or an input device removed while Playing pauses the game.
// Returns false for WM_CONTEXTMENU, which must end here with result 0 (no context menu is ever
// shown); true for every other message, which then goes on to the frame's handler.
bool handleGameMessage(GameState& state, GameServices& services, std::uint32_t message,
                       MessageParam wParam, float appTime);

// When the music is on: stops and closes the current tune and starts the one that fits the
// screen, a random game tune (1..3) on Playing, Paused and GameOver, the menu tune elsewhere.
// Does nothing while the music is off.
void chooseMusic(const GameState& state, GameServices& services);
