#include "app/application.h"

#include <cstdio>
#include <cstring>

#include "app/frame_timer.h"

namespace {

Application3D* theApplication = nullptr;

IDirect3D8* makeSystemDirect3D(UINT sdkVersion) {
    return Direct3DCreate8(sdkVersion);
}

Direct3DMaker direct3DMaker = makeSystemDirect3D;

constexpr int kMinimumTrackSize = 100;
constexpr float kRateInterval = 1.0f;

constexpr std::uint32_t kWindowedStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr std::uint32_t kFullscreenStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
// The program's icon (resource 101), the picture the desktop shows for its window.
constexpr const char* kProgramIconFile = "Graphics\\icon.bmp";

const char* depthStencilLabel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D16:
            return " (D16)";
        case D3DFMT_D15S1:
            return " (D15S1)";
        case D3DFMT_D24X8:
            return " (D24X8)";
        case D3DFMT_D24S8:
            return " (D24S8)";
        case D3DFMT_D24X4S4:
            return " (D24X4S4)";
        case D3DFMT_D32:
            return " (D32)";
        default:
            return "";
    }
}

bool isFullscreenOnlyCommand(MessageParam command) {
    switch (command & 0xFFF0u) {
        case SC_SIZE:
        case SC_MOVE:
        case SC_MAXIMIZE:
        case SC_KEYMENU:
        case SC_MONITORPOWER:
            return true;
        default:
            return false;
    }
}

}  // namespace

Direct3DMaker setDirect3DMaker(Direct3DMaker maker) {
    const Direct3DMaker previous = direct3DMaker;
    direct3DMaker = maker != nullptr ? maker : makeSystemDirect3D;
    return previous;
}

MessageResult windowProcedure(WindowHandle window, std::uint32_t message, MessageParam wParam,
                              MessageLong lParam) {
    if (theApplication == nullptr) {
        return defaultWindowProcedure(window, message, wParam, lParam);
    }
    return theApplication->handleMessage(window, message, wParam, lParam);
}

Application3D::Application3D() {
    theApplication = this;
}

Application3D::~Application3D() {
    if (theApplication == this) {
        theApplication = nullptr;
    }
}

Application3D* Application3D::current() {
    return theApplication;
}

// ---- The frame's own scene callbacks.

ResultCode Application3D::applyWindowStyle() {
    if (mainWindow != nullptr) {
        setWindowStyle(mainWindow, inWindow ? savedStyle : kFullscreenStyle);
    }
    return kResultOk;
}

ResultCode Application3D::acceptDevice(const D3DCAPS8&, DWORD, D3DFORMAT) {
    return kResultOk;
}
ResultCode Application3D::initScene() {
    return kResultOk;
}
ResultCode Application3D::createDeviceObjects() {
    return kResultOk;
}
ResultCode Application3D::createVolatileObjects() {
    return kResultOk;
}
ResultCode Application3D::advanceScene() {
    return kResultOk;
}
ResultCode Application3D::drawScene() {
    return kResultOk;
}
ResultCode Application3D::releaseVolatileObjects() {
    return kResultOk;
}
ResultCode Application3D::destroyDeviceObjects() {
    return kResultOk;
}
ResultCode Application3D::shutdownScene() {
    return kResultOk;
}

DeviceEntry& Application3D::currentDeviceEntry() {
    AdapterEntry& adapter = adapters[currentAdapter];
    return adapter.devices[adapter.currentDevice];
}

ModeEntry& Application3D::currentModeEntry() {
    DeviceEntry& deviceEntry = currentDeviceEntry();
    return deviceEntry.modes[deviceEntry.currentMode];
}

// ---- Start-up.

ResultCode Application3D::failCreateApp(ResultCode code) {
    if (direct3D != nullptr) {
        direct3D->Release();
        direct3D = nullptr;
    }
    return showError(code, ErrorKind::Fatal);
}

ResultCode Application3D::createMainWindow(InstanceHandle) {
    useWindowCursor(arrowCursor());
    WindowDescription description;
    description.title = caption;
    description.style = kWindowedStyle;
    description.clientWidth = static_cast<int>(initialWidth);
    description.clientHeight = static_cast<int>(initialHeight);
    description.withMenuBar = true;
    description.procedure = windowProcedure;
    description.iconFile = kProgramIconFile;
    mainWindow = createWindow(description);
    return mainWindow != nullptr ? kResultOk : kErrorGeneric;
}

