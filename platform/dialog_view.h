// The modal dialog as the player sees and works it: drawn with Dear ImGui over its owner
// window, worked with the mouse and the keyboard in its own modal loop. Internal to platform/.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/window_internal.h"

// Where a control of the dialog stood in a frame, in window pixels: the whole of what it drew
// (a radio button's circle with its text, a list's face, a group box's frame).
struct DrawnControlBox {
    int id;
    ControlKind kind;
    std::string text;
    float left, top, right, bottom;
};

// The controls of the latest frame of a dialog, in their order, and the tooltip it showed
// (empty for none). They stay after the dialog ends, until the next one is drawn.
const std::vector<DrawnControlBox>& latestDialogBoxes();
const std::string& latestDialogTooltip();

// Whether a dialog is running now.
bool dialogRunning();

// Draws the running dialog, if any, into the overlay frame being built.
void drawRunningDialog(WindowRecord& record);

// Runs dialog modally over owner until its procedure ends it: Escape or the dialog's close box
// is Cancel; Enter works the push button that has the keyboard, and elsewhere is the default
// button. The owner's window closing ends it with Cancel.
int runDialogOverWindow(WindowHandle owner, Dialog& dialog, DialogProcedure procedure,
                        void* context);
