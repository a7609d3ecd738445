#include "platform/gamepad_controls.h"

#include <cstring>

namespace {

constexpr char kNameLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
constexpr int kNameLetterCount = static_cast<int>(sizeof kNameLetters - 1);

int letterPosition(char letter) {
    const void* found = std::memchr(kNameLetters, letter, kNameLetterCount);
    return found == nullptr ? 0 : static_cast<int>(static_cast<const char*>(found) - kNameLetters);
}

PadMeaning key(SDL_Keycode keycode) {
    return PadMeaning{PadAction::Key, keycode};
}

PadMeaning act(PadAction action) {
    return PadMeaning{action, SDLK_UNKNOWN};
}

SDL_Keycode arrowKey(PadControl control) {
    switch (control) {
        case PadControl::Up:
            return SDLK_UP;
        case PadControl::Down:
            return SDLK_DOWN;
        case PadControl::Left:
            return SDLK_LEFT;
        default:
            return SDLK_RIGHT;
    }
}

bool isDirection(PadControl control) {
    return control == PadControl::Up || control == PadControl::Down ||
           control == PadControl::Left || control == PadControl::Right;
}

// The open menu and the dialog: the arrows move, A works the control under the keyboard
// (Space), Start is Enter, B and Back close.
PadMeaning meaningInModalLoop(PadControl control) {
    switch (control) {
        case PadControl::South:
            return key(SDLK_SPACE);
        case PadControl::Start:
            return key(SDLK_RETURN);
        case PadControl::East:
        case PadControl::Back:
            return key(SDLK_ESCAPE);
        default:
            return isDirection(control) ? key(arrowKey(control)) : act(PadAction::None);
    }
}

PadMeaning meaningInNameEntry(PadControl control) {
    switch (control) {
        case PadControl::Up:
            return act(PadAction::PreviousLetter);
        case PadControl::Down:
            return act(PadAction::NextLetter);
        case PadControl::Right:
        case PadControl::South:
            return act(PadAction::TakeLetter);
        case PadControl::Left:
        case PadControl::East:
            return key(SDLK_BACKSPACE);
        case PadControl::Start:
            return key(SDLK_RETURN);
        default:
            return act(PadAction::None);
    }
}

PadMeaning meaningOnScreens(PadControl control, const PadTarget& target) {
    switch (control) {
        case PadControl::South:
            return key(target.use == PadUse::Play ? SDLK_UP : SDLK_RETURN);
        case PadControl::Start:
            return key(target.use == PadUse::Play ? SDLK_p : SDLK_RETURN);
        case PadControl::East:
            return key(SDLK_ESCAPE);
        case PadControl::West:
        case PadControl::North:
            return key(SDLK_SPACE);
        case PadControl::Back:
            return target.menuBarShown ? act(PadAction::OpenMenu) : key(SDLK_ESCAPE);
        default:
            return key(arrowKey(control));
    }
}

}  // namespace

int stickDirection(int heldBefore, int axisValue) {
    if (axisValue <= -kStickPressTravel) {
        return -1;
    }
    if (axisValue >= kStickPressTravel) {
        return 1;
    }
    const bool stillOut = heldBefore < 0 ? axisValue <= -kStickDeadZone
                                         : heldBefore > 0 && axisValue >= kStickDeadZone;
    return stillOut ? heldBefore : 0;
}

char stepNameLetter(char letter, int steps) {
    const int position =
        ((letterPosition(letter) + steps) % kNameLetterCount + kNameLetterCount) % kNameLetterCount;
    return kNameLetters[position];
}

SDL_Keycode keyForNameLetter(char letter) {
    if (letter >= 'A' && letter <= 'Z') {
        return static_cast<SDL_Keycode>('a' + (letter - 'A'));
    }
    if (letter >= '0' && letter <= '9') {
        return static_cast<SDL_Keycode>(letter);
    }
    return SDLK_SPACE;
}

PadMeaning meaningOf(PadControl control, const PadTarget& target) {
    if (target.modalLoop) {
        return meaningInModalLoop(control);
    }
    if (target.use == PadUse::NameEntry) {
        return meaningInNameEntry(control);
    }
    return meaningOnScreens(control, target);
}

bool repeatsWhileHeld(PadControl control) {
    return isDirection(control);
}
