// SDL events as the window system would report them for a window, pushed into SDL's queue, so
// that tests go through the real event pump.
#pragma once

#include <SDL.h>

namespace pushed_events {

inline void pushKey(Uint32 windowId, Uint32 type, SDL_Keycode key, Uint16 modifiers = KMOD_NONE) {
    SDL_Event event{};
    event.type = type;
    event.key.windowID = windowId;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}

inline void pushWindowEvent(Uint32 windowId, Uint8 kind) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId;
    event.window.event = kind;
    SDL_PushEvent(&event);
}

// Mouse motion (type SDL_MOUSEMOTION) or a left button going down or up at (x, y).
inline void pushMouse(Uint32 windowId, Uint32 type, int x, int y) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_MOUSEMOTION) {
        event.motion.windowID = windowId;
        event.motion.x = x;
        event.motion.y = y;
    } else {
        event.button.windowID = windowId;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.x = x;
        event.button.y = y;
    }
    SDL_PushEvent(&event);
}

}  // namespace pushed_events
