#include "platform/gamepad.h"

#include <algorithm>
#include <array>

#include "platform/clock.h"
#include "platform/gamepad_events.h"
#include "platform/keys.h"

namespace {

constexpr int kMaxPads = 8;
constexpr int kDirectionCount = 4;
constexpr std::uint32_t kVirtualKeyCount = 256;

struct Pad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    bool dpad[kDirectionCount] = {};  // Up, Down, Left, Right, as PadControl numbers them
    int stickX = 0;                   // -1, 0, +1
    int stickY = 0;
    bool pressed[kPadControlCount] = {};
    PadMeaning meaningPressed[kPadControlCount] = {};  // what each held control was pressed as
    SDL_Keycode keyDown[kPadControlCount] = {};        // the key it holds down, if any
};

// The held direction that repeats: the one pressed last, as with the keyboard.
struct HeldRepeat {
    int pad = -1;
    PadControl control = PadControl::Up;
    std::uint32_t dueAt = 0;
};

std::array<Pad, kMaxPads> pads;
HeldRepeat repeat;
PadUse currentUse = PadUse::Menus;
char letterAtCursor = kFirstNameLetter;
int heldKeyCount[kVirtualKeyCount] = {};
bool layerStarted = false;
bool layerFailed = false;

// The millisecond clock the repeats keep time by (the frame timer's, so tests can move it).
std::uint32_t repeatClock() {
    return currentClockSource().queryMilliseconds();
}

int index(PadControl control) {
    return static_cast<int>(control);
}

std::uint32_t virtualKeyOf(SDL_Keycode key) {
    const std::uint32_t virtualKey = virtualKeyFromSdl(key, KMOD_NONE);
    return virtualKey < kVirtualKeyCount ? virtualKey : 0;
}

void forgetPads() {
    pads = {};
    repeat = HeldRepeat{};
    std::fill(std::begin(heldKeyCount), std::end(heldKeyCount), 0);
}

Pad* padWithId(SDL_JoystickID id) {
    for (Pad& pad : pads) {
        if (pad.controller != nullptr && pad.id == id) {
            return &pad;
        }
    }
    return nullptr;
}

int slotOf(const Pad& pad) {
    return static_cast<int>(&pad - pads.data());
}

void addKeyEvent(PadOutput& out, const PadSituation& situation, Uint32 type, SDL_Keycode key,
                 bool repeated) {
    if (out.keyCount >= kMaxPadKeyEvents) {
        return;
    }
    SDL_Event& event = out.keys[out.keyCount++];
    event = SDL_Event{};
    event.type = type;
    event.key.timestamp = SDL_GetTicks();
    event.key.windowID = situation.windowId;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeated ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    event.key.keysym.mod = KMOD_NONE;
}

PadTarget targetIn(const PadSituation& situation) {
    return PadTarget{currentUse, situation.modalLoop, situation.menuBarShown};
}

SDL_Keycode keyOfMeaning(const PadMeaning& meaning) {
    switch (meaning.action) {
        case PadAction::Key:
            return meaning.key;
        case PadAction::TakeLetter:
            return keyForNameLetter(letterAtCursor);
        default:
            return SDLK_UNKNOWN;
    }
}

// Does what a control means, once: on its press and on each of its repeats.
void actOn(Pad& pad, PadControl control, const PadMeaning& meaning, const PadSituation& situation,
           PadOutput& out, bool repeated) {
    switch (meaning.action) {
        case PadAction::NextLetter:
        case PadAction::PreviousLetter:
            letterAtCursor =
                stepNameLetter(letterAtCursor, meaning.action == PadAction::NextLetter ? 1 : -1);
            return;
        case PadAction::OpenMenu:
            out.opensMenu = true;
            return;
        case PadAction::None:
            return;
        default:
            break;
    }
    const SDL_Keycode key = keyOfMeaning(meaning);
    SDL_Keycode& held = pad.keyDown[index(control)];
    if (held != SDLK_UNKNOWN && held != key) {
        return;
    }
    if (held == SDLK_UNKNOWN) {
        held = key;
        ++heldKeyCount[virtualKeyOf(key)];
    }
    addKeyEvent(out, situation, SDL_KEYDOWN, key, repeated);
}

