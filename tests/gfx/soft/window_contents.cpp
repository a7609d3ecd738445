#include "tests/gfx/soft/window_contents.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

FrameImage windowContents(SDL_Window* window) {
    FrameImage image;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return image;
    }
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    XImage* shot =
        XGetImage(info.info.x11.display, info.info.x11.window, 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (shot == nullptr) {
        return image;
    }
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.pixels.push_back(0xFF000000u |
                                   static_cast<std::uint32_t>(XGetPixel(shot, x, y) & 0xFFFFFF));
        }
    }
    XDestroyImage(shot);
    return image;
}
