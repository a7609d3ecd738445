#include "game/flow/help.h"

void openHelp(const ShellOpenFile& shellOpen) {
    if (shellOpen) {
        shellOpen(kHelpPage);
    }
}
