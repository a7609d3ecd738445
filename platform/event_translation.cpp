#include "platform/event_translation.h"

#include "platform/keys.h"

namespace {

struct MessageWriter {
    WindowMessage (&messages)[kMaxMessagesPerEvent];
    WindowHandle window;
    std::size_t count = 0;

    void add(std::uint32_t message, MessageParam wParam, MessageLong lParam) {
        if (count < kMaxMessagesPerEvent) {
            messages[count++] = WindowMessage{window, message, wParam, lParam};
        }
    }
};

MessageLong clientSize(const EventWindowInfo& info) {
    return makeLong(info.clientWidth, info.clientHeight);
}

void translateWindowEvent(const SDL_WindowEvent& event, const EventWindowInfo& info,
                          MessageWriter& out) {
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            out.add(WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            out.add(WM_SIZE, SIZE_MINIMIZED, 0);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            out.add(WM_SIZE, SIZE_RESTORED, clientSize(info));
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            out.add(WM_SIZE, SIZE_MAXIMIZED, clientSize(info));
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            out.add(WM_ENTERSIZEMOVE, 0, 0);
            out.add(WM_SIZE, SIZE_RESTORED, clientSize(info));
            out.add(WM_EXITSIZEMOVE, 0, 0);
            break;
        case SDL_WINDOWEVENT_MOVED:
            out.add(WM_ENTERSIZEMOVE, 0, 0);
            out.add(WM_EXITSIZEMOVE, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            out.add(WM_SETFOCUS, 0, 0);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            out.add(WM_KILLFOCUS, 0, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            out.add(WM_PAINT, 0, 0);
            break;
        default:
            break;
    }
}

void translateKeyEvent(const SDL_KeyboardEvent& event, MessageWriter& out) {
    const std::uint32_t virtualKey = virtualKeyFromSdl(event.keysym.sym, event.keysym.mod);
    if (virtualKey == 0) {
        return;
    }
    const bool altHeld = (event.keysym.mod & KMOD_ALT) != 0;
    MessageLong lParam = 1 | (static_cast<MessageLong>(event.keysym.scancode & 0xFF) << 16);
    if (event.repeat != 0) {
        lParam |= kKeyWasDownBit;
    }
    if (altHeld) {
        lParam |= kKeyAltHeldBit;
    }
    const bool down = event.type == SDL_KEYDOWN;
    const std::uint32_t message =
        altHeld ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    out.add(message, virtualKey, lParam);
}

}  // namespace

std::size_t translateEvent(const SDL_Event& event, const EventWindowInfo& info,
                           WindowMessage (&messages)[kMaxMessagesPerEvent]) {
    MessageWriter out{messages, info.window};
    if (info.window == nullptr) {
        return 0;
    }
    switch (event.type) {
        case SDL_WINDOWEVENT:
            translateWindowEvent(event.window, info, out);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            translateKeyEvent(event.key, out);
            break;
        case SDL_MOUSEMOTION: {
            const int clientY = event.motion.y - info.menuBarHeight;
            if (clientY >= 0) {
                out.add(WM_SETCURSOR, 0, makeLong(static_cast<int>(HTCLIENT), WM_MOUSEMOVE));
                out.add(WM_MOUSEMOVE, 0, makeLong(event.motion.x, clientY));
            }
            break;
        }
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_RIGHT && event.button.y >= info.menuBarHeight) {
                out.add(WM_CONTEXTMENU, 0, makeLong(event.button.x, event.button.y));
            }
            break;
        default:
            break;
    }
    return out.count;
}

Uint32 postedMessageEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}
