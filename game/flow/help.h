// The help page, opened from the window menu with the desktop's viewer for it.
#pragma once

constexpr const char* kHelpPage = "help.htm";
