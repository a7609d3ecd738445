#include "platform/event_pump.h"

#include <deque>
#include <mutex>
#include <vector>

#include "platform/event_translation.h"
#include "platform/gamepad_events.h"
#include "platform/overlay.h"
#include "platform/window_internal.h"

namespace {

// The messages waiting for their windows, first in, first out. Its storage is kept when the
// last message is taken, so a steady stream of key messages costs no memory from the heap.
class MessageQueue {
public:
    bool empty() const { return head_ == messages_.size(); }
    const WindowMessage& front() const { return messages_[head_]; }
    void pop_front() {
        if (++head_ == messages_.size()) {
            messages_.clear();
            head_ = 0;
        }
    }
    void push_back(const WindowMessage& message) { messages_.push_back(message); }
    template <typename Iterator>
    void append(Iterator first, Iterator last) {
        messages_.insert(messages_.end(), first, last);
    }

private:
    std::vector<WindowMessage> messages_;
    std::size_t head_ = 0;
};

MessageQueue pending;
std::mutex postedLock;
std::deque<WindowMessage> posted;  // from postMessage, possibly from other threads
bool quitPosted = false;
int quitCode = 0;

// The modal loop whose turn is waiting for an event, if any.
ModalLoop* runningLoop = nullptr;

// How many queued window events are looked through for a focus loss.
constexpr int kFocusLossLookAhead = 16;

Uint32 windowIdOfEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_WINDOWEVENT:
            return event.window.windowID;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return event.key.windowID;
        case SDL_MOUSEMOTION:
            return event.motion.windowID;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return event.button.windowID;
        default:
            return 0;
    }
}

bool isAltKey(SDL_Keycode key) {
    return key == SDLK_LALT || key == SDLK_RALT;
}

bool isFocusChange(const SDL_Event& event) {
    return event.type == SDL_WINDOWEVENT && (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                                             event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED);
}

// Whether the window's focus loss waits in SDL's queue. SDL lets go of the keys held when the
// focus goes (Alt, after Alt+Tab) just before it reports the loss, in the same pass.
bool focusLossWaiting(Uint32 windowId) {
    SDL_Event waiting[kFocusLossLookAhead];
    const int count = SDL_PeepEvents(waiting, kFocusLossLookAhead, SDL_PEEKEVENT, SDL_WINDOWEVENT,
                                     SDL_WINDOWEVENT);
    for (int i = 0; i < count; ++i) {
        if (waiting[i].window.windowID == windowId &&
            waiting[i].window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            return true;
        }
    }
    return false;
}

// Alt pressed and released with no other key, click or focus change between, or F10, opens
// the menu bar. An Alt release that comes with a focus loss is the window system letting go of
// the key the player left with, not a press of Alt.
bool opensMenuByKeyboard(const SDL_Event& event) {
    static bool altAlone = false;
    if (event.type == SDL_KEYDOWN) {
        const SDL_Keycode key = event.key.keysym.sym;
        if (event.key.repeat == 0) {
            altAlone = isAltKey(key);
        }
        return key == SDLK_F10 && event.key.repeat == 0;
    }
    if (event.type == SDL_KEYUP && isAltKey(event.key.keysym.sym)) {
        const bool opens = altAlone && !focusLossWaiting(event.key.windowID);
        altAlone = false;
        return opens;
    }
    if (event.type == SDL_MOUSEBUTTONDOWN || isFocusChange(event)) {
        altAlone = false;
    }
    return false;
}

// A left press on the shown menu bar (where the window's hit test says it is not client area).
bool opensMenuWithMouse(const WindowRecord& record, const SDL_Event& event) {
    return event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT &&
           event.button.y < menuBarHeightOf(record) &&
           sendMessage(record.handle, WM_NCHITTEST, 0, makeLong(event.button.x, event.button.y)) !=
               HTCLIENT;
}

void takePostedMessages() {
    const std::lock_guard<std::mutex> hold(postedLock);
    pending.append(posted.begin(), posted.end());
    posted.clear();
}

void closeOnlyWindow() {
    if (const WindowRecord* record = firstLiveWindowRecord()) {
        pending.push_back(WindowMessage{record->handle, WM_CLOSE, 0, 0});
    }
}

void deliverToWindow(const WindowRecord& record, const SDL_Event& event) {
    if (opensMenuWithMouse(record, event)) {
        pending.push_back(WindowMessage{record.handle, WM_SYSCOMMAND, SC_MOUSEMENU,
                                        makeLong(event.button.x, event.button.y)});
        return;
    }
    WindowMessage messages[kMaxMessagesPerEvent];
    const std::size_t count = translateEvent(event, eventInfoFor(record), messages);
    pending.append(messages, messages + count);
    if (opensMenuByKeyboard(event)) {
        pending.push_back(WindowMessage{record.handle, WM_SYSCOMMAND, SC_KEYMENU, 0});
    }
}

void absorbEvent(const SDL_Event& event);

PadSituation padSituation() {
    const WindowRecord* record = firstLiveWindowRecord();
    if (record == nullptr) {
        return PadSituation{0, runningLoop != nullptr, false};
    }
    return PadSituation{SDL_GetWindowID(record->sdl), runningLoop != nullptr,
                        menuBarHeightOf(*record) > 0};
}

