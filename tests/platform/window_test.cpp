// The main window on the offscreen video driver: its size with the menu bar, the message
// queue, the accelerator, and the menu loop and dialog driven by synthetic input.
#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/window.h"
#include "platform/dialog.h"
#include "platform/menu_bar.h"
#include "platform/window_internal.h"
#include "tests/support/menu_bar_window.h"
#include "tests/support/pushed_events.h"

namespace {

struct Seen {
    std::uint32_t message;
    MessageParam wParam;
};

std::vector<Seen>& seen() {
    static std::vector<Seen> messages;
    return messages;
}

MessageResult recordingProcedure(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                 MessageLong lParam) {
    if (message != WM_PAINT) {
        seen().push_back(Seen{message, wParam});
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}

std::vector<std::uint32_t> seenMessages() {
    std::vector<std::uint32_t> numbers;
    for (const Seen& s : seen()) {
        numbers.push_back(s.message);
    }
    return numbers;
}

constexpr std::uint32_t kWindowed = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        seen().clear();
        window = menu_bar_window::create("Window test", 320, 200, recordingProcedure, kWindowed);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        drain();
        seen().clear();
    }
    void TearDown() override {
        if (isWindow(window)) {
            destroyWindow(window);
        }
        drain();
    }
    void drain() { menu_bar_window::drain(); }
    void pushMouse(Uint32 type, int x, int y) { pushed_events::pushMouse(windowId(), type, x, y); }
    void pushKey(Uint32 type, SDL_Keycode key, Uint16 modifiers = KMOD_NONE) {
        pushed_events::pushKey(windowId(), type, key, modifiers);
    }
    void pushWindowEvent(Uint8 kind) { pushed_events::pushWindowEvent(windowId(), kind); }
    // Clicks at a point of the window (mouse moved there first, so the menu sees it hovered).
    void click(int x, int y) {
        pushMouse(SDL_MOUSEMOTION, x, y);
        pushMouse(SDL_MOUSEBUTTONDOWN, x, y);
        pushMouse(SDL_MOUSEBUTTONUP, x, y);
    }
    Uint32 windowId() const {
        SDL_Window* sdl = nullptr;
        for (Uint32 id = 1; id < 64 && sdl == nullptr; ++id) {
            if (SDL_Window* candidate = SDL_GetWindowFromID(id)) {
                if (reinterpret_cast<WindowHandle>(candidate) == window) {
                    return id;
                }
            }
        }
        return 0;
    }

    WindowHandle window = nullptr;
};

TEST_F(WindowTest, TheClientAreaLiesBelowTheMenuBar) {
    EXPECT_EQ(clientRect(window).width(), 320);
    EXPECT_EQ(clientRect(window).height(), 200);
    EXPECT_EQ(windowBounds(window).height(), 200 + kMenuBarHeight);
    EXPECT_TRUE(menuBarShown(window));
    int drawableWidth = 0;
    int drawableHeight = 0;
    frameAreaSize(reinterpret_cast<SDL_Window*>(window), &drawableWidth, &drawableHeight);
    EXPECT_EQ(drawableWidth, 320);
    EXPECT_EQ(drawableHeight, 200);  // the device's frames fill the client area
}

TEST_F(WindowTest, APopupStyleHidesTheMenuBarAndKeepsTheClientSize) {
    setWindowStyle(window, WS_POPUP | WS_SYSMENU);
    EXPECT_FALSE(menuBarShown(window));
    EXPECT_EQ(clientRect(window).height(), 200);
    EXPECT_EQ(windowBounds(window).height(), 200);
    setWindowStyle(window, kWindowed);
    EXPECT_TRUE(menuBarShown(window));
    EXPECT_EQ(clientRect(window).height(), 200);
}

