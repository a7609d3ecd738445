// The frame on the offscreen video driver with a logging application and a fake device: the
// order of the scene callbacks and device calls in every situation the frame goes through.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/frame_timer.h"
#include "gfx/window.h"
#include "platform/dialog.h"
#include "test_support.h"
#include "tests/support/pushed_events.h"

namespace {

std::vector<FakeAdapter> nextAdapters;
CallLog* nextLog = nullptr;
FakeDirect3D* madeDirect3D = nullptr;

IDirect3D8* makeFakeDirect3D(UINT) {
    madeDirect3D = new FakeDirect3D(nextAdapters, nextLog);
    return madeDirect3D;
}

using Log = std::vector<std::string>;

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        nextAdapters = {standardAdapter()};
        nextLog = &log;
        madeDirect3D = nullptr;
        previousMaker = setDirect3DMaker(makeFakeDirect3D);
    }

    void TearDown() override {
        if (app.mainWindow != nullptr && isWindow(app.mainWindow)) {
            sendMessage(app.mainWindow, WM_CLOSE, 0, 0);
        }
        WindowMessage message;
        while (peekMessage(message, true)) {
        }
        setDirect3DMaker(previousMaker);
        setModalDialogRunner(nullptr);
        nextLog = nullptr;
    }

    // Starts the application and forgets what start-up logged.
    void start() {
        ASSERT_EQ(app.createApp(nullptr), kResultOk);
        log.clear();
    }

    FakeDevice* device() { return madeDirect3D != nullptr ? madeDirect3D->lastDevice : nullptr; }

    ResultCode frameAfter(std::int64_t milliseconds) {
        HandClock::advanceMilliseconds(milliseconds);
        return app.frameStep();
    }

    MessageResult send(std::uint32_t message, MessageParam wParam = 0, MessageLong lParam = 0) {
        return sendMessage(app.mainWindow, message, wParam, lParam);
    }

    // A key going down in the window, as SDL reports it.
    void pushKeyDown(SDL_Keycode key) {
        pushed_events::pushKey(SDL_GetWindowID(sdlWindowOf(app.mainWindow)), SDL_KEYDOWN, key);
    }

    // Exactly one box was shown, the fatal one for code, and it closed the window.
    void expectOneFatalBox(ResultCode code) {
        ASSERT_EQ(MessageBoxRecorder::boxes().size(), 1u);
        char expected[kErrorMessageCapacity];
        composeErrorMessage(code, ErrorKind::Fatal, expected);
        EXPECT_EQ(MessageBoxRecorder::boxes()[0].text, expected);
        EXPECT_FALSE(isWindow(app.mainWindow));
    }

    // The log entries after the first `entry`, up to the next `end` (or the end of the log).
    Log logAfter(const std::string& entry, const std::string& end) const {
        auto from = std::find(log.begin(), log.end(), entry);
        if (from == log.end()) {
            return {};
        }
        ++from;
        return Log(from, std::find(from, log.end(), end));
    }

    MessageBoxRecorder recorder;
    HandClock clock;
    Log log;
    LoggingApplication app{&log};
    Direct3DMaker previousMaker = nullptr;
};

const Log kShutDown = {"releaseVolatileObjects", "destroyDeviceObjects", "Device.Release",
                       "Direct3D.Release", "shutdownScene"};
const Log kReset = {"releaseVolatileObjects", "Device.Reset", "createVolatileObjects"};

// ---- Start-up and the window.

TEST_F(FrameTest, StartUpRunsTheCallbacksInOrder) {
    app.logAcceptDevice = true;
    ASSERT_EQ(app.createApp(nullptr), kResultOk);
    ASSERT_GT(log.size(), 5u);
    EXPECT_EQ(log.front().rfind("acceptDevice", 0), 0u);
    EXPECT_EQ(withoutAcceptDevice(log), (Log{"initScene", "applyWindowStyle", "CreateDevice HAL",
                                             "createDeviceObjects", "createVolatileObjects"}));
    EXPECT_TRUE(app.isActive);
    EXPECT_TRUE(app.canRender);
    EXPECT_EQ(app.focusWindow, app.mainWindow);
    EXPECT_STREQ(app.deviceText, "HAL (hw vp): Test adapter");
    EXPECT_TRUE(MessageBoxRecorder::boxes().empty());
}

