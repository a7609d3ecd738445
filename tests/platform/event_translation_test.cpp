#include "platform/event_translation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

WindowHandle fakeWindow() {
    return reinterpret_cast<WindowHandle>(0x1000);
}

EventWindowInfo windowInfo() {
    return EventWindowInfo{fakeWindow(), 20, 640, 480};
}

std::vector<WindowMessage> translate(const SDL_Event& event,
                                     const EventWindowInfo& info = windowInfo()) {
    WindowMessage messages[kMaxMessagesPerEvent];
    const std::size_t count = translateEvent(event, info, messages);
    return std::vector<WindowMessage>(messages, messages + count);
}

SDL_Event windowEvent(Uint8 kind) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    return event;
}

SDL_Event keyEvent(Uint32 type, SDL_Keycode key, Uint16 modifiers, bool repeat = false) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat ? 1 : 0;
    return event;
}

std::vector<std::uint32_t> messageNumbers(const std::vector<WindowMessage>& messages) {
    std::vector<std::uint32_t> numbers;
    for (const WindowMessage& message : messages) {
        EXPECT_EQ(message.window, fakeWindow());
        numbers.push_back(message.message);
    }
    return numbers;
}

TEST(EventTranslation, KeyPressesBecomeKeyDownWithTheVirtualKey) {
    const auto messages = translate(keyEvent(SDL_KEYDOWN, SDLK_a, KMOD_NONE));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, WM_KEYDOWN);
    EXPECT_EQ(messages[0].wParam, static_cast<MessageParam>('A'));
    EXPECT_EQ(messages[0].lParam & kKeyWasDownBit, 0);

    const auto repeated = translate(keyEvent(SDL_KEYDOWN, SDLK_DOWN, KMOD_NONE, true));
    ASSERT_EQ(repeated.size(), 1u);
    EXPECT_EQ(repeated[0].message, WM_KEYDOWN);
    EXPECT_EQ(repeated[0].wParam, VK_DOWN);
    EXPECT_NE(repeated[0].lParam & kKeyWasDownBit, 0);

    const auto released = translate(keyEvent(SDL_KEYUP, SDLK_DOWN, KMOD_NONE));
    ASSERT_EQ(released.size(), 1u);
    EXPECT_EQ(released[0].message, WM_KEYUP);
}

TEST(EventTranslation, AltCombinationsAreSystemKeysNotKeyDowns) {
    const auto messages = translate(keyEvent(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(messages[0].wParam, VK_RETURN);
    EXPECT_NE(messages[0].lParam & kKeyAltHeldBit, 0);
    EXPECT_EQ(translate(keyEvent(SDL_KEYUP, SDLK_x, KMOD_RALT))[0].message, WM_SYSKEYUP);
}

TEST(EventTranslation, KeysWithoutACodeGiveNoMessage) {
    EXPECT_TRUE(translate(keyEvent(SDL_KEYDOWN, SDLK_AUDIOPLAY, KMOD_NONE)).empty());
}

TEST(EventTranslation, KeypadFiveIsClearWithoutNumLock) {
    EXPECT_EQ(translate(keyEvent(SDL_KEYDOWN, SDLK_KP_5, KMOD_NONE))[0].wParam, VK_CLEAR);
    EXPECT_EQ(translate(keyEvent(SDL_KEYDOWN, SDLK_KP_5, KMOD_NUM))[0].wParam, VK_NUMPAD5);
}

TEST(EventTranslation, WindowEventsBecomeTheirMessages) {
    EXPECT_EQ(messageNumbers(translate(windowEvent(SDL_WINDOWEVENT_CLOSE))),
              std::vector<std::uint32_t>{WM_CLOSE});
    EXPECT_EQ(messageNumbers(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED))),
              std::vector<std::uint32_t>{WM_SETFOCUS});
    EXPECT_EQ(messageNumbers(translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST))),
              std::vector<std::uint32_t>{WM_KILLFOCUS});
    EXPECT_EQ(messageNumbers(translate(windowEvent(SDL_WINDOWEVENT_EXPOSED))),
              std::vector<std::uint32_t>{WM_PAINT});
}

TEST(EventTranslation, MinimiseAndRestoreAreSizeMessages) {
    const auto minimised = translate(windowEvent(SDL_WINDOWEVENT_MINIMIZED));
    ASSERT_EQ(minimised.size(), 1u);
    EXPECT_EQ(minimised[0].message, WM_SIZE);
    EXPECT_EQ(minimised[0].wParam, SIZE_MINIMIZED);
    const auto restored = translate(windowEvent(SDL_WINDOWEVENT_RESTORED));
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].message, WM_SIZE);
    EXPECT_EQ(restored[0].wParam, SIZE_RESTORED);
    EXPECT_EQ(lowWord(restored[0].lParam), 640);
    EXPECT_EQ(highWord(restored[0].lParam), 480);
}

TEST(EventTranslation, AFinishedResizeIsWrappedInSizeMoveMessages) {
    EXPECT_EQ(messageNumbers(translate(windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED))),
              (std::vector<std::uint32_t>{WM_ENTERSIZEMOVE, WM_SIZE, WM_EXITSIZEMOVE}));
    EXPECT_EQ(messageNumbers(translate(windowEvent(SDL_WINDOWEVENT_MOVED))),
              (std::vector<std::uint32_t>{WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE}));
}

TEST(EventTranslation, MouseMotionIsInClientCoordinatesBelowTheMenuBar) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 30;
    motion.motion.y = 70;
    const auto messages = translate(motion);
    ASSERT_EQ(messageNumbers(messages), (std::vector<std::uint32_t>{WM_SETCURSOR, WM_MOUSEMOVE}));
    EXPECT_EQ(lowWord(messages[1].lParam), 30);
    EXPECT_EQ(highWord(messages[1].lParam), 50);

    motion.motion.y = 5;  // over the menu bar
    EXPECT_TRUE(translate(motion).empty());
}

TEST(EventTranslation, RightClickAsksForAContextMenu) {
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONUP;
    click.button.button = SDL_BUTTON_RIGHT;
    click.button.y = 100;
    EXPECT_EQ(messageNumbers(translate(click)), std::vector<std::uint32_t>{WM_CONTEXTMENU});
    click.button.button = SDL_BUTTON_LEFT;
    EXPECT_TRUE(translate(click).empty());
}

TEST(EventTranslation, EventsForOtherWindowsAreDropped) {
    EXPECT_TRUE(translate(windowEvent(SDL_WINDOWEVENT_CLOSE), EventWindowInfo{}).empty());
}

}  // namespace
