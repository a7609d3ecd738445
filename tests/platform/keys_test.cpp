#include "platform/keys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/messages.h"

namespace {

constexpr std::uint16_t kNumLockOn = KMOD_NUM;
constexpr std::uint16_t kNoModifiers = KMOD_NONE;

TEST(VirtualKeys, LettersAreUpperCaseWhateverShiftOrCapsLockSay) {
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const std::uint32_t upper = static_cast<std::uint32_t>(letter - 'a' + 'A');
        EXPECT_EQ(virtualKeyFromSdl(letter, kNoModifiers), upper);
        EXPECT_EQ(virtualKeyFromSdl(letter, KMOD_LSHIFT), upper);
        EXPECT_EQ(virtualKeyFromSdl(letter, KMOD_CAPS), upper);
    }
    EXPECT_EQ(virtualKeyFromSdl(SDLK_p, kNoModifiers), static_cast<std::uint32_t>('P'));
}

TEST(VirtualKeys, DigitsAreTheirAsciiCodes) {
    for (char digit = '0'; digit <= '9'; ++digit) {
        EXPECT_EQ(virtualKeyFromSdl(digit, kNoModifiers), static_cast<std::uint32_t>(digit));
    }
}

TEST(VirtualKeys, TheKeysTheGameReadsHaveTheirCodes) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_SPACE, kNoModifiers), VK_SPACE);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RETURN, kNoModifiers), VK_RETURN);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_ENTER, kNoModifiers), VK_RETURN);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_ESCAPE, kNoModifiers), VK_ESCAPE);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_BACKSPACE, kNoModifiers), VK_BACK);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LEFT, kNoModifiers), VK_LEFT);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RIGHT, kNoModifiers), VK_RIGHT);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UP, kNoModifiers), VK_UP);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_DOWN, kNoModifiers), VK_DOWN);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_CLEAR, kNoModifiers), VK_CLEAR);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F1, kNoModifiers), VK_F1);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F12, kNoModifiers), VK_F12);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LSHIFT, kNoModifiers), VK_SHIFT);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RCTRL, kNoModifiers), VK_CONTROL);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LALT, kNoModifiers), VK_MENU);
}

TEST(VirtualKeys, KeypadFollowsNumLock) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_5, kNumLockOn), VK_NUMPAD5);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_5, kNoModifiers), VK_CLEAR);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_8, kNumLockOn), VK_NUMPAD0 + 8);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_8, kNoModifiers), VK_UP);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_4, kNoModifiers), VK_LEFT);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_6, kNoModifiers), VK_RIGHT);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_2, kNoModifiers), VK_DOWN);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_0, kNumLockOn), VK_NUMPAD0);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_9, kNumLockOn), VK_NUMPAD9);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_PLUS, kNoModifiers), VK_ADD);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_PLUS, kNumLockOn), VK_ADD);
}

TEST(VirtualKeys, KeysWithoutACodeGiveZero) {
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UNKNOWN, kNoModifiers), 0u);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_AUDIOPLAY, kNoModifiers), 0u);
}

std::uint16_t onlyLeftHeld(std::uint32_t virtualKey) {
    return virtualKey == VK_LEFT ? 0x8000 : 0;
}

TEST(KeyState, AnInstalledSourceAnswersAndTheKeyboardComesBack) {
    const KeyStateFunction keyboard = setKeyStateFunction(onlyLeftHeld);
    EXPECT_NE(keyState(VK_LEFT) & 0x8000, 0);
    EXPECT_EQ(keyState(VK_RIGHT) & 0x8000, 0);
    EXPECT_EQ(setKeyStateFunction(nullptr), &onlyLeftHeld);
    EXPECT_EQ(setKeyStateFunction(nullptr), keyboard);
}

TEST(KeyState, NoKeyIsHeldOnAKeyboardNobodyTouches) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    EXPECT_EQ(keyState(VK_LEFT), 0);
    EXPECT_EQ(keyState(VK_DOWN), 0);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