TEST_F(WindowTest, PostedMessagesArriveInOrderAndQuitComesLast) {
    postQuitMessage(3);
    postMessage(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 7);
    postMessage(window, WM_COMMAND, menuCommand(kCommandHelp), 0);
    WindowMessage message;
    ASSERT_TRUE(getMessage(message));
    EXPECT_EQ(message.message, MM_MCINOTIFY);
    EXPECT_EQ(message.lParam, 7);
    ASSERT_TRUE(getMessage(message));
    EXPECT_EQ(message.message, WM_COMMAND);
    EXPECT_FALSE(getMessage(message));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
}

TEST_F(WindowTest, MessagesForAClosedWindowAreDropped) {
    postMessage(window, WM_COMMAND, menuCommand(kCommandHelp), 0);
    destroyWindow(window);
    WindowMessage message;
    EXPECT_FALSE(peekMessage(message, true));
    EXPECT_EQ(sendMessage(window, WM_CLOSE, 0, 0), 0);
}

TEST_F(WindowTest, AltEnterIsCommandFortyThousandThree) {
    const WindowMessage altEnter{window, WM_SYSKEYDOWN, VK_RETURN, kKeyAltHeldBit};
    EXPECT_TRUE(translateAccelerator(window, altEnter));
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].message, WM_COMMAND);
    EXPECT_EQ(commandId(seen()[0].wParam), kCommandToggleFullscreen);
    const WindowMessage enter{window, WM_KEYDOWN, VK_RETURN, 0};
    EXPECT_FALSE(translateAccelerator(window, enter));
    const WindowMessage repeated{window, WM_SYSKEYDOWN, VK_RETURN, kKeyAltHeldBit | kKeyWasDownBit};
    EXPECT_FALSE(translateAccelerator(window, repeated));
}

TEST_F(WindowTest, F2IsTheVideoModeCommandLikeTheMenuItem) {
    EXPECT_TRUE(translateAccelerator(window, WindowMessage{window, WM_KEYDOWN, VK_F2, 0}));
    ASSERT_EQ(seen().size(), 1u);
    EXPECT_EQ(seen()[0].message, WM_COMMAND);
    EXPECT_EQ(commandId(seen()[0].wParam), kCommandChangeVideoMode);
    EXPECT_FALSE(
        translateAccelerator(window, WindowMessage{window, WM_KEYDOWN, VK_F2, kKeyWasDownBit}));
    EXPECT_FALSE(translateAccelerator(window, WindowMessage{window, WM_KEYUP, VK_F2, 0}));
    EXPECT_FALSE(translateAccelerator(window, WindowMessage{window, WM_KEYDOWN, VK_F1, 0}));
    EXPECT_EQ(seen().size(), 1u);
}

TEST_F(WindowTest, ChoosingAMenuItemRunsTheMenuLoopThenSendsItsCommand) {
    // Open "Options", then take its first item.
    pushMouse(SDL_MOUSEMOTION, 20, 10);
    pushMouse(SDL_MOUSEBUTTONDOWN, 20, 10);
    pushMouse(SDL_MOUSEBUTTONUP, 20, 10);
    click(40, 32);
    drain();
    const std::vector<std::uint32_t> expected = {WM_NCHITTEST, WM_SYSCOMMAND, WM_ENTERMENULOOP,
                                                 WM_EXITMENULOOP, WM_COMMAND};
    ASSERT_EQ(seenMessages(), expected);
    EXPECT_EQ(seen()[1].wParam, SC_MOUSEMENU);
    EXPECT_EQ(seen()[4].wParam, menuCommand(kCommandChangeVideoMode));
}

TEST_F(WindowTest, HelpOnTheBarIsACommandToo) {
    click(95, 10);
    drain();
    ASSERT_FALSE(seen().empty());
    EXPECT_EQ(seen().back().message, WM_COMMAND);
    EXPECT_EQ(seen().back().wParam, menuCommand(kCommandHelp));
}

TEST_F(WindowTest, EscapeClosesAnOpenMenuWithoutACommand) {
    click(20, 10);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    drain();
    EXPECT_EQ(seenMessages(), (std::vector<std::uint32_t>{WM_NCHITTEST, WM_SYSCOMMAND,
                                                          WM_ENTERMENULOOP, WM_EXITMENULOOP}));
}

