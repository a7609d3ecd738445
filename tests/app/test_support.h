// Shared helpers of the frame's tests: a recorder for message boxes, a hand-driven clock and
// an application that logs every scene callback.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/application.h"
#include "fake_direct3d.h"
#include "platform/clock.h"
#include "platform/message_box.h"

struct RecordedBox {
    std::string caption;
    std::string text;
    MessageBoxIcon icon;
};

// Installs itself as the message box for its lifetime and keeps every box shown.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    static std::vector<RecordedBox>& boxes();

private:
    MessageBoxFunction previous;
};

// A clock that moves only when told to; installed for its lifetime, with a fresh frame timer.
class HandClock {
public:
    explicit HandClock(bool highResolution = true);
    ~HandClock();
    static void advanceMilliseconds(std::int64_t milliseconds);

private:
    const ClockSource* previous;
};

// An application whose scene callbacks append their names to a log, and can be told to fail.
class LoggingApplication : public Application3D {
public:
    explicit LoggingApplication(CallLog* callLog) : log(callLog) {}

    ResultCode applyWindowStyle() override;
    ResultCode acceptDevice(const D3DCAPS8& caps, DWORD behavior, D3DFORMAT format) override;
    ResultCode initScene() override;
    ResultCode createDeviceObjects() override;
    ResultCode createVolatileObjects() override;
    ResultCode advanceScene() override;
    ResultCode drawScene() override;
    ResultCode releaseVolatileObjects() override;
    ResultCode destroyDeviceObjects() override;
    ResultCode shutdownScene() override;
    MessageResult handleMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                MessageLong lParam) override;

    CallLog* log;
    bool logAcceptDevice = false;
    DWORD refusedBehavior = 0;  // acceptDevice refuses combinations with these flags
    D3DFORMAT refusedHalFormat = D3DFMT_UNKNOWN;  // and the HAL with this format
    std::string failing;                          // the callback that fails
    std::vector<std::uint32_t> messages;          // every message handleMessage saw
    bool canRenderDuringReset = true;  // canRender seen by the last releaseVolatileObjects

private:
    ResultCode logged(const char* name);
};

// The log entries that are scene callbacks or device calls (acceptDevice left out).
std::vector<std::string> withoutAcceptDevice(const CallLog& log);