TEST_F(FrameTest, TheClientAreaHasTheInitialSizeWithTheMenuBarAboveIt) {
    app.initialWidth = 512;
    app.initialHeight = 384;
    start();
    const WindowRect client = clientRect(app.mainWindow);
    EXPECT_EQ(client.width(), 512);
    EXPECT_EQ(client.height(), 384);
    EXPECT_TRUE(menuBarShown(app.mainWindow));
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(sdlWindowOf(app.mainWindow), &width, &height);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 384 + kMenuBarHeight);
    EXPECT_EQ(madeDirect3D->lastParams.BackBufferWidth, 512u);
    EXPECT_EQ(madeDirect3D->lastParams.BackBufferHeight, 384u);
    EXPECT_EQ(madeDirect3D->lastParams.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(madeDirect3D->lastParams.Windowed, TRUE);
    EXPECT_EQ(app.savedStyle & WS_CAPTION, WS_CAPTION);
}

// ---- Frames.

TEST_F(FrameTest, EveryFrameAdvancesThenDrawsThenPresents) {
    start();
    ASSERT_EQ(frameAfter(16), kResultOk);
    ASSERT_EQ(frameAfter(20), kResultOk);
    EXPECT_EQ(log, (Log{"advanceScene", "drawScene", "Device.Present", "advanceScene", "drawScene",
                        "Device.Present"}));
    EXPECT_NEAR(app.appTime, 0.036f, 1e-5f);
    EXPECT_NEAR(app.frameDelta, 0.020f, 1e-5f);
}

TEST_F(FrameTest, AFrameWithNoTimePassedDoesNothing) {
    start();
    ASSERT_EQ(frameAfter(0), kResultOk);
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTest, AFailingCallbackEndsTheFrameWithItsCode) {
    start();
    app.failing = "advanceScene";
    EXPECT_EQ(frameAfter(10), kErrorGeneric);
    EXPECT_EQ(log, Log{"advanceScene"});
}

TEST_F(FrameTest, ALostDeviceSkipsFramesAndIsResetWhenItCanBe) {
    start();
    device()->cooperativeLevel = D3DERR_DEVICELOST;
    ASSERT_EQ(frameAfter(10), kResultOk);
    ASSERT_EQ(frameAfter(10), kResultOk);
    EXPECT_TRUE(log.empty());
    device()->cooperativeLevel = D3DERR_DEVICENOTRESET;
    nextAdapters[0].desktop.Format = D3DFMT_R5G6B5;
    madeDirect3D->adapters[0].desktop.Format = D3DFMT_R5G6B5;
    ASSERT_EQ(frameAfter(10), kResultOk);
    EXPECT_EQ(log, kReset);
    EXPECT_EQ(device()->params.BackBufferFormat, D3DFMT_R5G6B5);
    log.clear();
    ASSERT_EQ(frameAfter(10), kResultOk);
    EXPECT_EQ(log, (Log{"advanceScene", "drawScene", "Device.Present"}));
}

TEST_F(FrameTest, AFailedResetAfterLossEndsTheFrame) {
    start();
    device()->cooperativeLevel = D3DERR_DEVICENOTRESET;
    device()->resetResult = D3DERR_INVALIDCALL;
    EXPECT_EQ(frameAfter(10), D3DERR_INVALIDCALL);
}

TEST_F(FrameTest, TheFirstRateTextComesAfterOneSecondOfAbsoluteTime) {
    app.wantDepthBuffer = true;
    start();
    ASSERT_EQ(frameAfter(10), kResultOk);
    // The first measurement counts from clock value 0 (the hand clock started at 10 s).
    EXPECT_NEAR(app.framesPerSecond, 1.0f / 10.010f, 1e-4f);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(frameAfter(110), kResultOk);
    }
    EXPECT_NEAR(app.framesPerSecond, 10.0f / 1.1f, 1e-2f);
    EXPECT_STREQ(app.rateText, "9.09 fps (400x300x32) (D16)");
}

// ---- Messages.

TEST_F(FrameTest, ResizingResetsTheDeviceWithTheNewClientSize) {
    start();
    SDL_SetWindowSize(sdlWindowOf(app.mainWindow), 500, 420);
    send(WM_ENTERSIZEMOVE);
    send(WM_EXITSIZEMOVE);
    EXPECT_EQ(log, kReset);
    EXPECT_FALSE(app.canRenderDuringReset);
    EXPECT_TRUE(app.canRender);
    EXPECT_EQ(device()->params.BackBufferWidth, 500u);
    EXPECT_EQ(device()->params.BackBufferHeight, 400u);
}

TEST_F(FrameTest, EndingADragWithoutASizeChangeKeepsTheDevice) {
    start();
    send(WM_ENTERSIZEMOVE);
    send(WM_EXITSIZEMOVE);
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTest, AFailedResetAfterResizeIsFatal) {
    start();
    device()->resetResult = D3DERR_INVALIDCALL;
    SDL_SetWindowSize(sdlWindowOf(app.mainWindow), 480, 360);
    send(WM_EXITSIZEMOVE);
    ASSERT_EQ(MessageBoxRecorder::boxes().size(), 1u);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].icon, MessageBoxIcon::Error);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].text,
              "Could not reset the Direct3D device.\n\nThis sample will now exit.");
    EXPECT_FALSE(isWindow(app.mainWindow));
}

