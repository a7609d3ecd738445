#include "platform/keys.h"

#include <SDL.h>

#include <array>

#include "platform/gamepad.h"
#include "platform/messages.h"

namespace {

// One row per SDL key: its code with Num Lock on (or for keys Num Lock does not affect) and
// with Num Lock off.
struct KeyRow {
    SDL_Keycode sdlKey;
    std::uint32_t withNumLock;
    std::uint32_t withoutNumLock;
};

constexpr KeyRow same(SDL_Keycode key, std::uint32_t vk) {
    return {key, vk, vk};
}

constexpr std::size_t kLetterCount = 26;
constexpr std::size_t kDigitCount = 10;

constexpr KeyRow kNamedKeys[] = {
    same(SDLK_SPACE, VK_SPACE),
    same(SDLK_RETURN, VK_RETURN),
    same(SDLK_KP_ENTER, VK_RETURN),
    same(SDLK_RETURN2, VK_RETURN),
    same(SDLK_ESCAPE, VK_ESCAPE),
    same(SDLK_BACKSPACE, VK_BACK),
    same(SDLK_TAB, VK_TAB),
    same(SDLK_CLEAR, VK_CLEAR),
    same(SDLK_LEFT, VK_LEFT),
    same(SDLK_RIGHT, VK_RIGHT),
    same(SDLK_UP, VK_UP),
    same(SDLK_DOWN, VK_DOWN),
    same(SDLK_HOME, VK_HOME),
    same(SDLK_END, VK_END),
    same(SDLK_PAGEUP, VK_PRIOR),
    same(SDLK_PAGEDOWN, VK_NEXT),
    same(SDLK_INSERT, VK_INSERT),
    same(SDLK_DELETE, VK_DELETE),
    same(SDLK_LSHIFT, VK_SHIFT),
    same(SDLK_RSHIFT, VK_SHIFT),
    same(SDLK_LCTRL, VK_CONTROL),
    same(SDLK_RCTRL, VK_CONTROL),
    same(SDLK_LALT, VK_MENU),
    same(SDLK_RALT, VK_MENU),
    same(SDLK_LGUI, VK_LWIN),
    same(SDLK_RGUI, VK_RWIN),
    same(SDLK_APPLICATION, VK_APPS),
    same(SDLK_PAUSE, VK_PAUSE),
    same(SDLK_CAPSLOCK, VK_CAPITAL),
    same(SDLK_NUMLOCKCLEAR, VK_NUMLOCK),
    same(SDLK_SCROLLLOCK, VK_SCROLL),
    same(SDLK_PRINTSCREEN, VK_SNAPSHOT),
    same(SDLK_F1, VK_F1),
    same(SDLK_F2, VK_F1 + 1),
    same(SDLK_F3, VK_F1 + 2),
    same(SDLK_F4, VK_F1 + 3),
    same(SDLK_F5, VK_F1 + 4),
    same(SDLK_F6, VK_F1 + 5),
    same(SDLK_F7, VK_F1 + 6),
    same(SDLK_F8, VK_F1 + 7),
    same(SDLK_F9, VK_F1 + 8),
    same(SDLK_F10, VK_F1 + 9),
    same(SDLK_F11, VK_F1 + 10),
    same(SDLK_F12, VK_F12),
    {SDLK_KP_0, VK_NUMPAD0, VK_INSERT},
    {SDLK_KP_1, VK_NUMPAD0 + 1, VK_END},
    {SDLK_KP_2, VK_NUMPAD0 + 2, VK_DOWN},
    {SDLK_KP_3, VK_NUMPAD0 + 3, VK_NEXT},
    {SDLK_KP_4, VK_NUMPAD0 + 4, VK_LEFT},
    {SDLK_KP_5, VK_NUMPAD5, VK_CLEAR},
    {SDLK_KP_6, VK_NUMPAD0 + 6, VK_RIGHT},
    {SDLK_KP_7, VK_NUMPAD0 + 7, VK_HOME},
    {SDLK_KP_8, VK_NUMPAD0 + 8, VK_UP},
    {SDLK_KP_9, VK_NUMPAD9, VK_PRIOR},
    {SDLK_KP_PERIOD, VK_DECIMAL, VK_DELETE},
    same(SDLK_KP_MULTIPLY, VK_MULTIPLY),
    same(SDLK_KP_PLUS, VK_ADD),
    same(SDLK_KP_MINUS, VK_SUBTRACT),
    same(SDLK_KP_DIVIDE, VK_DIVIDE),
    same(SDLK_SEMICOLON, VK_OEM_1),
    same(SDLK_EQUALS, VK_OEM_PLUS),
    same(SDLK_COMMA, VK_OEM_COMMA),
    same(SDLK_MINUS, VK_OEM_MINUS),
    same(SDLK_PERIOD, VK_OEM_PERIOD),
    same(SDLK_SLASH, VK_OEM_2),
    same(SDLK_BACKQUOTE, VK_OEM_3),
    same(SDLK_LEFTBRACKET, VK_OEM_4),
    same(SDLK_BACKSLASH, VK_OEM_5),
    same(SDLK_RIGHTBRACKET, VK_OEM_6),
    same(SDLK_QUOTE, VK_OEM_7),
};

constexpr std::size_t kKeyTableSize = kLetterCount + kDigitCount + std::size(kNamedKeys);

// The whole table: letters (SDL's are lower-case ASCII), digits, then the named keys.
constexpr std::array<KeyRow, kKeyTableSize> buildKeyTable() {
    std::array<KeyRow, kKeyTableSize> table{};
    std::size_t row = 0;
    for (std::size_t i = 0; i < kLetterCount; ++i) {
        table[row++] = same(static_cast<SDL_Keycode>('a' + i), static_cast<std::uint32_t>('A' + i));
    }
    for (std::size_t i = 0; i < kDigitCount; ++i) {
        table[row++] = same(static_cast<SDL_Keycode>('0' + i), static_cast<std::uint32_t>('0' + i));
    }
    for (const KeyRow& named : kNamedKeys) {
        table[row++] = named;
    }
    return table;
}

constexpr std::array<KeyRow, kKeyTableSize> kKeyTable = buildKeyTable();

std::uint32_t codeFor(const KeyRow& row, bool numLockOn) {
    return numLockOn ? row.withNumLock : row.withoutNumLock;
}

constexpr std::uint16_t kKeyHeld = 0x8000;

// Held on the keyboard or on a pad.
std::uint16_t keyboardKeyState(std::uint32_t virtualKey) {
    if (gamepadHoldsKey(virtualKey)) {
        return kKeyHeld;
    }
    int keyCount = 0;
    const Uint8* held = SDL_GetKeyboardState(&keyCount);
    if (held == nullptr) {
        return 0;
    }
    const bool numLockOn = (SDL_GetModState() & KMOD_NUM) != 0;
    for (const KeyRow& row : kKeyTable) {
        if (codeFor(row, numLockOn) != virtualKey) {
            continue;
        }
        const SDL_Scancode scancode = SDL_GetScancodeFromKey(row.sdlKey);
        if (scancode != SDL_SCANCODE_UNKNOWN && scancode < keyCount && held[scancode] != 0) {
            return kKeyHeld;
        }
    }
    return 0;
}

KeyStateFunction installedKeyState = nullptr;

}  // namespace

std::uint32_t virtualKeyFromSdl(std::int32_t sdlKeycode, std::uint16_t sdlModifiers) {
    const bool numLockOn = (sdlModifiers & KMOD_NUM) != 0;
    for (const KeyRow& row : kKeyTable) {
        if (row.sdlKey == sdlKeycode) {
            return codeFor(row, numLockOn);
        }
    }
    return 0;
}

std::uint16_t keyState(std::uint32_t virtualKey) {
    return (installedKeyState != nullptr ? installedKeyState : keyboardKeyState)(virtualKey);
}

KeyStateFunction setKeyStateFunction(KeyStateFunction function) {
    KeyStateFunction previous = installedKeyState != nullptr ? installedKeyState : keyboardKeyState;
    installedKeyState = function;
    return previous;
}
