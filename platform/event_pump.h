// The one event pump of the window system and the message queue it fills. Every SDL event is
// taken here, whether the main loop or a modal loop (an open menu, the modal dialog) waits for
// it: posted messages, focus, size, paint and close always become messages of the window,
// while keyboard and mouse input goes to the modal loop when one runs. Internal to platform/.
#pragma once

#include <SDL.h>

#include "platform/window.h"

// A modal loop running over a window: while it waits for events it has the keyboard and the
// mouse to itself (see modalLoopKeeps); the window's procedure goes on handling the rest.
class ModalLoop {
public:
    // Keyboard or mouse input that the loop keeps.
    virtual void takeInput(const SDL_Event& event) = 0;
    // A message the window's procedure has just handled while the loop runs.
    virtual void windowHandled(std::uint32_t message) = 0;

protected:
    ~ModalLoop() = default;
};

// Whether a running modal loop keeps an event for itself: every key and mouse event. The one
// place that decides what a modal loop captures.
bool modalLoopKeeps(const SDL_Event& event);

// Takes one SDL event, waiting for it when wait is set, and turns it into queued messages
// (or into input of the running modal loop). False when no event came.
bool pumpOneEvent(bool wait);

// One turn of a modal loop over window: the messages queued for the window are handled by its
// procedure, one event is waited for, and what it brought is handled too. False when the loop
// must end: the window is closing (its close message stays queued for the main loop), the
// program is quitting, or the window is gone.
bool runModalTurn(ModalLoop& loop, WindowHandle window);

// Adds a message at the end of the queue (window thread only).
void queueMessage(const WindowMessage& message);