TEST_F(WindowTest, AltAloneOpensTheMenuButAltEnterDoesNot) {
    pushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    pushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
    pushKey(SDL_KEYUP, SDLK_RETURN, KMOD_LALT);
    pushKey(SDL_KEYUP, SDLK_LALT, KMOD_NONE);
    drain();
    for (const Seen& s : seen()) {
        EXPECT_NE(s.message, WM_SYSCOMMAND);
    }
    seen().clear();
    pushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    pushKey(SDL_KEYUP, SDLK_LALT, KMOD_NONE);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // closes the menu the Alt key opened
    drain();
    bool keyMenu = false;
    bool enteredMenu = false;
    for (const Seen& s : seen()) {
        keyMenu = keyMenu || (s.message == WM_SYSCOMMAND && s.wParam == SC_KEYMENU);
        enteredMenu = enteredMenu || s.message == WM_ENTERMENULOOP;
    }
    EXPECT_TRUE(keyMenu);
    EXPECT_TRUE(enteredMenu);
}

TEST_F(WindowTest, AnAltReleaseThatComesWithAFocusLossOpensNoMenu) {
    // Alt+Tab to another window: the window system takes the Tab, and SDL lets go of the Alt
    // key it still thinks held just before it reports the focus loss.
    pushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    pushKey(SDL_KEYUP, SDLK_LALT, KMOD_NONE);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // closes the menu should one have opened
    drain();
    for (const Seen& s : seen()) {
        EXPECT_NE(s.message, WM_ENTERMENULOOP);
        EXPECT_FALSE(s.message == WM_SYSCOMMAND && s.wParam == SC_KEYMENU);
    }
    EXPECT_NE(std::find(seenMessages().begin(), seenMessages().end(), WM_KILLFOCUS),
              seenMessages().end());
}

TEST_F(WindowTest, AMenuOpenedByAltIsWorkedWithTheArrowsAndEnter) {
    // Alt opens "Options" with its first item highlighted; Down goes to the second, Enter
    // takes it.
    pushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    pushKey(SDL_KEYUP, SDLK_LALT, KMOD_NONE);
    for (SDL_Keycode key : {SDLK_DOWN, SDLK_RETURN}) {
        pushKey(SDL_KEYDOWN, key);
        pushKey(SDL_KEYUP, key);
    }
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // closes the menu should Enter not have taken the item
    drain();
    std::vector<MessageParam> commands;
    for (const Seen& s : seen()) {
        if (s.message == WM_COMMAND) {
            commands.push_back(s.wParam);
        }
    }
    EXPECT_EQ(commands, std::vector<MessageParam>{menuCommand(kCommandToggleBackground)});
}

// The messages seen between entering the menu loop and leaving it.
std::vector<std::uint32_t> seenDuringTheMenuLoop() {
    const std::vector<std::uint32_t> all = seenMessages();
    const auto entered = std::find(all.begin(), all.end(), WM_ENTERMENULOOP);
    const auto left = std::find(entered, all.end(), WM_EXITMENULOOP);
    if (entered == all.end() || left == all.end()) {
        return {};
    }
    return std::vector<std::uint32_t>(entered + 1, left);
}

TEST_F(WindowTest,
       WhileAMenuIsOpenTheWindowHearsEverythingButKeysAndMouseAndLosingTheFocusClosesIt) {
    click(20, 10);  // "Options"
    pushKey(SDL_KEYDOWN, SDLK_p);
    pushKey(SDL_KEYUP, SDLK_p);
    pushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED);
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    postMessage(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // closes the menu should the focus loss not have
    drain();
    EXPECT_EQ(seenDuringTheMenuLoop(),
              (std::vector<std::uint32_t>{WM_ENTERSIZEMOVE, WM_SIZE, WM_EXITSIZEMOVE, WM_SIZE,
                                          WM_SIZE, MM_MCINOTIFY, WM_KILLFOCUS}));
    for (const Seen& s : seen()) {
        EXPECT_FALSE(s.message == WM_KEYDOWN && s.wParam == 'P')
            << "a key reached the window through an open menu";
    }
    EXPECT_FALSE(menuOpen());
}