TEST_F(FrameTest, MinimisingStopsFramesAndRestoringStartsThem) {
    start();
    send(WM_SIZE, SIZE_MINIMIZED);
    EXPECT_FALSE(app.isActive);
    send(WM_SIZE, SIZE_RESTORED, makeLong(400, 300));
    EXPECT_TRUE(app.isActive);
    send(WM_SIZE, SIZE_MAXHIDE);
    EXPECT_FALSE(app.isActive);
}

TEST_F(FrameTest, OpeningAMenuPausesAndClosingItResumes) {
    start();
    send(WM_ENTERMENULOOP);
    EXPECT_FALSE(app.canRender);
    const float frozen = FrameTimer(TimerCommand::QueryAppTime);
    HandClock::advanceMilliseconds(500);
    EXPECT_EQ(FrameTimer(TimerCommand::QueryAppTime), frozen);
    send(WM_EXITMENULOOP);
    EXPECT_TRUE(app.canRender);
    HandClock::advanceMilliseconds(250);
    EXPECT_NEAR(FrameTimer(TimerCommand::QueryAppTime), frozen + 0.25f, 1e-5f);
}

TEST_F(FrameTest, NestedPausesStopTheClockOnceAndRestartItOnce) {
    start();
    app.setPaused(true);
    app.setPaused(true);
    HandClock::advanceMilliseconds(300);
    app.setPaused(false);
    EXPECT_FALSE(app.canRender);
    const float frozen = FrameTimer(TimerCommand::QueryAppTime);
    HandClock::advanceMilliseconds(300);
    EXPECT_EQ(FrameTimer(TimerCommand::QueryAppTime), frozen);
    app.setPaused(false);
    EXPECT_TRUE(app.canRender);
    HandClock::advanceMilliseconds(100);
    EXPECT_NEAR(FrameTimer(TimerCommand::QueryAppTime), frozen + 0.1f, 1e-5f);
}

TEST_F(FrameTest, TheClockStaysStoppedThroughAWindowResizedDuringAPause) {
    start();
    app.setPaused(true);
    const float frozen = FrameTimer(TimerCommand::QueryAppTime);
    SDL_SetWindowSize(sdlWindowOf(app.mainWindow), 500, 420);
    send(WM_ENTERSIZEMOVE);
    send(WM_EXITSIZEMOVE);
    EXPECT_EQ(log, kReset);
    EXPECT_FALSE(app.canRender);
    HandClock::advanceMilliseconds(400);
    EXPECT_EQ(FrameTimer(TimerCommand::QueryAppTime), frozen);
    app.setPaused(false);
    EXPECT_TRUE(app.canRender);
    HandClock::advanceMilliseconds(100);
    EXPECT_NEAR(FrameTimer(TimerCommand::QueryAppTime), frozen + 0.1f, 1e-5f)
        << "the clock runs on from where the pause stopped it";
}

TEST_F(FrameTest, AltEnterSwitchesToFullScreenAndBack) {
    app.cursorInFullscreen = true;
    start();
    const WindowRect bounds = app.savedBounds;
    const WindowMessage altEnter{app.mainWindow, WM_SYSKEYDOWN, VK_RETURN, kKeyAltHeldBit};
    ASSERT_TRUE(translateAccelerator(app.mainWindow, altEnter));
    EXPECT_EQ(log, (Log{"applyWindowStyle", "releaseVolatileObjects", "Device.Reset",
                        "createVolatileObjects"}));
    EXPECT_FALSE(app.inWindow);
    EXPECT_FALSE(app.canRenderDuringReset);
    EXPECT_TRUE(app.canRender);
    EXPECT_EQ(device()->params.Windowed, FALSE);
    EXPECT_EQ(device()->params.BackBufferWidth, 640u);
    EXPECT_EQ(device()->params.BackBufferFormat, D3DFMT_R5G6B5);
    EXPECT_FALSE(menuBarShown(app.mainWindow));
    EXPECT_EQ(send(WM_NCHITTEST), HTCLIENT);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_MOVE), 1);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_KEYMENU), 1);
    EXPECT_EQ(send(WM_SETCURSOR), 1);
    EXPECT_EQ(device()->cursorShown, TRUE);

    log.clear();
    ASSERT_TRUE(translateAccelerator(app.mainWindow, altEnter));
    EXPECT_EQ(log, (Log{"applyWindowStyle", "releaseVolatileObjects", "Device.Reset",
                        "createVolatileObjects"}));
    EXPECT_TRUE(app.inWindow);
    EXPECT_EQ(device()->params.Windowed, TRUE);
    EXPECT_EQ(device()->params.BackBufferWidth, 400u);
    EXPECT_TRUE(menuBarShown(app.mainWindow));
    EXPECT_EQ(windowBounds(app.mainWindow).width(), bounds.width());
    EXPECT_EQ(windowBounds(app.mainWindow).height(), bounds.height());
}

