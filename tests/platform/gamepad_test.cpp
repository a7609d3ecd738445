// Pads as the game's second way in: what Back means with and without the menu bar, the
// stick's dead zone and hysteresis, the letters of name entry, and a virtual pad working the
// menu bar and the modal dialog of a window on the offscreen video driver.
#include "platform/gamepad.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/gamepad_controls.h"
#include "platform/window.h"
#include "tests/platform/recorded_window.h"
#include "tests/support/virtual_pad.h"

namespace {

PadTarget screens(PadUse use, bool menuBarShown = true) {
    return PadTarget{use, false, menuBarShown};
}

SDL_Keycode keyOf(PadControl control, const PadTarget& target) {
    const PadMeaning meaning = meaningOf(control, target);
    return meaning.action == PadAction::Key ? meaning.key : SDLK_UNKNOWN;
}

TEST(PadControls, BackOpensTheOptionsMenuWhereTheBarIsShownAndIsEscapeElsewhere) {
    EXPECT_EQ(meaningOf(PadControl::Back, screens(PadUse::Play)).action, PadAction::OpenMenu);
    EXPECT_EQ(keyOf(PadControl::Back, screens(PadUse::Play, false)), SDLK_ESCAPE);
    EXPECT_EQ(keyOf(PadControl::Back, PadTarget{PadUse::Play, true, true}), SDLK_ESCAPE)
        << "and closes an open menu";
}

TEST(PadControls, TheLettersRunFromAToZThenTheDigitsAndSpaceAndRoundAgain) {
    std::string letters(1, kFirstNameLetter);
    for (int i = 0; i < 37; ++i) {
        letters += stepNameLetter(letters.back(), 1);
    }
    EXPECT_EQ(letters, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 A");
    EXPECT_EQ(stepNameLetter('A', -1), ' ');
    EXPECT_EQ(stepNameLetter('A', -2), '9');
    EXPECT_EQ(stepNameLetter('?', 1), 'B') << "an unknown letter counts as A";
    EXPECT_EQ(keyForNameLetter('K'), SDLK_k);
    EXPECT_EQ(keyForNameLetter('7'), SDLK_7);
    EXPECT_EQ(keyForNameLetter(' '), SDLK_SPACE);
}

TEST(PadStick, ADirectionIsTakenBeyondThePressTravelAndLetGoInsideTheDeadZone) {
    EXPECT_EQ(stickDirection(0, 0), 0);
    EXPECT_EQ(stickDirection(0, kStickDeadZone - 1), 0);
    EXPECT_EQ(stickDirection(0, kStickPressTravel - 1), 0) << "between the two, rest stays rest";
    EXPECT_EQ(stickDirection(0, kStickPressTravel), 1);
    EXPECT_EQ(stickDirection(0, -kStickPressTravel), -1);
    EXPECT_EQ(stickDirection(1, kStickPressTravel - 1), 1) << "and held stays held";
    EXPECT_EQ(stickDirection(1, kStickDeadZone), 1);
    EXPECT_EQ(stickDirection(1, kStickDeadZone - 1), 0);
    EXPECT_EQ(stickDirection(-1, -kStickDeadZone), -1);
    EXPECT_EQ(stickDirection(-1, kStickDeadZone), 0) << "swung across the centre";
    EXPECT_EQ(stickDirection(-1, 32767), 1);
    EXPECT_EQ(stickDirection(1, -32768), -1);
}

int countSeen(std::uint32_t message) {
    int count = 0;
    for (const Seen& s : seen()) {
        count += s.message == message ? 1 : 0;
    }
    return count;
}

class PadOnAWindow : public ::testing::Test {
protected:
    void SetUp() override {
        seen().clear();
        window = createRecordedWindow("Pad test");
        ASSERT_NE(window, nullptr) << SDL_GetError();
        showWindow(window);
        drain();
        pad = std::make_unique<VirtualPad>();
        ASSERT_TRUE(pad->plugged()) << SDL_GetError();
        drain();
        ASSERT_EQ(connectedGamepadCount(), 1);
        useGamepadFor(PadUse::Menus);
        seen().clear();
    }
    void TearDown() override {
        pad.reset();
        drain();
        drain();  // the removal may come in SDL's next pass over its devices
        EXPECT_EQ(connectedGamepadCount(), 0);
        destroyRecordedWindow(window);
    }
    void drain() { dispatchQueuedMessages(); }

    WindowHandle window = nullptr;
    std::unique_ptr<VirtualPad> pad;
};

TEST_F(PadOnAWindow, BackOpensTheOptionsMenuAndAChoosesAnItemThere) {
    pad->pushPress(SDL_CONTROLLER_BUTTON_BACK);
    pad->pushPress(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad->pushPress(SDL_CONTROLLER_BUTTON_A);
    pad->pushPress(SDL_CONTROLLER_BUTTON_B);  // closes the menu should A not have taken the item
    drain();
    EXPECT_EQ(countSeen(WM_ENTERMENULOOP), 1);
    EXPECT_EQ(countSeen(WM_EXITMENULOOP), 1);
    std::vector<std::uint32_t> commands;
    for (const Seen& s : seen()) {
        if (s.message == WM_COMMAND) {
            commands.push_back(commandId(s.wParam));
        }
    }
    EXPECT_EQ(commands, std::vector<std::uint32_t>{kCommandToggleBackground});
}

TEST_F(PadOnAWindow, BClosesAnOpenMenuWithoutChoosing) {
    pad->pushPress(SDL_CONTROLLER_BUTTON_BACK);
    pad->pushPress(SDL_CONTROLLER_BUTTON_B);
    pad->pushPress(SDL_CONTROLLER_BUTTON_B);  // in the game again: Escape
    drain();
    EXPECT_EQ(countSeen(WM_EXITMENULOOP), 1);
    EXPECT_EQ(countSeen(WM_COMMAND), 0);
    ASSERT_FALSE(seen().empty());
    EXPECT_EQ(seen().back().message, WM_KEYUP);
    EXPECT_EQ(countSeen(WM_KEYDOWN), 1);
}

TEST_F(PadOnAWindow, TheDialogIsWorkedWithTheDpadAndA) {
    Dialog dialog = twoRadioButtons("Pad");
    pad->pushPress(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    pad->pushPress(SDL_CONTROLLER_BUTTON_A);
    pad->pushPress(SDL_CONTROLLER_BUTTON_B);  // ends the dialog should the pad not have worked it
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, radioProcedure, &commands), kDialogOk);
    EXPECT_EQ(commands, std::vector<int>{601});
    EXPECT_TRUE(dialog.control(601)->checked);
}

TEST_F(PadOnAWindow, BClosesTheDialog) {
    Dialog dialog = twoRadioButtons("Pad");
    pad->pushPress(SDL_CONTROLLER_BUTTON_B);
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, radioProcedure, &commands), kDialogCancel);
    EXPECT_TRUE(dialog.control(600)->checked);
}

}  // namespace
