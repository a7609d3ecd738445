#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gfx/window.h"
#include "platform/event_translation.h"
#include "platform/window_internal.h"

namespace {

std::vector<std::unique_ptr<WindowRecord>> windows;
std::deque<WindowMessage> pending;
std::mutex postedLock;
std::deque<WindowMessage> posted;  // from postMessage, possibly from other threads
bool quitPosted = false;
int quitCode = 0;

bool isFullscreen(const WindowRecord& record) {
    return (SDL_GetWindowFlags(record.sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

int shownMenuBarHeight(const WindowRecord& record) {
    return record.hasMenuBar && (record.style & WS_CAPTION) != 0 && !isFullscreen(record)
               ? kMenuBarHeight
               : 0;
}

WindowRecord* recordOfSdl(Uint32 windowId) {
    SDL_Window* sdl = SDL_GetWindowFromID(windowId);
    return sdl != nullptr ? findWindowRecord(windowHandleOf(sdl)) : nullptr;
}

EventWindowInfo infoFor(WindowRecord* record) {
    EventWindowInfo info;
    if (record == nullptr) {
        return info;
    }
    info.window = record->handle;
    info.menuBarHeight = shownMenuBarHeight(*record);
    const WindowRect client = clientRect(record->handle);
    info.clientWidth = client.width();
    info.clientHeight = client.height();
    return info;
}

Uint32 windowIdOfEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_WINDOWEVENT:
            return event.window.windowID;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return event.key.windowID;
        case SDL_MOUSEMOTION:
            return event.motion.windowID;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return event.button.windowID;
        default:
            return 0;
    }
}

WindowRecord* onlyWindow() {
    for (auto& record : windows) {
        if (record->alive) {
            return record.get();
        }
    }
    return nullptr;
}

bool isAltKey(SDL_Keycode key) {
    return key == SDLK_LALT || key == SDLK_RALT;
}

// Alt pressed and released with no other key between, or F10, opens the menu bar.
bool opensMenuByKeyboard(const SDL_Event& event) {
    static bool altAlone = false;
    if (event.type == SDL_KEYDOWN) {
        const SDL_Keycode key = event.key.keysym.sym;
        if (event.key.repeat == 0) {
            altAlone = isAltKey(key);
        }
        return key == SDLK_F10 && event.key.repeat == 0;
    }
    if (event.type == SDL_KEYUP && isAltKey(event.key.keysym.sym)) {
        const bool opens = altAlone;
        altAlone = false;
        return opens;
    }
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        altAlone = false;
    }
    return false;
}

// Turns one SDL event into queued messages, or into menu-bar work.
void absorbEvent(const SDL_Event& event) {
    if (event.type == postedMessageEventType()) {
        const std::lock_guard<std::mutex> hold(postedLock);
        if (!posted.empty()) {
            pending.push_back(posted.front());
            posted.pop_front();
        }
        return;
    }
    if (event.type == SDL_QUIT) {
        if (WindowRecord* record = onlyWindow()) {
            pending.push_back(WindowMessage{record->handle, WM_CLOSE, 0, 0});
        }
        return;
    }
    WindowRecord* record = recordOfSdl(windowIdOfEvent(event));
    if (record == nullptr || !record->alive) {
        return;
    }
    feedMenuBarInput(*record, event);
    if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT &&
        event.button.y < shownMenuBarHeight(*record) &&
        sendMessage(record->handle, WM_NCHITTEST, 0, makeLong(event.button.x, event.button.y)) !=
            HTCLIENT) {
        runMenuLoop(*record);
        return;
    }
    WindowMessage messages[kMaxMessagesPerEvent];
    const std::size_t count = translateEvent(event, infoFor(record), messages);
    pending.insert(pending.end(), messages, messages + count);
    if (opensMenuByKeyboard(event)) {
        pending.push_back(WindowMessage{record->handle, WM_SYSCOMMAND, SC_KEYMENU, 0});
    }
}

bool takePending(WindowMessage& message, bool remove) {
    while (!pending.empty()) {
        const WindowMessage& front = pending.front();
        if (front.window != nullptr && !isWindow(front.window)) {
            pending.pop_front();
            continue;
        }
        message = front;
        if (remove) {
            pending.pop_front();
        }
        return true;
    }
    return false;
}

bool takeQuit(WindowMessage& message, bool remove) {
    if (!quitPosted) {
        return false;
    }
    message = WindowMessage{nullptr, WM_QUIT, static_cast<MessageParam>(quitCode), 0};
    if (remove) {
        quitPosted = false;
    }
    return true;
}

Uint32 sdlFlagsFor(std::uint32_t style) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if ((style & WS_CAPTION) == 0) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if ((style & WS_THICKFRAME) != 0) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    return flags;
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

int menuBarHeightOf(const WindowRecord& record) {
    return shownMenuBarHeight(record);
}

void queueMessage(const WindowMessage& message) {
    pending.push_back(message);
}

bool pumpOneEvent(bool wait) {
    SDL_Event event;
    const bool got = wait ? SDL_WaitEvent(&event) != 0 : SDL_PollEvent(&event) != 0;
    if (got) {
        absorbEvent(event);
    }
    return got;
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
        description.withMenuBar && (description.style & WS_CAPTION) != 0 ? kMenuBarHeight : 0;
    record->sdl =
        SDL_CreateWindow(description.title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                         description.clientWidth, description.clientHeight + menuHeight,
                         sdlFlagsFor(description.style));
    if (record->sdl == nullptr) {
        return nullptr;
    }
    record->handle = windowHandleOf(record->sdl);
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
    releaseMenuBar(*record);
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
            SDL_SetWindowSize(record->sdl, width, std::max(height - kMenuBarHeight, 1));
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

void postMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                 MessageLong lParam) {
    {
        const std::lock_guard<std::mutex> hold(postedLock);
        posted.push_back(WindowMessage{window, message, wParam, lParam});
    }
    SDL_Event wake{};
    wake.type = postedMessageEventType();
    SDL_PushEvent(&wake);
}

void postQuitMessage(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

bool peekMessage(WindowMessage& message, bool remove) {
    if (takePending(message, remove)) {
        return true;
    }
    while (SDL_WasInit(SDL_INIT_VIDEO) != 0 && pumpOneEvent(false)) {
        if (takePending(message, remove)) {
            return true;
        }
    }
    return takeQuit(message, remove);
}

bool getMessage(WindowMessage& message) {
    for (;;) {
        if (peekMessage(message, true)) {
            return message.message != WM_QUIT;
        }
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || !pumpOneEvent(true)) {
            message = WindowMessage{nullptr, WM_QUIT, 0, 0};
            return false;
        }
    }
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
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0u) == SC_KEYMENU) {
                if (WindowRecord* record = findWindowRecord(window)) {
                    if (shownMenuBarHeight(*record) > 0) {
                        runMenuLoop(*record);
                    }
                }
            }
            return 0;
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