TEST_F(FrameTest, AltEnterWhileMinimisedOrPausedDoesNothing) {
    start();
    app.setPaused(true);
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    app.setPaused(false);
    send(WM_SIZE, SIZE_MINIMIZED);
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    EXPECT_TRUE(app.inWindow);
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameTest, LeavingFullScreenOnADeviceThatCannotRenderWindowedMovesToOneThatCan) {
    start();
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    ASSERT_FALSE(app.inWindow);
    app.currentDeviceEntry().windowCapable = false;
    log.clear();
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    EXPECT_EQ(log, (Log{"releaseVolatileObjects", "destroyDeviceObjects", "Device.Release",
                        "applyWindowStyle", "CreateDevice REF", "createDeviceObjects",
                        "createVolatileObjects"}));
    EXPECT_TRUE(app.inWindow);
    EXPECT_TRUE(app.canRender);
    EXPECT_EQ(app.currentDeviceEntry().deviceType, D3DDEVTYPE_REF);
}

TEST_F(FrameTest, AFailedFallBackToWindowedShowsOneBox) {
    start();
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    ASSERT_FALSE(app.inWindow);
    app.currentDeviceEntry().windowCapable = false;
    nextAdapters[0].types[D3DDEVTYPE_REF].createResult = D3DERR_NOTAVAILABLE;
    madeDirect3D->adapters[0].types[D3DDEVTYPE_REF].createResult = D3DERR_NOTAVAILABLE;
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    expectOneFatalBox(D3DERR_NOTAVAILABLE);
}

TEST_F(FrameTest, TheFrameAnswersItsOwnMessages) {
    start();
    MinMaxInfo limits;
    send(WM_GETMINMAXINFO, 0, reinterpret_cast<MessageLong>(&limits));
    EXPECT_EQ(limits.minTrackWidth, 100);
    EXPECT_EQ(limits.minTrackHeight, 100);
    EXPECT_EQ(send(WM_POWERBROADCAST, PBT_APMQUERYSUSPEND), 1);
    EXPECT_EQ(send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND), 1);
    EXPECT_EQ(send(WM_SETCURSOR), 0);         // windowed: the window's own cursor
    EXPECT_NE(send(WM_NCHITTEST), HTCLIENT);  // windowed: the menu bar can be reached
}

// ---- The device dialog.

int chooseReferenceDevice(WindowHandle, Dialog& dialog, DialogProcedure procedure, void* context) {
    selectListItem(dialog, 1000, 1);
    EXPECT_EQ(procedure(dialog, 1000, kNotifySelectionConfirmed, context), -1);
    return procedure(dialog, kDialogOk, kNotifyClicked, context);
}

int pressOk(WindowHandle, Dialog& dialog, DialogProcedure procedure, void* context) {
    return procedure(dialog, kDialogOk, kNotifyClicked, context);
}

int pressCancel(WindowHandle, Dialog& dialog, DialogProcedure procedure, void* context) {
    return procedure(dialog, kDialogCancel, kNotifyClicked, context);
}

TEST_F(FrameTest, ANewDeviceFromTheDialogReplacesTheOld) {
    start();
    setModalDialogRunner(chooseReferenceDevice);
    EXPECT_EQ(send(WM_COMMAND, menuCommand(kCommandChangeVideoMode)), 0);
    EXPECT_EQ(log, (Log{"releaseVolatileObjects", "destroyDeviceObjects", "Device.Release",
                        "applyWindowStyle", "CreateDevice REF", "createDeviceObjects",
                        "createVolatileObjects"}));
    EXPECT_EQ(app.currentDeviceEntry().deviceType, D3DDEVTYPE_REF);
    EXPECT_TRUE(app.canRender);
    EXPECT_STREQ(app.deviceText, "REF (sw vp)");
}

TEST_F(FrameTest, ConfirmingOrCancellingWithoutChangeKeepsTheDevice) {
    start();
    setModalDialogRunner(pressOk);
    send(WM_COMMAND, menuCommand(kCommandChangeVideoMode));
    setModalDialogRunner(pressCancel);
    send(WM_COMMAND, menuCommand(kCommandChangeVideoMode));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(app.canRender);
}

TEST_F(FrameTest, OpeningTheDialogInFullScreenSwitchesToAWindowFirst) {
    start();
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    ASSERT_FALSE(app.inWindow);
    log.clear();
    setModalDialogRunner(pressCancel);
    send(WM_COMMAND, menuCommand(kCommandChangeVideoMode));
    EXPECT_TRUE(app.inWindow);
    EXPECT_EQ(log, (Log{"applyWindowStyle", "releaseVolatileObjects", "Device.Reset",
                        "createVolatileObjects"}));
}