ResultCode Application3D::createApp(InstanceHandle instance) {
    direct3D = direct3DMaker(D3D_SDK_VERSION);
    if (direct3D == nullptr) {
        return showError(kErrorNoDirect3D, ErrorKind::Fatal);
    }
    ResultCode result = enumerateDevices();
    if (FAILED(result)) {
        return failCreateApp(result);
    }
    if (mainWindow == nullptr) {
        result = createMainWindow(instance);
        if (FAILED(result)) {
            return failCreateApp(result);
        }
    }
    if (focusWindow == nullptr) {
        focusWindow = mainWindow;
    }
    savedStyle = windowStyle(mainWindow);
    savedBounds = windowBounds(mainWindow);
    clientArea = clientRect(mainWindow);

    result = initScene();
    if (FAILED(result)) {
        return failCreateApp(result);
    }
    result = startDevice();
    if (FAILED(result)) {
        return failCreateApp(result);
    }
    FrameTimer(TimerCommand::Start);
    canRender = true;
    return kResultOk;
}

// ---- The loop.

int Application3D::runLoop() {
    WindowMessage message;
    peekMessage(message, false);
    for (;;) {
        bool taken = false;
        if (isActive) {
            taken = peekMessage(message, true);
        } else {
            getMessage(message);
            taken = true;
        }
        if (taken) {
            if (message.message == WM_QUIT) {
                return static_cast<int>(message.wParam);
            }
            if (!translateAccelerator(mainWindow, message)) {
                dispatchMessage(message);
            }
        } else if (isActive && canRender) {
            if (FAILED(frameStep())) {
                sendMessage(mainWindow, WM_CLOSE, 0, 0);
            }
        }
    }
}

ResultCode Application3D::frameStep() {
    if (device == nullptr) {
        return kErrorGeneric;
    }
    const HRESULT level = device->TestCooperativeLevel();
    if (level == D3DERR_DEVICELOST) {
        return kResultOk;
    }
    if (level == D3DERR_DEVICENOTRESET) {
        if (inWindow) {
            AdapterEntry& adapter = adapters[currentAdapter];
            direct3D->GetAdapterDisplayMode(adapter.ordinal, &adapter.desktopMode);
            presentParams.BackBufferFormat = adapter.desktopMode.Format;
        }
        return resetDevice();
    }
    if (FAILED(level)) {
        return level;
    }

    const float time = FrameTimer(TimerCommand::QueryAppTime);
    const float elapsed = FrameTimer(TimerCommand::QueryElapsedTime);
    if (elapsed == 0.0f) {
        return kResultOk;
    }
    appTime = time;
    frameDelta = elapsed;
    ResultCode result = advanceScene();
    if (FAILED(result)) {
        return result;
    }
    result = drawScene();
    if (FAILED(result)) {
        return result;
    }
    measureFrameRate();
    presentFrame();
    return kResultOk;
}

void Application3D::presentFrame() {
    drawMenuBar(mainWindow);
    device->Present(nullptr, nullptr, nullptr, nullptr);
}

void Application3D::measureFrameRate() {
    const float now = FrameTimer(TimerCommand::QueryAbsoluteTime);
    ++framesSinceRate;
    if (now - lastRateTime > kRateInterval) {
        framesPerSecond = static_cast<float>(framesSinceRate) / (now - lastRateTime);
        framesSinceRate = 0;
        lastRateTime = now;
        writeRateText();
    }
}

void Application3D::writeRateText() {
    D3DDISPLAYMODE mode{};
    direct3D->GetAdapterDisplayMode(adapters[currentAdapter].ordinal, &mode);
    const int bits = mode.Format == D3DFMT_X8R8G8B8 ? 32 : 16;
    const int written = std::snprintf(
        rateText, sizeof rateText, "%.02f fps (%dx%dx%d)", static_cast<double>(framesPerSecond),
        static_cast<int>(backBufferDesc.Width), static_cast<int>(backBufferDesc.Height), bits);
    if (wantDepthBuffer && written > 0 && static_cast<std::size_t>(written) < sizeof rateText) {
        std::snprintf(rateText + written, sizeof rateText - static_cast<std::size_t>(written), "%s",
                      depthStencilLabel(currentModeEntry().depthStencilFormat));
    }
}

void Application3D::setPaused(bool pause) {
    pauseCount += pause ? 1 : -1;
    canRender = pauseCount == 0;
    if (pause && pauseCount == 1) {
        holdClock(true);
    }
    if (!pause && pauseCount == 0) {
        holdClock(false);
    }
}

// The clock stops when the first hold begins and starts again when the last one ends, so that
// a window resized during a pause leaves the clock stopped until the pause is over.
void Application3D::holdClock(bool hold) {
    if (hold) {
        if (++clockHolds == 1) {
            FrameTimer(TimerCommand::Stop);
        }
        return;
    }
    if (clockHolds > 0 && --clockHolds == 0) {
        FrameTimer(TimerCommand::Start);
        restartRateMeasurement();
    }
}

