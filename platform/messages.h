// The game's message set: window messages, menu command ids and virtual-key codes.
// The numbers are the classic desktop values the game was designed with; platform/ turns
// SDL events into these, so the game's message handlers read as designed.
#pragma once

#include <cstdint>

// An opaque window: the platform layer defines it, everyone else only passes it along.
struct NativeWindow;
using WindowHandle = NativeWindow*;

using MessageParam = std::uintptr_t;  // wParam
using MessageLong = std::intptr_t;    // lParam
using MessageResult = std::intptr_t;

// Window messages.
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr std::uint32_t WM_SETCURSOR = 0x0020;
constexpr std::uint32_t WM_GETMINMAXINFO = 0x0024;
constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
constexpr std::uint32_t WM_NCHITTEST = 0x0084;
constexpr std::uint32_t WM_INPUT_DEVICE_CHANGE = 0x00FE;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_ENTERMENULOOP = 0x0211;
constexpr std::uint32_t WM_EXITMENULOOP = 0x0212;
constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
constexpr std::uint32_t WM_ENTERSIZEMOVE = 0x0231;
constexpr std::uint32_t WM_EXITSIZEMOVE = 0x0232;
constexpr std::uint32_t MM_MCINOTIFY = 0x03B9;

// wParam of the size message.
constexpr MessageParam SIZE_RESTORED = 0;
constexpr MessageParam SIZE_MINIMIZED = 1;
constexpr MessageParam SIZE_MAXIMIZED = 2;
constexpr MessageParam SIZE_MAXSHOW = 3;
constexpr MessageParam SIZE_MAXHIDE = 4;

// wParam of the system command message (low four bits are the system's own).
constexpr MessageParam SC_SIZE = 0xF000;
constexpr MessageParam SC_MOVE = 0xF010;
constexpr MessageParam SC_MAXIMIZE = 0xF030;
constexpr MessageParam SC_MOUSEMENU = 0xF090;  // a click on the menu bar opens a menu
constexpr MessageParam SC_KEYMENU = 0xF100;    // Alt or F10 opens the menu bar
constexpr MessageParam SC_MONITORPOWER = 0xF170;

// wParam of the power broadcast.
constexpr MessageParam PBT_APMQUERYSUSPEND = 0x0000;
constexpr MessageParam PBT_APMRESUMESUSPEND = 0x0007;

// Result of the hit test: the point lies in the client area.
constexpr MessageResult HTCLIENT = 1;

// wParam of the input-device change: a device was added or removed.
constexpr MessageParam GIDC_ARRIVAL = 1;
constexpr MessageParam GIDC_REMOVAL = 2;

// wParam of the music completion notice.
constexpr MessageParam MCI_NOTIFY_SUCCESSFUL = 0x0001;
constexpr MessageParam MCI_NOTIFY_SUPERSEDED = 0x0002;
constexpr MessageParam MCI_NOTIFY_ABORTED = 0x0004;
constexpr MessageParam MCI_NOTIFY_FAILURE = 0x0008;