TEST_F(FrameTest, F2InFullScreenShowsTheDialogDrawnOverTheWindow) {
    start();
    send(WM_COMMAND, acceleratorCommand(kCommandToggleFullscreen));
    ASSERT_FALSE(app.inWindow);
    log.clear();
    pushKeyDown(SDLK_F2);
    pushKeyDown(SDLK_ESCAPE);  // ends the dialog
    postMessage(app.mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(app.runLoop(), 0);
    EXPECT_TRUE(app.inWindow);
    // Between the switch to the window and the end of the program, the dialog was drawn over
    // the paused frame: the frame was presented, and no frame step ran.
    const Log whileTheDialogRan = logAfter("createVolatileObjects", "releaseVolatileObjects");
    EXPECT_NE(std::find(whileTheDialogRan.begin(), whileTheDialogRan.end(), "Device.Present"),
              whileTheDialogRan.end());
    EXPECT_EQ(std::find(whileTheDialogRan.begin(), whileTheDialogRan.end(), "advanceScene"),
              whileTheDialogRan.end());
}

TEST_F(FrameTest, AWindowResizedWhileTheDialogIsOpenGetsABackBufferOfItsNewSize) {
    start();
    SDL_SetWindowSize(sdlWindowOf(app.mainWindow), 520, 410);  // reported as an event
    pushKeyDown(SDLK_ESCAPE);
    EXPECT_EQ(send(WM_COMMAND, menuCommand(kCommandChangeVideoMode)), 0);
    EXPECT_EQ(logAfter("releaseVolatileObjects", "createVolatileObjects"), Log{"Device.Reset"});
    EXPECT_EQ(device()->params.BackBufferWidth, 520u);
    EXPECT_EQ(device()->params.BackBufferHeight, 390u);
    EXPECT_TRUE(app.canRender);
}

TEST_F(FrameTest, AnOldDeviceStillReferencedAfterReleaseIsFatal) {
    start();
    device()->AddRef();
    FakeDevice* held = device();
    setModalDialogRunner(chooseReferenceDevice);
    send(WM_COMMAND, menuCommand(kCommandChangeVideoMode));
    expectOneFatalBox(kErrorNonZeroRefCount);
    EXPECT_FALSE(app.canRender);
    held->Release();
}

// ---- Falling back to the reference device at start-up.

TEST_F(FrameTest, AHardwareDeviceThatCannotBeCreatedIsReplacedByReference) {
    nextAdapters[0].types[D3DDEVTYPE_HAL].createResult = D3DERR_NOTAVAILABLE;
    ASSERT_EQ(app.createApp(nullptr), kResultOk);
    EXPECT_EQ(withoutAcceptDevice(log),
              (Log{"initScene", "applyWindowStyle", "CreateDevice HAL", "applyWindowStyle",
                   "CreateDevice REF", "createDeviceObjects", "createVolatileObjects"}));
    ASSERT_EQ(MessageBoxRecorder::boxes().size(), 1u);
    char expected[kErrorMessageCapacity];
    composeErrorMessage(D3DERR_NOTAVAILABLE, ErrorKind::SwitchToReference, expected);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].text, expected);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].icon, MessageBoxIcon::Warning);
}

TEST_F(FrameTest, FailingSceneObjectsAreReleasedBeforeReferenceIsTriedAndThenItEnds) {
    app.failing = "createVolatileObjects";
    EXPECT_EQ(app.createApp(nullptr), kErrorGeneric);
    const Log attempt = {"applyWindowStyle",       "createDeviceObjects",  "createVolatileObjects",
                         "releaseVolatileObjects", "destroyDeviceObjects", "Device.Release"};
    Log expected = {"initScene"};
    for (const char* type : {"HAL", "REF"}) {
        expected.push_back(attempt[0]);
        expected.push_back(std::string("CreateDevice ") + type);
        expected.insert(expected.end(), attempt.begin() + 1, attempt.end());
    }
    expected.push_back("Direct3D.Release");
    expected.push_back("shutdownScene");
    EXPECT_EQ(withoutAcceptDevice(log), expected);
    ASSERT_EQ(MessageBoxRecorder::boxes().size(), 2u);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].icon, MessageBoxIcon::Warning);
    EXPECT_EQ(MessageBoxRecorder::boxes()[1].icon, MessageBoxIcon::Error);
    EXPECT_FALSE(isWindow(app.mainWindow));
}

