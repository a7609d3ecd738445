// SDL events turned into the game's window messages. Internal to platform/ and its tests.
#pragma once

#include <SDL.h>

#include <cstddef>

#include "platform/window.h"

// What the translation needs to know about the window an event belongs to.
struct EventWindowInfo {
    WindowHandle window = nullptr;  // nullptr: the event is not for one of our windows
    int menuBarHeight = 0;          // pixels above the client area (0 when hidden)
    int clientWidth = 0;
    int clientHeight = 0;
};

constexpr std::size_t kMaxMessagesPerEvent = 3;

// Writes the messages an event stands for into messages (at most kMaxMessagesPerEvent) and
// returns how many: key presses as key-down messages with their virtual-key code (with Alt
// held as system key-down messages), minimise and restore as size messages, a finished resize
// or move as enter/exit size-move around a size message, focus changes, exposure as paint,
// the close button as close, mouse motion as set-cursor then mouse-move in client
// coordinates, a right click as the context-menu message.
std::size_t translateEvent(const SDL_Event& event, const EventWindowInfo& info,
                           WindowMessage (&messages)[kMaxMessagesPerEvent]);

// The SDL event type that carries posted messages (registered on first use).
Uint32 postedMessageEventType();