// A pad's keys go where the keyboard's would; its other requests go to the main window.
bool absorbPadOutput(const PadOutput& out) {
    for (std::size_t i = 0; i < out.keyCount; ++i) {
        absorbEvent(out.keys[i]);
    }
    const WindowRecord* record = firstLiveWindowRecord();
    if (record != nullptr && out.opensMenu && runningLoop == nullptr) {
        pending.push_back(WindowMessage{record->handle, WM_SYSCOMMAND, SC_KEYMENU, 0});
    }
    if (record != nullptr && out.padRemoved) {
        pending.push_back(WindowMessage{record->handle, WM_INPUT_DEVICE_CHANGE, GIDC_REMOVAL, 0});
    }
    return out.keyCount > 0 || out.opensMenu || out.padRemoved;
}

bool absorbPadRepeats() {
    PadOutput out;
    takeGamepadRepeats(padSituation(), out);
    return absorbPadOutput(out);
}

// What a wait of the pump brought.
enum class Arrival { Nothing, Event, PadRepeat };

// Waits for the next event, or until the repeat of a direction held on a pad is due and
// taken. Nothing when SDL cannot wait.
Arrival waitForEvent(SDL_Event& event) {
    for (;;) {
        const int untilRepeat = millisecondsToGamepadRepeat();
        if (untilRepeat < 0) {
            return SDL_WaitEvent(&event) != 0 ? Arrival::Event : Arrival::Nothing;
        }
        if (SDL_WaitEventTimeout(&event, untilRepeat) != 0) {
            return Arrival::Event;
        }
        if (absorbPadRepeats()) {
            return Arrival::PadRepeat;
        }
    }
}

void absorbEvent(const SDL_Event& event) {
    if (isGamepadEvent(event)) {
        PadOutput out;
        takeGamepadEvent(event, padSituation(), out);
        absorbPadOutput(out);
        return;
    }
    if (event.type == postedMessageEventType()) {
        takePostedMessages();
        return;
    }
    if (event.type == SDL_QUIT) {
        closeOnlyWindow();
        return;
    }
    if (runningLoop != nullptr && modalLoopKeeps(event)) {
        trackPointer(event);
        runningLoop->takeInput(event);
        return;
    }
    const WindowRecord* record = windowRecordOfSdlId(windowIdOfEvent(event));
    if (record == nullptr) {
        return;
    }
    trackPointer(event);
    deliverToWindow(*record, event);
}

bool takePending(WindowMessage& message, bool remove) {
    while (!pending.empty()) {
        const WindowMessage& front = pending.front();
        if (front.window != nullptr && !isWindow(front.window)) {
            pending.pop_front();
            continue;
        }
        message = front;
        if (remove) {
            pending.pop_front();
        }
        return true;
    }
    return false;
}

bool takeQuit(WindowMessage& message, bool remove) {
    if (!quitPosted) {
        return false;
    }
    message = WindowMessage{nullptr, WM_QUIT, static_cast<MessageParam>(quitCode), 0};
    if (remove) {
        quitPosted = false;
    }
    return true;
}

// Hands the queued messages to their procedures while a modal loop runs, up to a close of its
// window, which ends the loop and stays queued.
bool handleQueuedDuringLoop(ModalLoop& loop, WindowHandle window) {
    WindowMessage message;
    while (takePending(message, false)) {
        if (message.message == WM_CLOSE && message.window == window) {
            return false;
        }
        pending.pop_front();
        dispatchMessage(message);
        loop.windowHandled(message.message);
    }
    return !quitPosted && isWindow(window);
}

}  // namespace

bool modalLoopKeeps(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_TEXTEDITING:
        case SDL_TEXTINPUT:
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEWHEEL:
            return true;
        default:
            return false;
    }
}

bool pumpOneEvent(bool wait) {
    ensureGamepads();
    if (absorbPadRepeats()) {
        return true;
    }
    SDL_Event event;
    const Arrival arrival = wait ? waitForEvent(event)
                                 : (SDL_PollEvent(&event) != 0 ? Arrival::Event : Arrival::Nothing);
    if (arrival == Arrival::Event) {
        absorbEvent(event);
    }
    return arrival != Arrival::Nothing;
}

bool runModalTurn(ModalLoop& loop, WindowHandle window) {
    if (!handleQueuedDuringLoop(loop, window)) {
        return false;
    }
    ModalLoop* const outer = runningLoop;
    runningLoop = &loop;
    const bool got = SDL_WasInit(SDL_INIT_VIDEO) != 0 && pumpOneEvent(true);
    runningLoop = outer;
    return got && handleQueuedDuringLoop(loop, window);
}

void queueMessage(const WindowMessage& message) {
    pending.push_back(message);
}

void postMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                 MessageLong lParam) {
    {
        const std::lock_guard<std::mutex> hold(postedLock);
        posted.push_back(WindowMessage{window, message, wParam, lParam});
    }
    SDL_Event wake{};
    wake.type = postedMessageEventType();
    SDL_PushEvent(&wake);
}

void postQuitMessage(int exitCode) {
    quitPosted = true;
    quitCode = exitCode;
}

bool peekMessage(WindowMessage& message, bool remove) {
    if (takePending(message, remove)) {
        return true;
    }
    while (SDL_WasInit(SDL_INIT_VIDEO) != 0 && pumpOneEvent(false)) {
        if (takePending(message, remove)) {
            return true;
        }
    }
    return takeQuit(message, remove);
}

bool getMessage(WindowMessage& message) {
    for (;;) {
        if (peekMessage(message, true)) {
            return message.message != WM_QUIT;
        }
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || !pumpOneEvent(true)) {
            message = WindowMessage{nullptr, WM_QUIT, 0, 0};
            return false;
        }
    }
}