TEST_F(FrameTest, AFailingInitSceneIsFatalAndClosesTheWindow) {
    app.caption = "2001 Kolvane";
    app.failing = "initScene";
    EXPECT_EQ(app.createApp(nullptr), kErrorGeneric);
    ASSERT_EQ(MessageBoxRecorder::boxes().size(), 1u);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].caption, "2001 Kolvane");
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].text,
              "Generic application error. Enable\ndebug output for detailed information."
              "\n\nThis sample will now exit.");
    EXPECT_EQ(withoutAcceptDevice(log), (Log{"initScene", "Direct3D.Release", "shutdownScene"}));
    EXPECT_FALSE(isWindow(app.mainWindow));
    WindowMessage quit;
    ASSERT_TRUE(peekMessage(quit, true));
    EXPECT_EQ(quit.message, WM_QUIT);
}

TEST_F(FrameTest, NoUsableDeviceIsFatalBeforeAnyWindowExists) {
    nextAdapters[0].types.clear();
    EXPECT_EQ(app.createApp(nullptr), kErrorNoCompatibleDevices);
    ASSERT_EQ(MessageBoxRecorder::boxes().size(), 1u);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].text,
              "Could not find any compatible Direct3D\ndevices.\n\nThis sample will now exit.");
    EXPECT_EQ(app.mainWindow, nullptr);
    EXPECT_EQ(app.direct3D, nullptr);
    EXPECT_EQ(withoutAcceptDevice(log), Log{"Direct3D.Release"});
}

TEST_F(FrameTest, NoDirect3DIsFatal) {
    setDirect3DMaker([](UINT) -> IDirect3D8* { return nullptr; });
    EXPECT_EQ(app.createApp(nullptr), kErrorNoDirect3D);
    ASSERT_EQ(MessageBoxRecorder::boxes().size(), 1u);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].text.rfind("Could not initialize Direct3D.", 0), 0u);
}

// ---- Shut-down.

TEST_F(FrameTest, ClosingReleasesEverythingInOrderAndEndsTheLoop) {
    start();
    const WindowHandle window = app.mainWindow;
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(log, kShutDown);
    EXPECT_FALSE(isWindow(window));
    EXPECT_EQ(app.device, nullptr);
    EXPECT_EQ(app.direct3D, nullptr);
    EXPECT_FALSE(app.isActive);
    EXPECT_EQ(app.runLoop(), 0);
}

// An application that closes itself after a few frames of the real loop.
class ShortLivedApplication : public LoggingApplication {
public:
    using LoggingApplication::LoggingApplication;
    ResultCode drawScene() override {
        if (++frames == 3) {
            postMessage(mainWindow, WM_CLOSE, 0, 0);
        }
        return LoggingApplication::drawScene();
    }
    int frames = 0;
};

// Around an application on the real loop: boxes recorded, the fake Direct3D logging into log.
struct FakeLoopSetting {
    FakeLoopSetting() : previous(setDirect3DMaker(makeFakeDirect3D)) {
        nextAdapters = {standardAdapter()};
        nextLog = &log;
    }
    ~FakeLoopSetting() {
        setDirect3DMaker(previous);
        nextLog = nullptr;
    }
    MessageBoxRecorder recorder;
    Log log;
    Direct3DMaker previous;
};

TEST(FrameLoop, TheLoopRunsFramesUntilTheWindowCloses) {
    FakeLoopSetting setting;
    Log& log = setting.log;
    resetFrameTimer();
    {
        ShortLivedApplication app(&log);
        ASSERT_EQ(app.createApp(nullptr), kResultOk);
        log.clear();
        EXPECT_EQ(app.runLoop(), 0);
        EXPECT_GE(app.frames, 3);
        ASSERT_GE(log.size(), kShutDown.size());
        EXPECT_EQ(Log(log.end() - static_cast<std::ptrdiff_t>(kShutDown.size()), log.end()),
                  kShutDown);
        EXPECT_EQ(Log(log.begin(), log.begin() + 3),
                  (Log{"advanceScene", "drawScene", "Device.Present"}));
    }
    resetFrameTimer();
}

// An application whose frames each take 16 ms of the hand clock, through the real loop: at
// frame 100 a menu is opened with the mouse and closed with Escape, five seconds after it
// opened; the frame rate is watched for the 75 frames after it, then the window closed.
class PacedApplication : public LoggingApplication {
public:
    using LoggingApplication::LoggingApplication;
    ResultCode drawScene() override {
        HandClock::advanceMilliseconds(kFrameMilliseconds);
        ++frames;
        if (frames == kMenuFrame) {
            openAndCloseMenu();
        }
        if (frames > kMenuFrame) {
            lowestRateAfterMenu = std::min(lowestRateAfterMenu, framesPerSecond);
            highestRateAfterMenu = std::max(highestRateAfterMenu, framesPerSecond);
        }
        if (frames == kMenuFrame + kFramesAfterMenu) {
            postMessage(mainWindow, WM_CLOSE, 0, 0);
        }
        return LoggingApplication::drawScene();
    }
    MessageResult handleMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                MessageLong lParam) override {
        const MessageResult result =
            LoggingApplication::handleMessage(window, message, wParam, lParam);
        if (message == WM_ENTERMENULOOP) {
            HandClock::advanceMilliseconds(kMenuMilliseconds);
        }
        if (message == WM_EXITMENULOOP) {
            HandClock::advanceMilliseconds(kFrameMilliseconds);  // the next frame's time
        }
        return result;
    }

    static constexpr int kFrameMilliseconds = 16;
    static constexpr int kMenuMilliseconds = 5000;
    static constexpr int kMenuFrame = 100;
    static constexpr int kFramesAfterMenu = 75;
    int frames = 0;
    float lowestRateAfterMenu = 1e9f;
    float highestRateAfterMenu = 0.0f;