int countingProcedure(Dialog&, int controlId, int, void* context) {
    static_cast<std::vector<int>*>(context)->push_back(controlId);
    return controlId == kDialogCancel || controlId == kDialogOk ? controlId : -1;
}

TEST_F(WindowTest, TheModalDialogEndsWithCancelOnEscapeAndOkOnEnter) {
    Dialog dialog;
    dialog.caption = "Test";
    dialog.width = 100;
    dialog.height = 50;
    std::vector<int> commands;
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_EQ(runModalDialog(window, dialog, countingProcedure, &commands), kDialogCancel);
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    EXPECT_EQ(runModalDialog(window, dialog, countingProcedure, &commands), kDialogOk);
    EXPECT_EQ(commands, (std::vector<int>{kDialogCancel, kDialogOk}));
}

bool menuOpenWhenCancelled = false;

TEST_F(WindowTest, WhileTheDialogIsOpenTheWindowHearsEverythingButKeysAndMouse) {
    Dialog dialog;
    dialog.caption = "Modal";
    dialog.width = 100;
    dialog.height = 50;
    pushKey(SDL_KEYDOWN, SDLK_p);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED);
    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    postMessage(window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 1);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, countingProcedure, &commands), kDialogCancel);
    EXPECT_EQ(seenMessages(),
              (std::vector<std::uint32_t>{WM_KILLFOCUS, WM_ENTERSIZEMOVE, WM_SIZE, WM_EXITSIZEMOVE,
                                          WM_SIZE, WM_SIZE, MM_MCINOTIFY, WM_SETFOCUS}));
    EXPECT_EQ(seen()[4].wParam, SIZE_MINIMIZED);
}

TEST_F(WindowTest, ClosingTheWindowEndsTheDialogWithCancelAndTheCloseStaysQueued) {
    Dialog dialog;
    dialog.caption = "Modal";
    dialog.width = 100;
    dialog.height = 50;
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, countingProcedure, &commands), kDialogCancel);
    EXPECT_EQ(commands, std::vector<int>{kDialogCancel});
    EXPECT_TRUE(isWindow(window));
    WindowMessage message;
    ASSERT_TRUE(peekMessage(message, true));
    EXPECT_EQ(message.message, WM_CLOSE);
}

int menuWatchingProcedure(Dialog&, int controlId, int, void*) {
    if (controlId == kDialogCancel) {
        menuOpenWhenCancelled = menuOpen();
        return kDialogCancel;
    }
    return -1;
}

TEST_F(WindowTest, TheMenuBarStaysShutWhileTheModalDialogIsUp) {
    Dialog dialog;
    dialog.caption = "Modal";
    dialog.width = 100;
    dialog.height = 50;
    click(20, 10);  // "Options"
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    menuOpenWhenCancelled = true;
    EXPECT_EQ(runModalDialog(window, dialog, menuWatchingProcedure, nullptr), kDialogCancel);
    EXPECT_FALSE(menuOpenWhenCancelled);
    drain();
    for (const Seen& s : seen()) {
        EXPECT_NE(s.message, WM_COMMAND);
    }
}

int radioProcedure(Dialog& dialog, int controlId, int, void* context) {
    static_cast<std::vector<int>*>(context)->push_back(controlId);
    if (controlId == 601 && dialog.control(601)->checked) {
        return kDialogOk;
    }
    return controlId == kDialogCancel ? kDialogCancel : -1;
}