// Window-menu and accelerator commands (low word of the command message's wParam).
constexpr std::uint32_t kCommandChangeVideoMode = 40002;
constexpr std::uint32_t kCommandToggleFullscreen = 40003;
constexpr std::uint32_t kCommandToggleBackground = 40013;
constexpr std::uint32_t kCommandToggleMusic = 40014;
constexpr std::uint32_t kCommandHelp = 40015;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr std::uint32_t VK_BACK = 0x08;
constexpr std::uint32_t VK_TAB = 0x09;
constexpr std::uint32_t VK_CLEAR = 0x0C;
constexpr std::uint32_t VK_RETURN = 0x0D;
constexpr std::uint32_t VK_SHIFT = 0x10;
constexpr std::uint32_t VK_CONTROL = 0x11;
constexpr std::uint32_t VK_MENU = 0x12;
constexpr std::uint32_t VK_PAUSE = 0x13;
constexpr std::uint32_t VK_CAPITAL = 0x14;
constexpr std::uint32_t VK_ESCAPE = 0x1B;
constexpr std::uint32_t VK_SPACE = 0x20;
constexpr std::uint32_t VK_PRIOR = 0x21;
constexpr std::uint32_t VK_NEXT = 0x22;
constexpr std::uint32_t VK_END = 0x23;
constexpr std::uint32_t VK_HOME = 0x24;
constexpr std::uint32_t VK_LEFT = 0x25;
constexpr std::uint32_t VK_UP = 0x26;
constexpr std::uint32_t VK_RIGHT = 0x27;
constexpr std::uint32_t VK_DOWN = 0x28;
constexpr std::uint32_t VK_INSERT = 0x2D;
constexpr std::uint32_t VK_DELETE = 0x2E;
constexpr std::uint32_t VK_NUMPAD0 = 0x60;
constexpr std::uint32_t VK_NUMPAD5 = 0x65;
constexpr std::uint32_t VK_NUMPAD9 = 0x69;
constexpr std::uint32_t VK_MULTIPLY = 0x6A;
constexpr std::uint32_t VK_ADD = 0x6B;
constexpr std::uint32_t VK_SUBTRACT = 0x6D;
constexpr std::uint32_t VK_DECIMAL = 0x6E;
constexpr std::uint32_t VK_DIVIDE = 0x6F;
constexpr std::uint32_t VK_F1 = 0x70;
constexpr std::uint32_t VK_F2 = 0x71;
constexpr std::uint32_t VK_F12 = 0x7B;
constexpr std::uint32_t VK_NUMLOCK = 0x90;
constexpr std::uint32_t VK_SCROLL = 0x91;
constexpr std::uint32_t VK_LWIN = 0x5B;
constexpr std::uint32_t VK_RWIN = 0x5C;
constexpr std::uint32_t VK_APPS = 0x5D;
constexpr std::uint32_t VK_SNAPSHOT = 0x2C;
// Punctuation keys of a US layout (the "OEM" keys).
constexpr std::uint32_t VK_OEM_1 = 0xBA;       // ;:
constexpr std::uint32_t VK_OEM_PLUS = 0xBB;    // =+
constexpr std::uint32_t VK_OEM_COMMA = 0xBC;   // ,<
constexpr std::uint32_t VK_OEM_MINUS = 0xBD;   // -_
constexpr std::uint32_t VK_OEM_PERIOD = 0xBE;  // .>
constexpr std::uint32_t VK_OEM_2 = 0xBF;       // /?
constexpr std::uint32_t VK_OEM_3 = 0xC0;       // `~
constexpr std::uint32_t VK_OEM_4 = 0xDB;       // [{
constexpr std::uint32_t VK_OEM_5 = 0xDC;       // \|
constexpr std::uint32_t VK_OEM_6 = 0xDD;       // ]}
constexpr std::uint32_t VK_OEM_7 = 0xDE;       // '"

// Key-message lParam bits: the key was already down (auto-repeat), and Alt was held.
constexpr MessageLong kKeyWasDownBit = MessageLong{1} << 30;
constexpr MessageLong kKeyAltHeldBit = MessageLong{1} << 29;

// The command message's wParam for a menu or accelerator command (low word the id, high word
// 0 from a menu and 1 from an accelerator).
constexpr MessageParam menuCommand(std::uint32_t id) {
    return id & 0xFFFFu;
}
constexpr MessageParam acceleratorCommand(std::uint32_t id) {
    return (id & 0xFFFFu) | 0x10000u;
}
constexpr std::uint32_t commandId(MessageParam wParam) {
    return wParam & 0xFFFFu;
}

// lParam built from two 16-bit halves (sizes and client positions).
constexpr MessageLong makeLong(int low, int high) {
    return static_cast<MessageLong>((static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                    ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16));
}
constexpr int lowWord(MessageLong value) {
    return static_cast<std::int16_t>(value & 0xFFFF);
}
constexpr int highWord(MessageLong value) {
    return static_cast<std::int16_t>((value >> 16) & 0xFFFF);
}
