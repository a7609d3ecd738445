#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "gfx/file_names.h"
#include "gfx/window.h"
#include "platform/display_scale.h"
#include "platform/menu_bar.h"
#include "platform/overlay.h"
#include "platform/window_internal.h"

namespace {

std::vector<std::unique_ptr<WindowRecord>> windows;

bool isFullscreen(const WindowRecord& record) {
    return (SDL_GetWindowFlags(record.sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

int shownMenuBarHeight(const WindowRecord& record) {
    return record.hasMenuBar && (record.style & WS_CAPTION) != 0 && !isFullscreen(record)
               ? menuBarHeight()
               : 0;
}

Uint32 sdlFlagsFor(std::uint32_t style) {
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if ((style & WS_CAPTION) == 0) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if ((style & WS_THICKFRAME) != 0) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    return flags;
}

// A window that OpenGL frames can be shown in, or, where the display has no OpenGL to offer,
// one without (the reference device presents through SDL's own renderer).
SDL_Window* createSdlWindow(const char* title, int width, int height, Uint32 flags) {
    SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          width, height, flags | SDL_WINDOW_OPENGL);
    if (window == nullptr) {
        // Left to itself, SDL would try to put the window's surface on an OpenGL texture the
        // first time it is drawn to: it remakes the window with OpenGL, fails, and remakes it
        // again without, so the player sees the window vanish and come back elsewhere.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                  height, flags);
    }
    return window;
}

void setWindowIcon(SDL_Window* window, const char* iconFile) {
    if (iconFile == nullptr) {
        return;
    }
    SDL_Surface* icon = SDL_LoadBMP(hostFileName(iconFile).c_str());
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

bool ensureVideo() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// Loads the OpenGL library once and keeps it for the rest of the run, so that closing one
// device's window and opening the next does not unload and reload the GL driver each time.
void holdGlLibrary() {
    static const bool held = SDL_GL_LoadLibrary(nullptr) == 0;
    (void)held;
}

// What our windows add to the frames a device shows in them: the menu bar above the frame, and
// the menu bar, any open menu and the modal dialog drawn over it.
int menuBarBand(SDL_Window* window) {
    const WindowRecord* record = findWindowRecordOfSdl(window);
    return record != nullptr ? menuBarHeightOf(*record) : 0;
}

void drawOverlayOverOpenGlFrame(SDL_Window* window) {
    if (WindowRecord* record = findWindowRecordOfSdl(window)) {
        drawOverlayBeforeSwap(*record);
    }
}

void drawOverlayOverRendererFrame(SDL_Window* window, SDL_Renderer* renderer) {
    if (WindowRecord* record = findWindowRecordOfSdl(window)) {
        drawOverlayOnRenderer(*record, renderer);
    }
}

constexpr WindowChrome menuBarChrome{menuBarBand, drawOverlayOverOpenGlFrame,
                                     drawOverlayOverRendererFrame};

}  // namespace

WindowRecord* findWindowRecord(WindowHandle window) {
    if (window == nullptr) {
        return nullptr;
    }
    for (auto& record : windows) {
        if (record->handle == window && record->alive) {
            return record.get();
        }
    }
    return nullptr;
}

WindowRecord* findWindowRecordOfSdl(SDL_Window* window) {
    return window != nullptr ? findWindowRecord(windowHandleOf(window)) : nullptr;
}

WindowRecord* windowRecordOfSdlId(Uint32 windowId) {
    return windowId != 0 ? findWindowRecordOfSdl(SDL_GetWindowFromID(windowId)) : nullptr;
}

WindowRecord* firstLiveWindowRecord() {
    for (auto& record : windows) {
        if (record->alive) {
            return record.get();
        }
    }
    return nullptr;
}

int menuBarHeightOf(const WindowRecord& record) {
    return shownMenuBarHeight(record);
}

EventWindowInfo eventInfoFor(const WindowRecord& record) {
    EventWindowInfo info;
    info.window = record.handle;
    info.menuBarHeight = shownMenuBarHeight(record);
    const WindowRect client = clientRect(record.handle);
    info.clientWidth = client.width();
    info.clientHeight = client.height();
    return info;
}

float displayScale() {
    static const float scale = ensureVideo() ? desktopDisplayScale() : 1.0f;
    return scale;
}

int menuBarHeight() {
    return static_cast<int>(std::lround(kMenuBarHeight * displayScale()));
}

WindowHandle createWindow(const WindowDescription& description) {
    if (!ensureVideo()) {
        return nullptr;
    }
    holdGlLibrary();
    installWindowChrome(menuBarChrome);
    auto record = std::make_unique<WindowRecord>();
    record->style = description.style;
    record->hasMenuBar = description.withMenuBar;
    record->procedure = description.procedure;
    const int menuHeight =
        description.withMenuBar && (description.style & WS_CAPTION) != 0 ? menuBarHeight() : 0;
    const float scale = displayScale();
    const int width = static_cast<int>(std::lround(description.clientWidth * scale));
    const int height = static_cast<int>(std::lround(description.clientHeight * scale));
    record->sdl = createSdlWindow(description.title, width, height + menuHeight,
                                  sdlFlagsFor(description.style));
    if (record->sdl == nullptr) {
        return nullptr;
    }
    setWindowIcon(record->sdl, description.iconFile);
    record->handle = windowHandleOf(record->sdl);
    postedMessageEventType();  // registered here, before any other thread posts
    record->alive = true;
    windows.push_back(std::move(record));
    WindowRecord& created = *windows.back();

    MinMaxInfo limits;
    sendMessage(created.handle, WM_GETMINMAXINFO, 0, reinterpret_cast<MessageLong>(&limits));
    if (limits.minTrackWidth > 0 || limits.minTrackHeight > 0) {
        SDL_SetWindowMinimumSize(created.sdl, std::max(limits.minTrackWidth, 1),
                                 std::max(limits.minTrackHeight, 1));
    }
    return created.handle;
}

void destroyWindow(WindowHandle window) {
    WindowRecord* record = findWindowRecord(window);
    if (record == nullptr) {
        return;
    }
    sendMessage(window, WM_DESTROY, 0, 0);
    record->alive = false;
    releaseOverlay();
    SDL_DestroyWindow(record->sdl);
    windows.erase(
        std::remove_if(windows.begin(), windows.end(), [](const auto& r) { return !r->alive; }),
        windows.end());
    if (windows.empty()) {
        releaseWindowCursor();
    }
}

bool isWindow(WindowHandle window) {
    return findWindowRecord(window) != nullptr;
}

void destroyMenuBar(WindowHandle window) {
    if (WindowRecord* record = findWindowRecord(window)) {
        if (record->hasMenuBar && !isFullscreen(*record) && (record->style & WS_CAPTION) != 0) {
            int width = 0;
            int height = 0;
            SDL_GetWindowSize(record->sdl, &width, &height);
            SDL_SetWindowSize(record->sdl, width, std::max(height - menuBarHeight(), 1));
        }
        record->hasMenuBar = false;
    }
}

void showWindow(WindowHandle window) {
    if (WindowRecord* record = findWindowRecord(window)) {
        SDL_ShowWindow(record->sdl);
    }
}

bool isWindowVisible(WindowHandle window) {
    WindowRecord* record = findWindowRecord(window);
    return record != nullptr && (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_SHOWN) != 0;
}

bool isMinimised(WindowHandle window) {
    WindowRecord* record = findWindowRecord(window);
    return record != nullptr && (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

std::uint32_t windowStyle(WindowHandle window) {
    WindowRecord* record = findWindowRecord(window);
    if (record == nullptr) {
        return 0;
    }
    return record->style | (isWindowVisible(window) ? WS_VISIBLE : 0u);
}

void setWindowStyle(WindowHandle window, std::uint32_t style) {
    WindowRecord* record = findWindowRecord(window);
    if (record == nullptr) {
        return;
    }
    const int barBefore = shownMenuBarHeight(*record);
    record->style = style & ~WS_VISIBLE;
    SDL_SetWindowBordered(record->sdl, (style & WS_CAPTION) != 0 ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(record->sdl, (style & WS_THICKFRAME) != 0 ? SDL_TRUE : SDL_FALSE);
    const int barAfter = shownMenuBarHeight(*record);
    if (barAfter != barBefore && !isFullscreen(*record)) {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(record->sdl, &width, &height);
        SDL_SetWindowSize(record->sdl, width, std::max(height + barAfter - barBefore, 1));
    }
    if ((style & WS_VISIBLE) != 0) {
        SDL_ShowWindow(record->sdl);
    }
}

WindowRect windowBounds(WindowHandle window) {
    WindowRect bounds;
    if (WindowRecord* record = findWindowRecord(window)) {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        SDL_GetWindowPosition(record->sdl, &x, &y);
        SDL_GetWindowSize(record->sdl, &width, &height);
        bounds = WindowRect{x, y, x + width, y + height};
    }
    return bounds;
}

void setWindowBounds(WindowHandle window, const WindowRect& bounds) {
    if (WindowRecord* record = findWindowRecord(window)) {
        if (bounds.width() > 0 && bounds.height() > 0) {
            SDL_SetWindowSize(record->sdl, bounds.width(), bounds.height());
        }
        SDL_SetWindowPosition(record->sdl, bounds.left, bounds.top);
    }
}

WindowRect clientRect(WindowHandle window) {
    WindowRect client;
    if (WindowRecord* record = findWindowRecord(window)) {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(record->sdl, &width, &height);
        client = WindowRect{0, 0, width, std::max(height - shownMenuBarHeight(*record), 0)};
    }
    return client;
}

bool menuBarShown(WindowHandle window) {
    WindowRecord* record = findWindowRecord(window);
    return record != nullptr && shownMenuBarHeight(*record) > 0;
}

MessageResult sendMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                          MessageLong lParam) {
    WindowRecord* record = findWindowRecord(window);
    if (record == nullptr || record->procedure == nullptr) {
        return 0;
    }
    return record->procedure(window, message, wParam, lParam);
}

bool translateAccelerator(WindowHandle window, const WindowMessage& message) {
    if ((message.lParam & kKeyWasDownBit) != 0 || !isWindow(window)) {
        return false;
    }
    std::uint32_t command = 0;
    if (message.message == WM_SYSKEYDOWN && message.wParam == VK_RETURN) {
        command = kCommandToggleFullscreen;
    } else if (message.message == WM_KEYDOWN && message.wParam == VK_F2) {
        // The device error messages tell the player to press F2 for the devices and modes.
        command = kCommandChangeVideoMode;
    } else {
        return false;
    }
    sendMessage(window, WM_COMMAND, acceleratorCommand(command), 0);
    return true;
}

MessageResult dispatchMessage(const WindowMessage& message) {
    return sendMessage(message.window, message.message, message.wParam, message.lParam);
}

MessageResult defaultWindowProcedure(WindowHandle window, std::uint32_t message,
                                     MessageParam wParam, MessageLong) {
    switch (message) {
        case WM_CLOSE:
            destroyWindow(window);
            return 0;
        case WM_NCHITTEST:
            return menuBarShown(window) ? kHitTestMenu : HTCLIENT;
        case WM_SYSCOMMAND: {
            const MessageParam command = wParam & 0xFFF0u;
            WindowRecord* record = findWindowRecord(window);
            if ((command == SC_KEYMENU || command == SC_MOUSEMENU) && record != nullptr &&
                shownMenuBarHeight(*record) > 0) {
                runMenuLoop(*record,
                            command == SC_KEYMENU ? MenuOpening::ByKeyboard : MenuOpening::ByMouse);
            }
            return 0;
        }
        default:
            return 0;
    }
}

void showWindowCursor(bool show) {
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

WindowRect desktopRect() {
    if (!ensureVideo()) {
        return WindowRect{};
    }
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        return WindowRect{};
    }
    return WindowRect{0, 0, mode.w, mode.h};
}

WindowRect usableDesktopRect() {
    if (!ensureVideo()) {
        return WindowRect{};
    }
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) {
        return desktopRect();
    }
    return WindowRect{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
}