TEST_F(WindowTest, TheDialogIsWorkedWithTheArrowsAndSpace) {
    Dialog dialog;
    dialog.caption = "Keys";
    dialog.width = 100;
    dialog.height = 50;
    for (int id : {600, 601}) {
        DialogControl radio;
        radio.kind = ControlKind::RadioButton;
        radio.id = id;
        radio.text = id == 600 ? "first" : "second";
        radio.x = 10;
        radio.y = id == 600 ? 5 : 20;
        radio.width = 80;
        radio.height = 10;
        radio.checked = id == 600;
        dialog.controls.push_back(radio);
    }
    for (SDL_Keycode key : {SDLK_DOWN, SDLK_SPACE}) {
        pushKey(SDL_KEYDOWN, key);
        pushKey(SDL_KEYUP, key);
    }
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // ends the dialog should the keys not have worked it
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, radioProcedure, &commands), kDialogOk);
    EXPECT_EQ(commands, std::vector<int>{601});
    EXPECT_FALSE(dialog.control(600)->checked);
}

int recordingProcedure(Dialog&, int controlId, int, void* context) {
    static_cast<std::vector<int>*>(context)->push_back(controlId);
    return controlId == kDialogOk || controlId == kDialogCancel ? controlId : -1;
}

// A list, a group of two radio buttons with the second checked, then OK and Cancel.
Dialog tabbingDialog() {
    Dialog dialog;
    dialog.caption = "Tabs";
    dialog.width = 120;
    dialog.height = 80;
    const auto add = [&dialog](ControlKind kind, int id, int x, int y, int height) {
        DialogControl control;
        control.kind = kind;
        control.id = id;
        control.text = "control " + std::to_string(id);
        control.x = x;
        control.y = y;
        control.width = 45;
        control.height = height;
        dialog.controls.push_back(control);
        return &dialog.controls.back();
    };
    add(ControlKind::DropDownList, 500, 10, 5, 40)->addItem("only", 0);
    add(ControlKind::RadioButton, 600, 10, 25, 10)->firstOfGroup = true;
    add(ControlKind::RadioButton, 601, 10, 37, 10)->checked = true;
    add(ControlKind::DefaultButton, kDialogOk, 10, 55, 14);
    add(ControlKind::Button, kDialogCancel, 60, 55, 14);
    return dialog;
}

TEST_F(WindowTest, TabGoesFromControlToControlAndOnceIntoARadioGroupAtItsCheckedButton) {
    Dialog dialog = tabbingDialog();
    // From the list: Tab to the checked radio button (Space works it), Tab to OK, Tab to
    // Cancel, Space.
    for (SDL_Keycode key : {SDLK_TAB, SDLK_SPACE, SDLK_TAB, SDLK_TAB, SDLK_SPACE}) {
        pushKey(SDL_KEYDOWN, key);
        pushKey(SDL_KEYUP, key);
    }
    pushKey(SDL_KEYDOWN, SDLK_RETURN);  // ends the dialog should Tab not have moved
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, recordingProcedure, &commands), kDialogCancel);
    EXPECT_EQ(commands, (std::vector<int>{601, kDialogCancel}));
}

TEST_F(WindowTest, EnterWorksThePushButtonThatHasTheKeyboard) {
    Dialog dialog = tabbingDialog();
    // From the list to the radio button, to OK, to Cancel; Enter there is Cancel.
    for (int step = 0; step < 3; ++step) {
        pushKey(SDL_KEYDOWN, SDLK_TAB);
        pushKey(SDL_KEYUP, SDLK_TAB);
    }
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, recordingProcedure, &commands), kDialogCancel);
    EXPECT_EQ(commands, std::vector<int>{kDialogCancel});
}

TEST_F(WindowTest, EnterAwayFromThePushButtonsIsTheDefaultButton) {
    Dialog dialog = tabbingDialog();
    pushKey(SDL_KEYDOWN, SDLK_TAB);  // to the radio button
    pushKey(SDL_KEYUP, SDLK_TAB);
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, recordingProcedure, &commands), kDialogOk);
    EXPECT_EQ(commands, std::vector<int>{kDialogOk});
}

