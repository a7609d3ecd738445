// What the platform tests of a window share: a window procedure that writes down every message
// but paint, and a small dialog of two radio buttons with a procedure that ends it when the
// second is chosen.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dialog.h"
#include "platform/window.h"
#include "tests/support/menu_bar_window.h"

// Each test file has its own recording.
namespace {

struct Seen {
    std::uint32_t message;
    MessageParam wParam;
};

inline std::vector<Seen>& seen() {
    static std::vector<Seen> messages;
    return messages;
}

inline MessageResult recordingProcedure(WindowHandle window, std::uint32_t message,
                                        MessageParam wParam, MessageLong lParam) {
    if (message != WM_PAINT) {
        seen().push_back(Seen{message, wParam});
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}

inline std::vector<std::uint32_t> seenMessages() {
    std::vector<std::uint32_t> numbers;
    for (const Seen& s : seen()) {
        numbers.push_back(s.message);
    }
    return numbers;
}

constexpr std::uint32_t kWindowed = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

// A hidden 320 x 200 desktop window with the menu bar, whose messages are written down;
// nullptr when SDL cannot make it.
inline WindowHandle createRecordedWindow(const char* title) {
    return menu_bar_window::create(title, 320, 200, recordingProcedure, kWindowed);
}

// Hands every message waiting to its window's procedure.
inline void dispatchQueuedMessages() {
    menu_bar_window::drain();
}

// Destroys the window if it still lives, and handles what that left queued.
inline void destroyRecordedWindow(WindowHandle window) {
    if (isWindow(window)) {
        destroyWindow(window);
    }
    dispatchQueuedMessages();
}

// Radio buttons 600 ("first", checked) and 601 ("second") under each other.
inline Dialog twoRadioButtons(const char* caption) {
    Dialog dialog;
    dialog.caption = caption;
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
    return dialog;
}

// Writes down each command's control id (context: a std::vector<int>); ends the dialog with OK
// once 601 is checked, and with Cancel on Cancel.
inline int radioProcedure(Dialog& dialog, int controlId, int, void* context) {
    static_cast<std::vector<int>*>(context)->push_back(controlId);
    if (controlId == 601 && dialog.control(601)->checked) {
        return kDialogOk;
    }
    return controlId == kDialogCancel ? kDialogCancel : -1;
}

}  // namespace
