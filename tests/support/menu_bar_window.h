// A window of the game's kind for the tests of its menu bar and overlay: a captioned window
// with the menu bar above its client area, and the message pump run dry.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace menu_bar_window {

constexpr std::uint32_t kCaptioned = WS_POPUP | WS_CAPTION | WS_SYSMENU;

// A window with the menu bar over a client area of width x height; nullptr when it cannot be
// made.
inline WindowHandle create(const char* title, int width, int height, WindowProcedure procedure,
                           std::uint32_t style = kCaptioned) {
    const WindowDescription description{.title = title,
                                        .style = style,
                                        .clientWidth = width,
                                        .clientHeight = height,
                                        .withMenuBar = true,
                                        .procedure = procedure};
    return createWindow(description);
}

// Hands every message waiting now to its window's procedure.
inline void drain() {
    WindowMessage message;
    while (peekMessage(message, true)) {
        dispatchMessage(message);
    }
}

}  // namespace menu_bar_window