// A frame rate measured across a time without frames would count the frames before it over
// the whole span: the measurement starts again when frames do.
void Application3D::restartRateMeasurement() {
    framesSinceRate = 0;
    lastRateTime = FrameTimer(TimerCommand::QueryAbsoluteTime);
}

ResultCode Application3D::releaseAll3D() {
    isActive = false;
    canRender = false;
    if (device != nullptr) {
        releaseVolatileObjects();
        destroyDeviceObjects();
        device->Release();
        device = nullptr;
        windowGraphicsChanged(mainWindow);
    }
    if (direct3D != nullptr) {
        direct3D->Release();
        direct3D = nullptr;
    }
    return shutdownScene();
}

// ---- Messages.

void Application3D::handleExitSizeMove() {
    if (!isActive || !inWindow) {
        return;
    }
    const WindowRect oldClient = clientArea;
    savedBounds = windowBounds(mainWindow);
    clientArea = clientRect(mainWindow);
    if (clientArea.width() == oldClient.width() && clientArea.height() == oldClient.height()) {
        return;
    }
    canRender = false;
    presentParams.BackBufferWidth = static_cast<UINT>(clientArea.width());
    presentParams.BackBufferHeight = static_cast<UINT>(clientArea.height());
    if (FAILED(resetDevice())) {
        showError(kErrorResetFailed, ErrorKind::Fatal);
        return;
    }
    canRender = pauseCount == 0;
}

void Application3D::handleSize(MessageParam kind) {
    const bool wasActive = isActive;
    isActive = !(kind == SIZE_MINIMIZED || kind == SIZE_MAXHIDE);
    if (isActive && !wasActive) {
        restartRateMeasurement();
    }
}

// A switch whose fall-back to windowed rendering failed has shown its own fatal box, which
// closed the window; one box is enough.
void Application3D::reportFailedSwitch() {
    if (mainWindow != nullptr) {
        showError(kErrorResetFailed, ErrorKind::Fatal);
    }
}

MessageResult Application3D::handleMessage(WindowHandle window, std::uint32_t message,
                                           MessageParam wParam, MessageLong lParam) {
    switch (message) {
        case WM_SIZE:
            handleSize(wParam);
            break;
        case WM_PAINT:
            // The device dialog is drawn over the frame whatever canRender says.
            if (device != nullptr && (!canRender || deviceDialogUp) && inWindow) {
                presentFrame();
            }
            break;
        case WM_CLOSE:
            releaseAll3D();
            destroyMenuBar(window);
            destroyWindow(window);
            if (window == mainWindow) {
                mainWindow = nullptr;
            }
            postQuitMessage(0);
            return 0;
        case WM_SETCURSOR:
            if (isActive && canRender && !inWindow) {
                showWindowCursor(false);
                if (cursorInFullscreen && device != nullptr) {
                    device->ShowCursor(TRUE);
                }
                return 1;
            }
            break;
        case WM_GETMINMAXINFO:
            if (lParam != 0) {
                auto* limits = reinterpret_cast<MinMaxInfo*>(lParam);
                limits->minTrackWidth = kMinimumTrackSize;
                limits->minTrackHeight = kMinimumTrackSize;
            }
            break;
        case WM_NCHITTEST:
            if (!inWindow) {
                return HTCLIENT;
            }
            break;
        case WM_SYSCOMMAND:
            if (!inWindow && isFullscreenOnlyCommand(wParam)) {
                return 1;
            }
            break;
        case WM_MOUSEMOVE:
            if (isActive && canRender && device != nullptr) {
                device->SetCursorPosition(lowWord(lParam), highWord(lParam), 0);
            }
            break;
        case WM_ENTERMENULOOP:
            setPaused(true);
            break;
        case WM_EXITMENULOOP:
            setPaused(false);
            break;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMRESUMESUSPEND) {
                return 1;
            }
            break;
        case WM_ENTERSIZEMOVE:
            holdClock(true);
            break;
        case WM_EXITSIZEMOVE:
            holdClock(false);
            handleExitSizeMove();
            break;
        case WM_COMMAND:
            switch (commandId(wParam)) {
                case kCommandChangeVideoMode:
                    if (isActive && canRender) {
                        setPaused(true);
                        if (SUCCEEDED(chooseDevice())) {
                            setPaused(false);
                        }
                    }
                    return 0;
                case kCommandToggleFullscreen:
                    if (isActive && canRender && FAILED(switchFullscreen())) {
                        reportFailedSwitch();
                    }
                    return 0;
                default:
                    break;
            }
            break;
        default:
            break;
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}