void press(Pad& pad, PadControl control, const PadSituation& situation, PadOutput& out) {
    const PadMeaning meaning = meaningOf(control, targetIn(situation));
    pad.meaningPressed[index(control)] = meaning;
    actOn(pad, control, meaning, situation, out, false);
    if (repeatsWhileHeld(control)) {
        repeat = HeldRepeat{slotOf(pad), control, repeatClock() + kRepeatDelayMilliseconds};
    }
}

void release(Pad& pad, PadControl control, const PadSituation& situation, PadOutput& out) {
    SDL_Keycode& held = pad.keyDown[index(control)];
    if (held != SDLK_UNKNOWN) {
        --heldKeyCount[virtualKeyOf(held)];
        addKeyEvent(out, situation, SDL_KEYUP, held, false);
        held = SDLK_UNKNOWN;
    }
    if (repeat.pad == slotOf(pad) && repeat.control == control) {
        repeat = HeldRepeat{};
    }
}

void setPressed(Pad& pad, PadControl control, bool down, const PadSituation& situation,
                PadOutput& out) {
    bool& pressed = pad.pressed[index(control)];
    if (pressed == down) {
        return;
    }
    pressed = down;
    if (down) {
        press(pad, control, situation, out);
    } else {
        release(pad, control, situation, out);
    }
}

void updateDirections(Pad& pad, const PadSituation& situation, PadOutput& out) {
    const bool held[kDirectionCount] = {
        pad.dpad[0] || pad.stickY < 0, pad.dpad[1] || pad.stickY > 0, pad.dpad[2] || pad.stickX < 0,
        pad.dpad[3] || pad.stickX > 0};
    for (int d = 0; d < kDirectionCount; ++d) {
        setPressed(pad, static_cast<PadControl>(d), held[d], situation, out);
    }
}

// The buttons the game listens to and the controls they are.
struct ButtonControl {
    Uint8 button;
    PadControl control;
};
constexpr ButtonControl kButtonControls[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadControl::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadControl::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadControl::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadControl::Right},
    {SDL_CONTROLLER_BUTTON_A, PadControl::South},
    {SDL_CONTROLLER_BUTTON_B, PadControl::East},
    {SDL_CONTROLLER_BUTTON_X, PadControl::West},
    {SDL_CONTROLLER_BUTTON_Y, PadControl::North},
    {SDL_CONTROLLER_BUTTON_START, PadControl::Start},
    {SDL_CONTROLLER_BUTTON_BACK, PadControl::Back},
};

// The control a button is, or -1 for a button the game does not use.
int controlOfButton(Uint8 button) {
    for (const ButtonControl& row : kButtonControls) {
        if (row.button == button) {
            return index(row.control);
        }
    }
    return -1;
}

void takeButton(const SDL_ControllerButtonEvent& event, const PadSituation& situation,
                PadOutput& out) {
    Pad* pad = padWithId(event.which);
    const int control = controlOfButton(event.button);
    if (pad == nullptr || control < 0) {
        return;
    }
    const bool down = event.state == SDL_PRESSED;
    if (control < kDirectionCount) {
        pad->dpad[control] = down;
        updateDirections(*pad, situation, out);
        return;
    }
    setPressed(*pad, static_cast<PadControl>(control), down, situation, out);
}

void takeAxis(const SDL_ControllerAxisEvent& event, const PadSituation& situation, PadOutput& out) {
    Pad* pad = padWithId(event.which);
    if (pad == nullptr) {
        return;
    }
    if (event.axis == SDL_CONTROLLER_AXIS_LEFTX) {
        pad->stickX = stickDirection(pad->stickX, event.value);
    } else if (event.axis == SDL_CONTROLLER_AXIS_LEFTY) {
        pad->stickY = stickDirection(pad->stickY, event.value);
    } else {
        return;
    }
    updateDirections(*pad, situation, out);
}

