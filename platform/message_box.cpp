#include "platform/message_box.h"

#include <SDL.h>

namespace {

void showSdlMessageBox(const char* caption, const char* text, MessageBoxIcon icon) {
    const Uint32 flags =
        icon == MessageBoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING;
    SDL_ShowSimpleMessageBox(flags, caption, text, nullptr);
}

MessageBoxFunction installedBox = nullptr;

}  // namespace

void showMessageBox(const char* caption, const char* text, MessageBoxIcon icon) {
    (installedBox != nullptr ? installedBox : showSdlMessageBox)(caption, text, icon);
}

MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function) {
    MessageBoxFunction previous = installedBox != nullptr ? installedBox : showSdlMessageBox;
    installedBox = function;
    return previous;
}
