#include "test_support.h"

#include "app/frame_timer.h"

namespace {

std::int64_t handTicks = 0;
std::uint32_t handMilliseconds = 0;
bool handHighResolution = true;

bool handFrequency(std::int64_t* perSecond) {
    if (handHighResolution) {
        *perSecond = 1000;
    }
    return handHighResolution;
}
std::int64_t handCounter() {
    return handTicks;
}
std::uint32_t handMillis() {
    return handMilliseconds;
}

const ClockSource kHandClock{handFrequency, handCounter, handMillis};

void recordBox(const char* caption, const char* text, MessageBoxIcon icon) {
    MessageBoxRecorder::boxes().push_back(RecordedBox{caption, text, icon});
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder() : previous(setMessageBoxFunction(recordBox)) {
    boxes().clear();
}

MessageBoxRecorder::~MessageBoxRecorder() {
    setMessageBoxFunction(previous);
}

std::vector<RecordedBox>& MessageBoxRecorder::boxes() {
    static std::vector<RecordedBox> shown;
    return shown;
}

HandClock::HandClock(bool highResolution) : previous(setClockSource(&kHandClock)) {
    handHighResolution = highResolution;
    handTicks = 10000;
    handMilliseconds = 10000;
    resetFrameTimer();
}

HandClock::~HandClock() {
    setClockSource(previous);
    resetFrameTimer();
}

void HandClock::advanceMilliseconds(std::int64_t milliseconds) {
    handTicks += milliseconds;
    handMilliseconds += static_cast<std::uint32_t>(milliseconds);
}

ResultCode LoggingApplication::logged(const char* name) {
    log->push_back(name);
    return failing == name ? kErrorGeneric : kResultOk;
}

ResultCode LoggingApplication::applyWindowStyle() {
    Application3D::applyWindowStyle();
    return logged("applyWindowStyle");
}

ResultCode LoggingApplication::acceptDevice(const D3DCAPS8& caps, DWORD behavior,
                                            D3DFORMAT format) {
    if (logAcceptDevice) {
        log->push_back("acceptDevice " + std::to_string(behavior));
    }
    const bool refusedHal = caps.DeviceType == D3DDEVTYPE_HAL && format == refusedHalFormat;
    return (behavior & refusedBehavior) != 0 || refusedHal ? kErrorGeneric : kResultOk;
}

ResultCode LoggingApplication::initScene() {
    return logged("initScene");
}
ResultCode LoggingApplication::createDeviceObjects() {
    return logged("createDeviceObjects");
}
ResultCode LoggingApplication::createVolatileObjects() {
    return logged("createVolatileObjects");
}
ResultCode LoggingApplication::advanceScene() {
    return logged("advanceScene");
}
ResultCode LoggingApplication::drawScene() {
    return logged("drawScene");
}
ResultCode LoggingApplication::releaseVolatileObjects() {
    canRenderDuringReset = canRender;
    return logged("releaseVolatileObjects");
}
ResultCode LoggingApplication::destroyDeviceObjects() {
    return logged("destroyDeviceObjects");
}
ResultCode LoggingApplication::shutdownScene() {
    return logged("shutdownScene");
}

MessageResult LoggingApplication::handleMessage(WindowHandle window, std::uint32_t message,
                                                MessageParam wParam, MessageLong lParam) {
    messages.push_back(message);
    return Application3D::handleMessage(window, message, wParam, lParam);
}

std::vector<std::string> withoutAcceptDevice(const CallLog& log) {
    std::vector<std::string> kept;
    for (const std::string& entry : log) {
        if (entry.rfind("acceptDevice", 0) != 0) {
            kept.push_back(entry);
        }
    }
    return kept;
}