private:
    // "Options" opened with the mouse and closed with Escape.
    void openAndCloseMenu() {
        const Uint32 window = SDL_GetWindowID(sdlWindowOf(mainWindow));
        pushed_events::pushMouse(window, SDL_MOUSEBUTTONDOWN, 20, 10);
        pushed_events::pushMouse(window, SDL_MOUSEBUTTONUP, 20, 10);
        pushed_events::pushKey(window, SDL_KEYDOWN, SDLK_ESCAPE);
    }
};

TEST(FrameLoop, TheFrameRateAfterAPauseIsMeasuredFromWhenTheClockStartedAgain) {
    FakeLoopSetting setting;
    {
        HandClock clock;
        PacedApplication app(&setting.log);
        ASSERT_EQ(app.createApp(nullptr), kResultOk);
        HandClock::advanceMilliseconds(PacedApplication::kFrameMilliseconds);
        EXPECT_EQ(app.runLoop(), 0);
        ASSERT_EQ(app.frames, PacedApplication::kMenuFrame + PacedApplication::kFramesAfterMenu);
        EXPECT_NE(std::find(app.messages.begin(), app.messages.end(), WM_ENTERMENULOOP),
                  app.messages.end());
        const float trueRate = 1000.0f / PacedApplication::kFrameMilliseconds;
        // Every reading from the menu on: the last one before it, then those measured after.
        EXPECT_NEAR(app.lowestRateAfterMenu, trueRate, trueRate * 0.1f);
        EXPECT_NEAR(app.highestRateAfterMenu, trueRate, trueRate * 0.1f);
    }
}

// ---- The device cursor.

TEST_F(FrameTest, TheDeviceCursorIsTheWindowArrow) {
    start();
    ASSERT_EQ(app.makeDeviceCursor(device(), arrowCursor()), kResultOk);
    const FakeDevice* target = device();
    ASSERT_EQ(target->cursorWidth, 32u);
    EXPECT_EQ(target->cursorHotX, 0u);
    EXPECT_EQ(target->cursorHotY, 0u);
    const std::size_t stride = 32 + kSurfacePadding;
    auto pixel = [&](std::size_t x, std::size_t y) { return target->cursorPixels[y * stride + x]; };
    EXPECT_EQ(pixel(0, 0), 0xFF000000u);  // outline
    EXPECT_EQ(pixel(1, 2), 0xFFFFFFFFu);  // inside
    EXPECT_EQ(pixel(5, 0), 0u);           // beside the tip: transparent
    EXPECT_EQ(pixel(31, 31), 0u);
    EXPECT_EQ(app.makeDeviceCursor(device(), nullptr), kErrorGeneric);
}

}  // namespace

// ---- The frame on the real OpenGL device.

namespace {

// Clears every frame to the colour it is told.
class ClearingApplication : public LoggingApplication {
public:
    using LoggingApplication::LoggingApplication;
    ResultCode createDeviceObjects() override {
        showWindow(mainWindow);
        return LoggingApplication::createDeviceObjects();
    }
    ResultCode drawScene() override {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
        device->EndScene();
        return LoggingApplication::drawScene();
    }
    D3DCOLOR colour = 0xFF336699;
};

// Runs frame steps until one is drawn (the clock must move between two of them).
void drawOneFrame(Application3D& app) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        SDL_Delay(2);
        const float appTimeBefore = app.appTime;
        ASSERT_EQ(app.frameStep(), kResultOk);
        if (app.appTime != appTimeBefore) {
            return;
        }
    }
    FAIL() << "no frame was drawn";
}

