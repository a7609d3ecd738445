// The modal dialog as the player sees and works it: drawn with Dear ImGui over its owner
// window, worked with the mouse and the keyboard in its own modal loop. Internal to platform/.
#pragma once

#include "platform/dialog.h"
#include "platform/window_internal.h"

// Whether a dialog is running now.
bool dialogRunning();

// Draws the running dialog, if any, into the overlay frame being built.
void drawRunningDialog(WindowRecord& record);

// Runs dialog modally over owner until its procedure ends it: Escape or the dialog's close box
// is Cancel; Enter works the push button that has the keyboard, and elsewhere is the default
// button. The owner's window closing ends it with Cancel.
int runDialogOverWindow(WindowHandle owner, Dialog& dialog, DialogProcedure procedure,
                        void* context);
