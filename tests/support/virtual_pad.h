// A game controller plugged in by the test: SDL's virtual joystick of the game-controller
// type, which SDL maps as a standard pad (buttons and axes numbered as SDL's controller
// buttons and axes). Its buttons and stick are set here and reach the game through SDL's
// controller events, as a real pad's do, when SDL next pumps its events. SDL hands a pad's
// input only to a program with the desktop's focus, which an offscreen window never has, so
// the test's pad is heard without it.
#pragma once

#include <SDL.h>

class VirtualPad {
public:
    // Plugs the pad in (the joystick layer is started for it if it is not running).
    VirtualPad() {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        SDL_InitSubSystem(SDL_INIT_JOYSTICK);
        SDL_VirtualJoystickDesc description{};
        description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        description.naxes = SDL_CONTROLLER_AXIS_MAX;
        description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        description.name = "Test pad";
        const int deviceIndex = SDL_JoystickAttachVirtualEx(&description);
        if (deviceIndex >= 0) {
            joystick_ = SDL_JoystickOpen(deviceIndex);
        }
    }
    ~VirtualPad() {
        unplug();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool plugged() const { return joystick_ != nullptr; }
    SDL_JoystickID instanceId() const {
        return joystick_ != nullptr ? SDL_JoystickInstanceID(joystick_) : -1;
    }

    void hold(SDL_GameControllerButton button) { setButton(button, SDL_PRESSED); }
    void letGo(SDL_GameControllerButton button) { setButton(button, SDL_RELEASED); }
    void tilt(SDL_GameControllerAxis axis, Sint16 value) {
        if (joystick_ != nullptr) {
            SDL_JoystickSetVirtualAxis(joystick_, axis, value);
        }
    }

    // A press and release pushed into SDL's queue as the controller layer reports them, so
    // that both arrive even while nobody pumps between them (an open menu or dialog waits).
    void pushPress(SDL_GameControllerButton button) const {
        pushButton(SDL_CONTROLLERBUTTONDOWN, button);
        pushButton(SDL_CONTROLLERBUTTONUP, button);
    }

    // Pulls the pad out.
    void unplug() {
        if (joystick_ == nullptr) {
            return;
        }
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) {
                SDL_JoystickDetachVirtual(i);
                return;
            }
        }
    }

private:
    void setButton(SDL_GameControllerButton button, Uint8 state) {
        if (joystick_ != nullptr) {
            SDL_JoystickSetVirtualButton(joystick_, button, state);
        }
    }
    void pushButton(Uint32 type, SDL_GameControllerButton button) const {
        SDL_Event event{};
        event.type = type;
        event.cbutton.which = instanceId();
        event.cbutton.button = static_cast<Uint8>(button);
        event.cbutton.state = type == SDL_CONTROLLERBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&event);
    }

    SDL_Joystick* joystick_ = nullptr;
};