// The machine's Direct3D object, offering the desktop mode as a full-screen mode where the
// display lists none (the offscreen video driver lists none).
class DesktopModeDirect3D : public IDirect3D8 {
public:
    explicit DesktopModeDirect3D(IDirect3D8* wrapped) : inner(wrapped) {}
    ULONG AddRef() override { return inner->AddRef(); }
    ULONG Release() override {
        const ULONG remaining = inner->Release();
        if (remaining == 0) {
            delete this;
        }
        return remaining;
    }
    UINT GetAdapterCount() override { return inner->GetAdapterCount(); }
    HRESULT GetAdapterIdentifier(UINT a, DWORD f, D3DADAPTER_IDENTIFIER8* i) override {
        return inner->GetAdapterIdentifier(a, f, i);
    }
    UINT GetAdapterModeCount(UINT a) override {
        const UINT listed = inner->GetAdapterModeCount(a);
        return listed > 0 ? listed : 1;
    }
    HRESULT EnumAdapterModes(UINT a, UINT m, D3DDISPLAYMODE* mode) override {
        if (inner->GetAdapterModeCount(a) == 0 && m == 0) {
            return inner->GetAdapterDisplayMode(a, mode);
        }
        return inner->EnumAdapterModes(a, m, mode);
    }
    HRESULT GetAdapterDisplayMode(UINT a, D3DDISPLAYMODE* mode) override {
        return inner->GetAdapterDisplayMode(a, mode);
    }
    HRESULT CheckDeviceType(UINT a, D3DDEVTYPE t, D3DFORMAT d, D3DFORMAT b, BOOL w) override {
        return inner->CheckDeviceType(a, t, d, b, w);
    }
    HRESULT CheckDeviceFormat(UINT a, D3DDEVTYPE t, D3DFORMAT af, DWORD u, D3DRESOURCETYPE r,
                              D3DFORMAT c) override {
        return inner->CheckDeviceFormat(a, t, af, u, r, c);
    }
    HRESULT CheckDepthStencilMatch(UINT a, D3DDEVTYPE t, D3DFORMAT af, D3DFORMAT rt,
                                   D3DFORMAT ds) override {
        return inner->CheckDepthStencilMatch(a, t, af, rt, ds);
    }
    HRESULT GetDeviceCaps(UINT a, D3DDEVTYPE t, D3DCAPS8* caps) override {
        return inner->GetDeviceCaps(a, t, caps);
    }
    HRESULT CreateDevice(UINT a, D3DDEVTYPE t, WindowHandle w, DWORD b, D3DPRESENT_PARAMETERS* p,
                         IDirect3DDevice8** d) override {
        return inner->CreateDevice(a, t, w, b, p, d);
    }

private:
    IDirect3D8* inner;
};

IDirect3D8* makeDesktopModeDirect3D(UINT sdkVersion) {
    IDirect3D8* machine = Direct3DCreate8(sdkVersion);
    return machine != nullptr ? new DesktopModeDirect3D(machine) : nullptr;
}

std::uint32_t presentedPixel(IDirect3DDevice8* device, std::uint32_t x, std::uint32_t y,
                             FrameImage& image) {
    EXPECT_EQ(device->readPresentedFrame(&image), D3D_OK);
    return image.pixels.empty() ? 0u : image.at(x, y);
}

}  // namespace

TEST(FrameOnOpenGl, FramesAndTheMenuBarOverlayLeaveTheDevicePictureIntact) {
    MessageBoxRecorder recorder;
    setPresentWait(false);
    resetFrameTimer();
    const Direct3DMaker previous = setDirect3DMaker(makeDesktopModeDirect3D);
    Log log;
    {
        ClearingApplication app(&log);
        ASSERT_EQ(app.createApp(nullptr), kResultOk);
        EXPECT_EQ(app.device->deviceType(), D3DDEVTYPE_HAL);
        drawOneFrame(app);
        FrameImage image;
        EXPECT_EQ(presentedPixel(app.device, 10, 10, image) & 0xFFFFFFu, 0x336699u);
        EXPECT_EQ(image.width, 400u);
        EXPECT_EQ(image.height, 300u);

        // A menu opened and closed: the paused frame is presented again with the overlay.
        sendMessage(app.mainWindow, WM_ENTERMENULOOP, 0, 0);
        sendMessage(app.mainWindow, WM_PAINT, 0, 0);
        sendMessage(app.mainWindow, WM_EXITMENULOOP, 0, 0);

        app.colour = 0xFF00C000;
        drawOneFrame(app);
        EXPECT_EQ(presentedPixel(app.device, 399, 299, image) & 0xFFFFFFu, 0x00C000u);
        EXPECT_EQ(presentedPixel(app.device, 0, 0, image) & 0xFFFFFFu, 0x00C000u);
        EXPECT_TRUE(recorder.boxes().empty());
        sendMessage(app.mainWindow, WM_CLOSE, 0, 0);
        EXPECT_EQ(app.runLoop(), 0);
    }
    EXPECT_EQ(log.back(), "shutdownScene");
    setDirect3DMaker(previous);
    setPresentWait(true);
    resetFrameTimer();
}
