// Modal dialogs: a caption and a list of controls laid out in dialog units, drawn over the
// owner window while the user works with them. The dialog's behaviour lives in a dialog
// procedure that reads and changes the controls' state, so it can be driven without drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/messages.h"

enum class ControlKind { GroupBox, Label, DropDownList, RadioButton, DefaultButton, Button };

// Control id of controls nobody addresses (labels, group boxes).
constexpr int kStaticControlId = -1;
// Ids of the two buttons that end a dialog, and the results they stand for.
constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;

// Notification codes of a command from a control.
constexpr int kNotifyClicked = 0;             // a button or radio button was clicked
constexpr int kNotifySelectionConfirmed = 9;  // a drop-down list's choice was confirmed

struct DialogControl {
    ControlKind kind = ControlKind::Label;
    int id = kStaticControlId;
    std::string text;  // '&' marks the keyboard mnemonic, as in menus
    int x = 0;         // position and size in dialog units
    int y = 0;
    int width = 0;
    int height = 0;
    bool firstOfGroup = false;  // radio buttons: starts a new group

    // State, changed by the user and by the dialog procedure.
    bool enabled = true;
    bool checked = false;                // radio buttons
    std::vector<std::string> items;      // drop-down lists
    std::vector<std::int64_t> itemData;  // one value per item
    int selected = -1;                   // selected item, -1 for none

    // Empties a list.
    void clearItems();
    // Appends an item with its data; returns its position.
    int addItem(const std::string& itemText, std::int64_t data);
};

struct Dialog {
    std::string caption;
    int width = 0;  // dialog units
    int height = 0;
    std::vector<DialogControl> controls;

    // The control with an id (nullptr if there is none).
    DialogControl* control(int id);
};

// The dialog's behaviour: called for each command with the control's id and notification
// code; returns -1 to go on, or the result to end the dialog with.
using DialogProcedure = int (*)(Dialog& dialog, int controlId, int notification, void* context);

// The radio buttons controls[first..end) of the group the radio button at `index` is in: from
// the button that starts it (or the first of the run) to the next start or other control.
struct RadioGroup {
    std::size_t first;
    std::size_t end;
};
RadioGroup radioGroupAround(const std::vector<DialogControl>& controls, std::size_t index);

// What the user does to a dialog, applied the way the window system applies it before the
// procedure hears of the command: a radio button click checks it and clears the others of its
// group; a confirmed list choice selects the item.
void clickRadioButton(Dialog& dialog, int controlId);
void selectListItem(Dialog& dialog, int controlId, int item);

// Runs a dialog modally over owner until its procedure ends it; returns that result. Closing
// the dialog's box or pressing Escape is Cancel; Enter works the push button that has the
// keyboard, and elsewhere is the default button. Meanwhile the owner's procedure goes on
// hearing every message but the keyboard's and the mouse's; the owner closing is Cancel.
int runModalDialog(WindowHandle owner, Dialog& dialog, DialogProcedure procedure, void* context);

// Replaces the modal runner (nullptr puts the real one back); returns the one before. Tests
// install a runner that plays the user's part.
using ModalDialogRunner = int (*)(WindowHandle owner, Dialog& dialog, DialogProcedure procedure,
                                  void* context);
ModalDialogRunner setModalDialogRunner(ModalDialogRunner runner);