TEST_F(WindowTest, ShiftTabGoesBackRoundTheEnd) {
    Dialog dialog = tabbingDialog();
    dialog.control(600)->checked = true;  // and 601 disabled: the group's stop is 600
    dialog.control(601)->checked = false;
    dialog.control(601)->enabled = false;
    // From the list back round to Cancel, back to OK, back to the radio button, Space.
    for (int step = 0; step < 3; ++step) {
        pushKey(SDL_KEYDOWN, SDLK_TAB, KMOD_LSHIFT);
        pushKey(SDL_KEYUP, SDLK_TAB, KMOD_LSHIFT);
    }
    pushKey(SDL_KEYDOWN, SDLK_SPACE);
    pushKey(SDL_KEYUP, SDLK_SPACE);
    pushKey(SDL_KEYDOWN, SDLK_RETURN);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // ends the dialog should the keys have opened the list
    std::vector<int> commands;
    EXPECT_EQ(runModalDialog(window, dialog, recordingProcedure, &commands), kDialogOk);
    EXPECT_EQ(commands, (std::vector<int>{600, kDialogOk}));
}

TEST(Desktop, TheDesktopRectangleIsTheFirstDisplaysMode) {
    const WindowRect desktop = desktopRect();
    EXPECT_EQ(desktop.left, 0);
    EXPECT_EQ(desktop.top, 0);
    EXPECT_GT(desktop.width(), 0);
    EXPECT_GT(desktop.height(), 0);
}

}  // namespace

namespace {

struct ListCommand {
    int controlId;
    int notification;
    int selected;
};

int recordingListProcedure(Dialog& dialog, int controlId, int notification, void* context) {
    const DialogControl* list = dialog.control(500);
    static_cast<std::vector<ListCommand>*>(context)->push_back(
        ListCommand{controlId, notification, list->selected});
    if (controlId == kDialogCancel) {
        return kDialogCancel;
    }
    return controlId == 500 ? kDialogOk : -1;
}

// A dialog holding one list (id 500) of three items, the first selected.
Dialog listDialog() {
    Dialog dialog;
    dialog.caption = "Lists";
    dialog.width = 100;
    dialog.height = 50;
    DialogControl list;
    list.kind = ControlKind::DropDownList;
    list.id = 500;
    list.x = 10;
    list.y = 10;
    list.width = 80;
    list.height = 60;
    list.addItem("first", 0);
    list.addItem("second", 1);
    list.addItem("third", 2);
    list.selected = 0;
    dialog.controls.push_back(list);
    return dialog;
}

TEST_F(WindowTest, AListInTheDialogOpensOnAClickAndConfirmsTheItemChosen) {
    Dialog dialog = listDialog();
    // The dialog is centred on the client area; its list lies at (100, 104) and is 20 high.
    click(110, 113);
    click(110, 152);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // ends the dialog should the list not have opened
    std::vector<ListCommand> commands;
    EXPECT_EQ(runModalDialog(window, dialog, recordingListProcedure, &commands), kDialogOk);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].controlId, 500);
    EXPECT_EQ(commands[0].notification, kNotifySelectionConfirmed);
    EXPECT_GT(commands[0].selected, 0);
}

TEST_F(WindowTest, AListIsWorkedFromTheKeyboardAndEscapeInItOnlyClosesIt) {
    Dialog dialog = listDialog();
    // Space opens the list, Escape shuts it; Space again, Down to "second", Enter takes it.
    for (SDL_Keycode key : {SDLK_SPACE, SDLK_ESCAPE, SDLK_SPACE, SDLK_DOWN, SDLK_RETURN}) {
        pushKey(SDL_KEYDOWN, key);
        pushKey(SDL_KEYUP, key);
    }
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);  // ends the dialog should the keys not have worked it
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    std::vector<ListCommand> commands;
    EXPECT_EQ(runModalDialog(window, dialog, recordingListProcedure, &commands), kDialogOk);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].controlId, 500);
    EXPECT_EQ(commands[0].selected, 1);
}

}  // namespace