void openPad(int deviceIndex) {
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) {
        return;
    }
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    Pad* freeSlot = nullptr;
    for (Pad& pad : pads) {
        freeSlot = freeSlot == nullptr && pad.controller == nullptr ? &pad : freeSlot;
    }
    if (padWithId(id) != nullptr || freeSlot == nullptr) {
        SDL_GameControllerClose(controller);  // open already, or no room: this reference goes
        return;
    }
    *freeSlot = Pad{};
    freeSlot->controller = controller;
    freeSlot->id = id;
}

void closePad(SDL_JoystickID id, const PadSituation& situation, PadOutput& out) {
    Pad* pad = padWithId(id);
    if (pad == nullptr) {
        return;
    }
    for (int control = 0; control < kPadControlCount; ++control) {
        setPressed(*pad, static_cast<PadControl>(control), false, situation, out);
    }
    SDL_GameControllerClose(pad->controller);
    *pad = Pad{};
    out.padRemoved = true;
}

}  // namespace

void useGamepadFor(PadUse use) {
    if (use == PadUse::NameEntry && currentUse != PadUse::NameEntry) {
        letterAtCursor = kFirstNameLetter;
    }
    currentUse = use;
}

char gamepadLetterAtCursor() {
    return currentUse == PadUse::NameEntry && connectedGamepadCount() > 0 ? letterAtCursor : '\0';
}

int connectedGamepadCount() {
    return static_cast<int>(std::count_if(
        pads.begin(), pads.end(), [](const Pad& pad) { return pad.controller != nullptr; }));
}

bool gamepadHoldsKey(std::uint32_t virtualKey) {
    return virtualKey != 0 && virtualKey < kVirtualKeyCount && heldKeyCount[virtualKey] > 0;
}

void ensureGamepads() {
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0) {
        layerStarted = true;
        return;
    }
    if (layerStarted) {
        forgetPads();  // SDL was shut down and took the pads with it
        layerStarted = false;
    }
    if (layerFailed) {
        return;
    }
    layerFailed = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0;
    layerStarted = !layerFailed;
}

bool isGamepadEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
            return true;
        default:
            return false;
    }
}

void takeGamepadEvent(const SDL_Event& event, const PadSituation& situation, PadOutput& out) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            openPad(event.cdevice.which);
            return;
        case SDL_CONTROLLERDEVICEREMOVED:
            closePad(event.cdevice.which, situation, out);
            return;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            takeButton(event.cbutton, situation, out);
            return;
        case SDL_CONTROLLERAXISMOTION:
            takeAxis(event.caxis, situation, out);
            return;
        default:
            return;
    }
}

void takeGamepadRepeats(const PadSituation& situation, PadOutput& out) {
    if (repeat.pad < 0) {
        return;
    }
    const std::uint32_t now = repeatClock();
    if (static_cast<std::int32_t>(now - repeat.dueAt) < 0) {
        return;
    }
    const std::uint32_t next = repeat.dueAt + kRepeatIntervalMilliseconds;
    repeat.dueAt =
        static_cast<std::int32_t>(next - now) > 0 ? next : now + kRepeatIntervalMilliseconds;
    Pad& pad = pads[static_cast<std::size_t>(repeat.pad)];
    const int control = index(repeat.control);
    const PadMeaning meaning = meaningOf(repeat.control, targetIn(situation));
    const PadMeaning& pressedAs = pad.meaningPressed[control];
    if (meaning.action == pressedAs.action && meaning.key == pressedAs.key) {
        actOn(pad, repeat.control, meaning, situation, out, true);
    }
}

int millisecondsToGamepadRepeat() {
    if (repeat.pad < 0) {
        return -1;
    }
    const auto left = static_cast<std::int32_t>(repeat.dueAt - repeatClock());
    return std::max(left, 0);
}
