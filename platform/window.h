// The main window as the game's frame knows it: created with a style, a client size and an
// optional menu bar, fed by a message queue, and served by a window procedure. SDL events
// arrive here as the game's window messages (platform/messages.h).
#pragma once

#include <cstdint>

#include "platform/messages.h"

struct WindowMessage {
    WindowHandle window = nullptr;
    std::uint32_t message = 0;
    MessageParam wParam = 0;
    MessageLong lParam = 0;
};

using WindowProcedure = MessageResult (*)(WindowHandle window, std::uint32_t message,
                                          MessageParam wParam, MessageLong lParam);

// A rectangle in pixels; right and bottom are exclusive.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Window styles. A window with a caption is a normal desktop window; one without is a
// borderless popup (full-screen use), which never shows the menu bar.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000u;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000u;

// Height in pixels of the menu bar drawn above the client area, at the designed scale.
constexpr int kMenuBarHeight = 20;

// How much larger than designed the desktop wants windows drawn (1 on an ordinary display, 2
// on one set up for twice the dots per inch); read once, starting SDL's video if need be.
// createWindow multiplies the client size it is given by it, and the menu bar and the dialog
// are drawn at it.
float displayScale();
// Height in pixels of the menu bar at the display's scale.
int menuBarHeight();

struct WindowDescription {
    const char* title = "";
    std::uint32_t style = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    bool withMenuBar = false;
    WindowProcedure procedure = nullptr;
    // The picture the desktop shows for the window (a BMP, in the game's spelling of file
    // names); none when null or when it cannot be read.
    const char* iconFile = nullptr;
};

// Creates the window, hidden; its client area is clientWidth x clientHeight times the display's
// scale and the menu bar, if any, lies above it. The window can show OpenGL frames where the
// display offers OpenGL; where it does not (no GLX, no driver), it is made without, for devices
// that draw on the CPU. nullptr if SDL cannot make it.
WindowHandle createWindow(const WindowDescription& description);

// Sends WM_DESTROY, then destroys the window; later messages to it are dropped.
void destroyWindow(WindowHandle window);

// Whether window is a live window made by createWindow.
bool isWindow(WindowHandle window);

// Removes the menu bar for good (the window keeps its client size).
void destroyMenuBar(WindowHandle window);

void showWindow(WindowHandle window);
bool isWindowVisible(WindowHandle window);
bool isMinimised(WindowHandle window);

std::uint32_t windowStyle(WindowHandle window);
// Changes the style: caption and frame come and go, and so does the menu bar.
void setWindowStyle(WindowHandle window, std::uint32_t style);

// The window's outer rectangle on the desktop, menu bar included.
WindowRect windowBounds(WindowHandle window);
// Moves and sizes the window to an outer rectangle got from windowBounds.
void setWindowBounds(WindowHandle window, const WindowRect& bounds);
// The client rectangle: (0, 0, width, height), below the menu bar.
WindowRect clientRect(WindowHandle window);
// Whether the menu bar is shown now (a menu bar exists and the window is not full-screen).
bool menuBarShown(WindowHandle window);

// Calls the window's procedure at once and returns its result; 0 for a dead window.
MessageResult sendMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                          MessageLong lParam);
// Queues a message for the window; callable from any thread (wakes a waiting getMessage).
void postMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                 MessageLong lParam);
// Queues the quit message with its exit code.
void postQuitMessage(int exitCode);

// Looks for a message without waiting; removes it from the queue when remove is set.
bool peekMessage(WindowMessage& message, bool remove);
// Waits (sleeping) until a message arrives and takes it. False when it is the quit message.
bool getMessage(WindowMessage& message);
// The program's accelerators: Alt+Enter sends window command 40003 (full screen and back), F2
// command 40002 (the device dialog). True if message was one of them, first press only.
bool translateAccelerator(WindowHandle window, const WindowMessage& message);
// Hands a message to its window's procedure; returns the procedure's result.
MessageResult dispatchMessage(const WindowMessage& message);

// What a window does with a message its procedure does not handle itself.
MessageResult defaultWindowProcedure(WindowHandle window, std::uint32_t message,
                                     MessageParam wParam, MessageLong lParam);

// What the window asks of its procedure with WM_GETMINMAXINFO (lParam points to one).
struct MinMaxInfo {
    int minTrackWidth = 0;
    int minTrackHeight = 0;
};

// Draws the menu bar, with any open menu and the modal dialog, into the window's drawing
// surface. The frame calls it just before the device presents a frame.
void drawMenuBar(WindowHandle window);

// Tells the menu bar that the window's drawing surface was replaced (a device was created or
// released), so that it rebuilds what it keeps there.
void windowGraphicsChanged(WindowHandle window);

// Hides or shows the desktop cursor over the window.
void showWindowCursor(bool show);

// The desktop rectangle of display 0 (the desktop window's rectangle).
WindowRect desktopRect();
// The part of display 0 that windows may use: the desktop less its panels and docks (the
// desktop rectangle where the window system does not say).
WindowRect usableDesktopRect();
